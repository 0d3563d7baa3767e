#include "HotKeyRouter.h"

#include "KeyCodes.h"
#include "Player.h"
#include "platform/GlobalKeys.h"
#include "platform/KeyboardMap.h"

THotKeyRouter::THotKeyRouter(TPlayer& player) : m_player(player) {}

THotKeyRouter::~THotKeyRouter() = default;

void THotKeyRouter::SetKeyboardMap(std::unique_ptr<IKeyboardMap> map)
{
    m_keyboardMap = std::move(map);
}

quint16 THotKeyRouter::PhysicalCode(quint32 scanCode, quint16 inEffect) const
{
    return PhysicalKeyCode(scanCode != 0 && m_keyboardMap ? m_keyboardMap->Symbols(scanCode)
                                                          : std::vector<quint32>{},
                           inEffect);
}

void THotKeyRouter::Key(quint16 code, bool down, TPressSource source)
{
    if (down) {
        if (code == m_lastKeyDown)
            return;
        m_lastKeyDown = code;
    } else {
        m_lastKeyDown = 0;
    }
    if (!down) {
        // The buttons this key pressed, as remembered at the press; not looked up again by name.
        // A key-up whose key-down went elsewhere, or that was released for it already, ends
        // nothing: no toggle may turn on without its press.
        if (m_releasedEarly.erase(source) == 0 && m_keysDown.erase(source) > 0)
            m_player.Release(source);
        return;
    }
    const QString name = HotKeyName(code);
    if (name.isEmpty())
        return;
    m_keysDown[source] = code;
    m_releasedEarly.erase(source);
    m_player.Press(m_player.ButtonsOfHotKey(name), source);
}

std::optional<quint16> THotKeyRouter::CodeAtPress(TPressSource source) const
{
    const auto key = m_keysDown.find(source);
    if (key == m_keysDown.end())
        return std::nullopt;
    return key->second;
}

void THotKeyRouter::ForgetKeysDown(const std::function<bool(TPressSource)>& pick)
{
    for (auto key = m_keysDown.begin(); key != m_keysDown.end();) {
        if (pick && !pick(key->first)) {
            ++key;
            continue;
        }
        m_releasedEarly.insert(key->first);
        key = m_keysDown.erase(key);
    }
    m_lastKeyDown = 0;
}

void THotKeyRouter::GlobalKey(const TGlobalKey& key, bool listening)
{
    // A key that reaches one of Keyrill's windows is played by those alone.
    if (key.ToOwnWindow || m_player.Closed() || (key.Down && !listening))
        return;
    const bool named = !key.Name.isEmpty();
    const std::optional<quint16> code =
        named ? HotKeyCode(key.Name) : PhysicalCode(key.ScanCode, SymbolKeyCode(key.Symbol));
    if (!code)
        return;
    const TPressSource source =
        named ? TPressSource::Shortcut(*code) : TPressSource::Key(key.ScanCode, *code);
    if (key.Down) {
        // One typed into another program with Ctrl, Alt or Super belongs to that program; its
        // key-up finds no press and releases nothing.
        if (!key.Modified)
            Key(*code, true, source);
        return;
    }
    // Only a press heard here is released here: a key that went down in Keyrill's window was
    // released there, or when the window lost the keyboard.
    const std::optional<quint16> pressed = CodeAtPress(source);
    if (!pressed) {
        m_lastKeyDown = 0;
        return;
    }
    Key(*pressed, false, source);
    if (!named)
        m_releasedEarly.insert(source); // its own key-up, should the window get it, is no second
}
