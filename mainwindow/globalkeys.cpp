// Global hot keys: with "Global Hot Keys" on, the hot keys in use are heard also while another
// program has the keyboard, and play through the same repeat filter and held presses as the
// window's own key events. A key that reaches one of Keyrill's windows is played by those alone;
// one typed into another program with Ctrl, Alt or Super held belongs to that program.
#include "main.h"

#include "KeyCodes.h"
#include "dialogs/configuration.h"
#include "platform/GlobalKeys.h"
#include "widgets/TAdvToolButton.h"

#include <map>

IGlobalKeys& TfmMain::GlobalKeys()
{
    if (!m_globalKeys) {
        if (!m_platform.GlobalKeys)
            m_ownGlobalKeys = MakeSystemGlobalKeys();
        m_globalKeys = m_platform.GlobalKeys ? m_platform.GlobalKeys : m_ownGlobalKeys.get();
        connect(m_globalKeys, &IGlobalKeys::KeyHeard, this, &TfmMain::GlobalKeyHeard);
        // The desktop's answer may come while Configuration shows the switch.
        connect(m_globalKeys, &IGlobalKeys::AvailabilityChanged, this, [this] {
            if (m_fmConfiguration && m_fmConfiguration->isVisible())
                m_fmConfiguration->ShowGlobalKeys();
        });
        m_globalKeys->SetWindow(
            [this] { return testAttribute(Qt::WA_WState_Created) ? quintptr(winId()) : 0; });
    }
    return *m_globalKeys;
}

void TfmMain::UpdateGlobalKeys()
{
    // A switch never on in this run opens nothing.
    if (!m_settings.GlobalHotKeys && !m_globalKeys)
        return;
    std::map<quint16, QStringList> captions; // in the order of the hot-key list
    for (TQelSpeedButton* button : m_buttons) {
        const TCommandSet* d = m_settings.GlobalHotKeys ? Definition(button) : nullptr;
        if (const auto code = d ? HotKeyCode(d->HotKey) : std::nullopt) {
            QStringList& named = captions[*code];
            if (!d->Press.Caption.isEmpty() && !named.contains(d->Press.Caption))
                named << d->Press.Caption;
        }
    }
    QList<TGlobalHotKey> keys;
    for (const auto& [code, named] : captions) {
        const QString name = HotKeyName(code);
        keys.append({name, named.isEmpty() ? QStringLiteral("Hot key %1").arg(name)
                                           : QStringLiteral("Hot key %1 \u2014 %2")
                                                 .arg(name, named.join(QStringLiteral(", ")))});
    }
    GlobalKeys().Listen(keys);
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
        if (key.Modified)
            return; // its key-up finds no press and releases nothing
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
