// Hot keys: a key presses and releases every button that bears its name, as the left mouse
// button would, behind a filter that keeps a held key's auto-repeat from pressing again. A key is
// named after the physical key, and its release is matched to its press by the key itself.
#include "main.h"

#include "KeyCodes.h"
#include "model/MidiCatalogue.h"
#include "platform/KeyboardMap.h"
#include "widgets/TAdvToolButton.h"

#include <QKeyEvent>
#include <QScopeGuard>

void TfmMain::keyPressEvent(QKeyEvent* event)
{
    if (const quint16 key = KeyCodeOf(*event); !DesktopTakes(key))
        HandleHotKey(key, true, event->nativeScanCode());
    QWidget::keyPressEvent(event);
}

void TfmMain::keyReleaseEvent(QKeyEvent* event)
{
    if (IsRealRelease(*event))
        KeyReleased(*event);
    QWidget::keyReleaseEvent(event);
}

quint16 TfmMain::KeyCodeOf(const QKeyEvent& event)
{
    return PhysicalCode(event.nativeScanCode(), VirtualKeyCode(event.key(), event.modifiers()));
}

quint16 TfmMain::PhysicalCode(quint32 scanCode, quint16 inEffect)
{
    return PhysicalKeyCode(scanCode != 0 && m_keyboardMap ? m_keyboardMap->Symbols(scanCode)
                                                          : std::vector<quint32>{},
                           inEffect);
}

bool TfmMain::IsRealRelease(const QKeyEvent& event) const
{
    // Auto-repeat arrives on some platforms as release/press pairs: such a release is no release.
    // Where the system sends repeats as presses alone, Qt's guess from the event times can only
    // be wrong (a busy X server stamps a release and the next press alike).
    return !event.isAutoRepeat() || (m_keyboardMap && m_keyboardMap->RepeatsArePressesOnly());
}

void TfmMain::KeyReleased(const QKeyEvent& event)
{
    // Shift or NumLock changed since the key went down cannot rename it: the release takes the
    // code of its press.
    const quint32 scanCode = event.nativeScanCode();
    const auto pressed = scanCode != 0 ? m_held.KeyCode(scanCode) : std::nullopt;
    if (const quint16 key = pressed ? *pressed : KeyCodeOf(event); !DesktopTakes(key))
        HandleHotKey(key, false, scanCode);
}

void TfmMain::FormKeyDown(quint16 key)
{
    HandleHotKey(key, true);
}

void TfmMain::FormKeyUp(quint16 key)
{
    HandleHotKey(key, false);
}

void TfmMain::HandleHotKey(quint16 key, bool down, quint32 scanCode)
{
    if (down) {
        if (key == m_lastKeyDown)
            return;
        m_lastKeyDown = key;
    } else {
        m_lastKeyDown = 0;
    }
    const quint32 source = THeldPresses::KeySource(scanCode, key);
    if (!down && m_held.ReleasedEarly(source))
        return;
    if (!down && m_held.KeyUp(source)) {
        // The buttons this key pressed, as remembered at the press; not looked up again by name.
        ReleaseSource(source);
        return;
    }
    const QString name = HotKeyName(key);
    if (name.isEmpty())
        return;

    const THandlerScope scope(*this);
    if (down)
        m_held.KeyDown(source, key);
    // The handlers may show a modal error box, during which the grid must not be walked by
    // index: copy the matching buttons first.
    std::vector<TQelSpeedButton*> matches;
    for (TQelSpeedButton* button : m_buttons) {
        const TCommandSet* d = Definition(button);
        if (d && d->HotKey == name)
            matches.push_back(button);
    }
    if (down)
        m_held.Pressing(source, true);
    const auto pressed = qScopeGuard([&] {
        if (down)
            m_held.Pressing(source, false);
    });
    for (TQelSpeedButton* button : matches) {
        if (!down) {
            // Its key-down never reached this window: the release step runs anyway.
            BtTxMouseUp(button, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
            continue;
        }
        const TCommandSet* d = Definition(button);
        if (!d)
            continue;
        // A key still down presses its buttons again only when its repeat passes the filter
        // (another key's release cleared it); a note it holds is not started twice.
        const bool holds = m_held.Holds(source, button->Tag());
        if (holds && d->Action == actPressRelease)
            continue;
        if (!holds)
            m_held.Add(source, button->Tag(), *d);
        BtTxMouseDown(button, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    }
}
