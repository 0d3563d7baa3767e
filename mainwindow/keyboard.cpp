// The focused grid button played from the keyboard: Space or Enter presses and releases it as
// the left mouse button would, and the menu key opens its menu as the right one would.
#include "main.h"

#include "GridKeys.h"
#include "platform/KeyboardMap.h"
#include "widgets/TAdvToolButton.h"

#include <QAction>
#include <QMenu>

void TfmMain::WatchGridKeys(TQelSpeedButton& button)
{
    if (!m_gridKeys) {
        m_gridKeys = new TGridKeys(
            *this, [this] { return m_settings.ButtonRows; },
            [this](int number) { return GridButton(number); },
            [this] { return int(m_buttons.size()); });
        // The window itself has the focus when it opens: Qt would hand it to the first button,
        // and a Space meant for nothing would play it.
        setFocus(Qt::OtherFocusReason);
    }
    // Tab only: a click gives no focus, so a window played with the mouse stays as it was.
    button.setFocusPolicy(Qt::TabFocus);
    m_gridKeys->Watch(button, button.Tag());
    button.SetRepeatsArePressesOnly(m_keyboardMap && m_keyboardMap->RepeatsArePressesOnly());
    connect(&button, &TAdvToolButton::KeyDown, this, &TfmMain::GridKeyDown);
    connect(&button, &TAdvToolButton::KeyUp, this, &TfmMain::GridKeyUp);
    connect(&button, &TAdvToolButton::MenuKey, this, &TfmMain::GridMenuKey);
}

void TfmMain::GridKeyDown(TAdvToolButton* sender)
{
    const TCommandSet* d = Definition(sender);
    if (!d)
        return;
    ReleaseSource(THeldPresses::kFocusKey);
    m_held.Add(THeldPresses::kFocusKey, sender->Tag(), *d);
    BtTxMouseDown(sender, Qt::LeftButton, Qt::NoModifier, sender->rect().center());
}

void TfmMain::GridKeyUp(TAdvToolButton* sender)
{
    if (HandlerRunning()) {
        m_pendingSources.push_back(THeldPresses::kFocusKey);
        return;
    }
    for (const THeldPress& press : m_held.Take(THeldPresses::kFocusKey))
        ReleasePress(press, press.Button == sender->Tag());
}

void TfmMain::GridMenuKey(TAdvToolButton* sender)
{
    BtTxMouseUp(sender, Qt::RightButton, Qt::NoModifier, QPoint(0, 0));
    // Opened from the keyboard, the menu starts on its first item that can be chosen.
    for (QAction* action : m_popupMenu->actions()) {
        if (action->isVisible() && action->isEnabled() && !action->isSeparator()) {
            m_popupMenu->setActiveAction(action);
            break;
        }
    }
}
