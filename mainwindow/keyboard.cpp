// The keyboard in the window: hot keys played through the router, releases that go to menus and
// dialogs, and the keyboard lost to another window.
#include "main.h"

#include "platform/GlobalKeys.h"
#include "platform/KeyboardMap.h"
#include "play/KeyCodes.h"
#include "widgets/GridView.h"
#include "widgets/TAdvToolButton.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

void TfmMain::keyPressEvent(QKeyEvent* event)
{
    if (UndoKey(*event))
        return;
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (!event->isAutoRepeat())
            m_player.Panic();
        return;
    }
    if (const quint16 key = KeyCodeOf(*event); !DesktopTakes(key))
        m_keys.Key(key, true, TPressSource::Key(event->nativeScanCode(), key));
    QWidget::keyPressEvent(event);
}

void TfmMain::keyReleaseEvent(QKeyEvent* event)
{
    if (IsRealRelease(*event))
        KeyReleased(*event);
    QWidget::keyReleaseEvent(event);
}

quint16 TfmMain::KeyCodeOf(const QKeyEvent& event) const
{
    return m_keys.PhysicalCode(event.nativeScanCode(),
                               VirtualKeyCode(event.key(), event.modifiers()));
}

bool TfmMain::IsRealRelease(const QKeyEvent& event) const
{
    // Auto-repeat arrives on some platforms as release/press pairs: such a release is no release.
    // Where the system sends repeats as presses alone, Qt's guess from the event times can only
    // be wrong (a busy X server stamps a release and the next press alike).
    const IKeyboardMap* map = m_keys.KeyboardMap();
    return !event.isAutoRepeat() || (map && map->RepeatsArePressesOnly());
}

void TfmMain::KeyReleased(const QKeyEvent& event)
{
    // Shift or NumLock changed since the key went down cannot rename it: the release takes the
    // code of its press.
    const quint32 scanCode = event.nativeScanCode();
    const auto pressed =
        scanCode != 0 ? m_keys.CodeAtPress(TPressSource::Key(scanCode, 0)) : std::nullopt;
    if (const quint16 key = pressed ? *pressed : KeyCodeOf(event); !DesktopTakes(key))
        m_keys.Key(key, false, TPressSource::Key(scanCode, key));
}

bool TfmMain::eventFilter(QObject* watched, QEvent* event)
{
    // Releases that go elsewhere (the context menu, a dialog, a message box) still end the
    // presses made here. The main window's own key releases come through keyReleaseEvent, and a
    // held button gets its own mouse release.
    if (!watched->isWidgetType())
        return QWidget::eventFilter(watched, event);
    const auto* widget = static_cast<QWidget*>(watched);
    if (event->type() == QEvent::KeyRelease && widget->window() != this) {
        // Only a key that is down here: typing in a dialog releases nothing.
        const auto* key = static_cast<QKeyEvent*>(event);
        const quint32 scanCode = key->nativeScanCode();
        const auto source = TPressSource::Key(scanCode, scanCode != 0 ? 0 : KeyCodeOf(*key));
        if (IsRealRelease(*key) && m_keys.CodeAtPress(source))
            KeyReleased(*key);
    } else if (event->type() == QEvent::MouseButtonRelease &&
               static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        const THeldPress* held = m_player.Find(TPressSource::Mouse());
        if (held && widget != m_grid->Button(held->Button))
            m_player.Release(TPressSource::Mouse());
    }
    return QWidget::eventFilter(watched, event);
}

bool TfmMain::HeardEverywhere(TPressSource source) const
{
    if (!m_globalKeys || !m_settings.GlobalHotKeys)
        return false;
    return source.Kind == TSourceKind::Shortcut ||
           (source.IsScanCode() && m_globalKeys->HearsKeyUps());
}

void TfmMain::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // Keys held while another window takes the keyboard never send their key-up here; release
    // what they hold once the current press has finished.
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        QTimer::singleShot(0, this, [this] { m_player.WhenIdle([this] { ReleaseOnFocusLoss(); }); });
}

void TfmMain::ReleaseOnFocusLoss()
{
    if (isActiveWindow() || !m_commandList)
        return;
    // With global hot keys a key's real key-up is heard in whichever window it goes to: its
    // note lasts until then.
    const auto unheard = [this](TPressSource source) { return !HeardEverywhere(source); };
    m_keys.ForgetKeysDown(unheard);
    // A press's own error box took the keyboard: the mouse still holding that button is
    // followed, and its real release ends the press. A remote's fingers are not the window's.
    const bool mouseFollowed = m_grid->MouseFollowed();
    m_player.ReleaseIf([&](const THeldPress& press) {
        return unheard(press.Source) && press.Source.Kind != TSourceKind::Remote &&
               !(mouseFollowed && press.Source.Kind == TSourceKind::Mouse);
    });
}
