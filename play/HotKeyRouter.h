#pragma once

#include "PressSource.h"

#include <QtGlobal>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>

class IKeyboardMap;
class TPlayer;
struct TGlobalKey;

// Hot keys: a key presses and releases every button that bears its name, as the left mouse
// button would, behind a filter that keeps a held key's auto-repeat from pressing again. A key
// is named after the physical key, and its release is matched to its press by the key itself.
// The window's key events and the keys heard from the whole desktop come through here alike.
class THotKeyRouter
{
public:
    explicit THotKeyRouter(TPlayer& player);
    ~THotKeyRouter();

    void SetKeyboardMap(std::unique_ptr<IKeyboardMap> map);
    IKeyboardMap* KeyboardMap() const { return m_keyboardMap.get(); }
    // The code of a physical key from its scan code; `inEffect` where its symbols name nothing.
    quint16 PhysicalCode(quint32 scanCode, quint16 inEffect) const;

    // A key down or up; `source` is the key itself. A key-up whose key-down was never played
    // here changes nothing.
    void Key(quint16 code, bool down, TPressSource source);
    // A key heard from the whole desktop; `listening`: "Global Hot Keys" is on.
    void GlobalKey(const TGlobalKey& key, bool listening);
    // The code a key had at its press, while it is down; a release takes it, so that Shift or
    // NumLock changed meanwhile cannot rename the key.
    std::optional<quint16> CodeAtPress(TPressSource source) const;
    quint16 LastKeyDown() const { return m_lastKeyDown; }

    // The keys `pick` chooses (all without one) were released for them (the window lost the
    // keyboard): their key-up, should it still come, is no second release.
    void ForgetKeysDown(const std::function<bool(TPressSource)>& pick = {});

private:
    struct TLess
    {
        bool operator()(TPressSource a, TPressSource b) const
        {
            return std::pair(a.Kind, a.Id) < std::pair(b.Kind, b.Id);
        }
    };
    TPlayer& m_player;
    std::unique_ptr<IKeyboardMap> m_keyboardMap;
    quint16 m_lastKeyDown = 0;
    std::map<TPressSource, quint16, TLess> m_keysDown;
    std::set<TPressSource, TLess> m_releasedEarly;
};
