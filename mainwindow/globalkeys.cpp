// Global hot keys: with "Global Hot Keys" on, the hot keys in use are heard also while another
// program has the keyboard, and play through the same repeat filter and held presses as the
// window's own key events. A key that reaches one of Keyrill's windows is played by those alone.
#include "main.h"

#include "KeyCodes.h"
#include "platform/GlobalKeys.h"
#include "widgets/TAdvToolButton.h"

#include <set>

IGlobalKeys& TfmMain::GlobalKeys()
{
    if (!m_globalKeys) {
        if (!m_platform.GlobalKeys)
            m_ownGlobalKeys = MakeSystemGlobalKeys();
        m_globalKeys = m_platform.GlobalKeys ? m_platform.GlobalKeys : m_ownGlobalKeys.get();
        connect(m_globalKeys, &IGlobalKeys::KeyHeard, this, &TfmMain::GlobalKeyHeard);
    }
    return *m_globalKeys;
}

void TfmMain::UpdateGlobalKeys()
{
    // A switch never on in this run opens nothing.
    if (!m_settings.GlobalHotKeys && !m_globalKeys)
        return;
    std::set<quint16> codes; // in the order of the hot-key list
    for (TQelSpeedButton* button : m_buttons) {
        const TCommandSet* d = m_settings.GlobalHotKeys ? Definition(button) : nullptr;
        if (const auto code = d ? HotKeyCode(d->HotKey) : std::nullopt)
            codes.insert(*code);
    }
    QStringList names;
    for (quint16 code : codes)
        names << HotKeyName(code);
    GlobalKeys().Listen(names);
}

bool TfmMain::DesktopTakes(quint16 key) const
{
    return m_globalKeys && m_settings.GlobalHotKeys && m_globalKeys->Takes(HotKeyName(key));
}

void TfmMain::GlobalKeyHeard(const TGlobalKey& key)
{
    if (key.ToOwnWindow || !m_commandList || (key.Down && !m_settings.GlobalHotKeys))
        return;
    const bool named = !key.Name.isEmpty();
    const std::optional<quint16> code =
        named ? HotKeyCode(key.Name) : PhysicalCode(key.ScanCode, SymbolKeyCode(key.Symbol));
    if (!code)
        return;
    const quint32 source = named ? THeldPresses::ShortcutSource(*code) : key.ScanCode;
    if (key.Down) {
        HandleHotKey(*code, true, source);
        return;
    }
    // Only a press heard here is released here: a key that went down in Keyrill's window was
    // released there, or when the window lost the keyboard.
    const std::optional<quint16> pressed = m_held.KeyCode(source);
    if (!pressed) {
        m_lastKeyDown = 0;
        return;
    }
    HandleHotKey(*pressed, false, source);
    if (!named)
        m_held.ReleasedElsewhere(source);
}
