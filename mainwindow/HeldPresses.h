#pragma once

#include "model/qelCommandList.h"

#include <QtGlobal>

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <vector>

// One press still waiting for its release: who pressed (the mouse or a key), which button, and
// the definition as it was when pressed, so that the release sends what the press promised.
struct THeldPress
{
    quint32 Source;
    int Button; // 1-based button number
    TCommandSet Definition;
};

// Everything held down in the main window: the presses still to be released, in press order, and
// the keys that are down with the code each had at its press. A source is the mouse or a key
// (its native scan code, or its key code when the platform reports none).
class THeldPresses
{
public:
    static constexpr quint32 kMouse = 0xFFFFFFFFu;
    // Space or Enter on the button that has the keyboard focus.
    static constexpr quint32 kFocusKey = 0xFFFFFFFEu;
    static quint32 KeySource(quint32 scanCode, quint16 keyCode)
    {
        return scanCode != 0 ? scanCode : 0x80000000u | keyCode;
    }
    // A shortcut that the desktop reports by its hot-key name.
    static quint32 ShortcutSource(quint16 keyCode) { return 0x40000000u | keyCode; }
    static bool IsShortcut(quint32 source) { return (source & 0xC0000000u) == 0x40000000u; }
    static bool IsScanCode(quint32 source) { return source < 0x40000000u; }

    void Add(quint32 source, int button, const TCommandSet& definition);
    bool Holds(quint32 source, int button) const;
    bool HoldsButton(int button) const; // by any source
    bool Empty() const { return m_presses.empty(); }
    // The first press of a source, or null.
    const THeldPress* Find(quint32 source) const;

    // Removes and returns the presses of one source, all, or those a test picks; in press order.
    std::vector<THeldPress> Take(quint32 source);
    std::vector<THeldPress> TakeAll();
    std::vector<THeldPress> TakeIf(const std::function<bool(const THeldPress&)>& pick);

    // Keys: a key-down that pressed buttons remembers its code until its key-up.
    void KeyDown(quint32 source, quint16 keyCode)
    {
        m_keys[source] = keyCode;
        m_releasedEarly.erase(source);
    }
    std::optional<quint16> KeyCode(quint32 source) const;
    // Forgets the key; true when it was down.
    bool KeyUp(quint32 source) { return m_keys.erase(source) > 0; }
    // The keys that are down were released for them (the window lost the keyboard): their
    // key-up, should it still come here, is no second release.
    void ReleaseKeysEarly(const std::function<bool(quint32)>& pick = {});
    // A key released another way (heard from the whole desktop): the same.
    void ReleasedElsewhere(quint32 source) { m_releasedEarly.insert(source); }
    // True, once, for the key-up of such a key.
    bool ReleasedEarly(quint32 source) { return m_releasedEarly.erase(source) > 0; }
    // A key's press is going out (a modal error box may run meanwhile): its release must wait.
    void Pressing(quint32 source, bool pressing)
    {
        if (pressing)
            m_pressing.insert(source);
        else if (const auto at = m_pressing.find(source); at != m_pressing.end())
            m_pressing.erase(at);
    }
    bool IsPressing(quint32 source) const { return m_pressing.count(source) > 0; }

private:
    std::vector<THeldPress> m_presses;
    std::map<quint32, quint16> m_keys;
    std::set<quint32> m_releasedEarly;
    std::multiset<quint32> m_pressing;
};
