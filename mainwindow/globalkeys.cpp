// Global hot keys: with "Global Hot Keys" on, the hot keys in use are heard also while another
// program has the keyboard, and play through the same router as the window's own key events.
#include "main.h"

#include "dialogs/configuration.h"
#include "platform/GlobalKeys.h"
#include "play/KeyCodes.h"

#include <map>

IGlobalKeys& TfmMain::GlobalKeys()
{
    if (!m_globalKeys) {
        if (!m_platform.GlobalKeys)
            m_ownGlobalKeys = MakeSystemGlobalKeys();
        m_globalKeys = m_platform.GlobalKeys ? m_platform.GlobalKeys : m_ownGlobalKeys.get();
        connect(m_globalKeys, &IGlobalKeys::KeyHeard, this,
                [this](const TGlobalKey& key) { m_keys.GlobalKey(key, m_settings.GlobalHotKeys); });
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
    for (int number = 1; m_settings.GlobalHotKeys && number <= m_player.ButtonsInPlay(); ++number) {
        const TCommandSet* d = m_player.Definition(number);
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
