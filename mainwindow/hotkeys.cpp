// Hot keys: a key presses and releases every button that bears its name, as the left mouse
// button would, behind a filter that keeps a held key's auto-repeat from pressing again.
#include "main.h"

#include "KeyCodes.h"
#include "widgets/TAdvToolButton.h"

#include <QKeyEvent>
#include <QTimer>

#include <algorithm>

void TfmMain::keyPressEvent(QKeyEvent* event)
{
    FormKeyDown(VirtualKeyCode(event->key(), event->modifiers()));
    QWidget::keyPressEvent(event);
}

void TfmMain::keyReleaseEvent(QKeyEvent* event)
{
    // Auto-repeat arrives on some platforms as release/press pairs: such a release is no release.
    if (!event->isAutoRepeat())
        FormKeyUp(VirtualKeyCode(event->key(), event->modifiers()));
    QWidget::keyReleaseEvent(event);
}

void TfmMain::FormKeyDown(quint16 key)
{
    HandleHotKey(key, true);
}

void TfmMain::FormKeyUp(quint16 key)
{
    HandleHotKey(key, false);
}

THandlerScope::THandlerScope(TfmMain& window) : m_window(window)
{
    ++m_window.m_handlerDepth;
}

THandlerScope::~THandlerScope()
{
    if (--m_window.m_handlerDepth == 0 && m_window.m_releasePending) {
        m_window.m_releasePending = false;
        QTimer::singleShot(0, &m_window, &TfmMain::ReleaseHeldHotKeys);
    }
}

void TfmMain::HandleHotKey(quint16 key, bool down)
{
    const THandlerScope scope(*this);
    if (down) {
        if (key == m_lastKeyDown)
            return;
        m_lastKeyDown = key;
    } else {
        m_lastKeyDown = 0;
    }
    const QString name = HotKeyName(key);
    if (name.isEmpty())
        return;

    const auto held = std::find(m_heldHotKeys.begin(), m_heldHotKeys.end(), key);
    if (down && held == m_heldHotKeys.end())
        m_heldHotKeys.push_back(key);
    else if (!down && held != m_heldHotKeys.end())
        m_heldHotKeys.erase(held);

    // The handlers may show a modal error box, during which the grid must not be walked by
    // index: copy the matching buttons first.
    std::vector<TQelSpeedButton*> matches;
    for (TQelSpeedButton* button : m_buttons) {
        const TCommandSet* d = Definition(button);
        if (d && d->HotKey == name)
            matches.push_back(button);
    }
    for (TQelSpeedButton* button : matches) {
        if (down)
            BtTxMouseDown(button, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        else
            BtTxMouseUp(button, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    }
}

void TfmMain::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // Keys held while another window takes the focus will never send their key-up here; release
    // their buttons once the current handler has returned, so no note hangs.
    if (event->type() == QEvent::ActivationChange && !isActiveWindow() && !m_heldHotKeys.empty())
        QTimer::singleShot(0, this, &TfmMain::ReleaseHeldHotKeys);
}

void TfmMain::ReleaseHeldHotKeys()
{
    if (isActiveWindow())
        return;
    // A modal error box of a send runs its own event loop inside a handler: releasing from in
    // there would let the handler finish its press after the release.
    if (m_handlerDepth > 0) {
        m_releasePending = true;
        return;
    }
    const std::vector<quint16> keys = m_heldHotKeys;
    for (quint16 key : keys)
        HandleHotKey(key, false);
}
