// Held presses: whatever pressed a button (the mouse or a key) releases it exactly once, also when
// the release goes to a menu or a dialog, the window loses the keyboard, the definition changes
// under the press, or the program closes.
#include "main.h"

#include "model/MidiCatalogue.h"
#include "platform/GlobalKeys.h"
#include "platform/KeyboardMap.h"
#include "widgets/ReleaseWatch.h"
#include "widgets/TAdvToolButton.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

#include <utility>

void TfmMain::SetKeyboardMap(std::unique_ptr<IKeyboardMap> map)
{
    m_keyboardMap = std::move(map);
}

TQelSpeedButton* TfmMain::GridButton(int number) const
{
    if (number < 1 || number > int(m_buttons.size()))
        return nullptr;
    return m_buttons[std::size_t(number - 1)];
}

void TfmMain::GridMouseDown(TAdvToolButton* sender, Qt::MouseButton button,
                            Qt::KeyboardModifiers modifiers, QPoint pos)
{
    const TCommandSet* d = button == Qt::LeftButton ? Definition(sender) : nullptr;
    if (!d) {
        BtTxMouseDown(sender, button, modifiers, pos);
        return;
    }
    // A press whose release never came (it was lost to the system) ends before the next.
    ReleaseSource(THeldPresses::kMouse);
    m_held.Add(THeldPresses::kMouse, sender->Tag(), *d);
    // A modal error box of the send takes the release of the left button with it: the real
    // release is followed then, wherever it goes.
    m_releaseWatch->Press([&] { BtTxMouseDown(sender, button, modifiers, pos); },
                          [this] { ReleaseSource(THeldPresses::kMouse); });
}

void TfmMain::GridMouseUp(TAdvToolButton* sender, Qt::MouseButton button,
                          Qt::KeyboardModifiers modifiers, QPoint pos)
{
    if (button != Qt::LeftButton) {
        BtTxMouseUp(sender, button, modifiers, pos);
        return;
    }
    // Nothing held: the press has been released already (the menu took its release, the window
    // lost the keyboard, the definition changed).
    if (HandlerRunning()) {
        m_pendingSources.push_back(THeldPresses::kMouse);
        return;
    }
    for (const THeldPress& press : m_held.Take(THeldPresses::kMouse))
        ReleasePress(press, press.Button == sender->Tag());
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
        const quint32 source =
            THeldPresses::KeySource(scanCode, scanCode != 0 ? 0 : KeyCodeOf(*key));
        if (IsRealRelease(*key) && m_held.KeyCode(source))
            KeyReleased(*key);
    } else if (event->type() == QEvent::MouseButtonRelease &&
               static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        const THeldPress* held = m_held.Find(THeldPresses::kMouse);
        if (held && widget != GridButton(held->Button))
            ReleaseSource(THeldPresses::kMouse);
    }
    return QWidget::eventFilter(watched, event);
}

void TfmMain::ReleaseSource(quint32 source)
{
    // A modal error box runs its loop inside a handler: a release from in there waits until the
    // handler has finished its press. Another key's release, heard meanwhile, goes out at once.
    if (HandlerRunning() && (source == THeldPresses::kMouse || m_held.IsPressing(source))) {
        m_pendingSources.push_back(source);
        return;
    }
    for (const THeldPress& press : m_held.Take(source))
        ReleasePress(press, false);
}

void TfmMain::ReleasePress(const THeldPress& press, bool widgetReleases)
{
    EndPress(press, widgetReleases);
    ApplyHeldFeedback();
}

void TfmMain::EndPress(const THeldPress& press, bool widgetReleases)
{
    TQelSpeedButton* button = GridButton(press.Button);
    if (button && press.Source == THeldPresses::kMouse && !widgetReleases)
        button->EndTracking();
    if (button && press.Source == THeldPresses::kFocusKey && !widgetReleases)
        button->EndKeyHold();
    TCommandSet* d = button ? Definition(button) : nullptr;
    if (d && d->SameDefinition(press.Definition)) {
        BtTxMouseUp(button, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        return;
    }
    // The definition was cut, pasted over or replaced, or its button is gone: the release of what
    // was pressed still goes out, and the new definition starts released.
    const THandlerScope scope(*this, press.Button);
    if (press.Definition.Action == actPressRelease) {
        SendSide(press.Definition.Release, TOutputs::TKind::Release);
        if (d)
            d->Pressed = false;
    }
    if (button)
        HighlightOff(button);
}

void TfmMain::ReleaseChangedDefinitions()
{
    const std::vector<THeldPress> changed = m_held.TakeIf([this](const THeldPress& press) {
        const TQelSpeedButton* button = GridButton(press.Button);
        const TCommandSet* d = button ? Definition(button) : nullptr;
        return !d || !d->SameDefinition(press.Definition);
    });
    for (const THeldPress& press : changed)
        ReleasePress(press, false);
}

void TfmMain::ReleaseAllHeld()
{
    m_held.ReleaseKeysEarly();
    m_lastKeyDown = 0;
    m_pendingSources.clear();
    for (const THeldPress& press : m_held.TakeAll())
        ReleasePress(press, false);
}

bool TfmMain::HeardEverywhere(quint32 source) const
{
    if (!m_globalKeys || !m_settings.GlobalHotKeys)
        return false;
    return THeldPresses::IsShortcut(source) ||
           (THeldPresses::IsScanCode(source) && m_globalKeys->HearsKeyUps());
}

void TfmMain::ReleaseUnheard()
{
    // With global hot keys a key's real key-up is heard in whichever window it goes to: its
    // note lasts until then.
    const auto unheard = [this](quint32 source) { return !HeardEverywhere(source); };
    m_held.ReleaseKeysEarly(unheard);
    m_lastKeyDown = 0;
    // A press's own error box took the keyboard: the mouse still holding that button is followed,
    // and its real release ends the press.
    const bool mouseFollowed = m_releaseWatch->Following();
    const auto released = [&](const THeldPress& press) {
        return unheard(press.Source) && !(mouseFollowed && press.Source == THeldPresses::kMouse);
    };
    for (const THeldPress& press : m_held.TakeIf(released))
        ReleasePress(press, false);
}

void TfmMain::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // Keys held while another window takes the keyboard never send their key-up here; release
    // what they hold once the current handler has returned.
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        QTimer::singleShot(0, this, &TfmMain::ReleaseOnFocusLoss);
}

void TfmMain::ReleaseOnFocusLoss()
{
    if (isActiveWindow() || !m_commandList)
        return;
    if (HandlerRunning()) {
        m_releasePending = true;
        return;
    }
    ReleaseUnheard();
}

void TfmMain::RunPendingReleases()
{
    if (HandlerRunning())
        return; // the scope that ends last runs them
    for (quint32 source : std::exchange(m_pendingSources, {}))
        ReleaseSource(source);
    ApplyHeldFeedback();
    if (std::exchange(m_releasePending, false))
        ReleaseOnFocusLoss();
    if (std::exchange(m_closePending, false))
        close();
}

THandlerScope::THandlerScope(TfmMain& window, int button) : m_window(window)
{
    m_window.m_handledButtons.push_back(button);
}

THandlerScope::~THandlerScope()
{
    m_window.m_handledButtons.pop_back();
    if (!m_window.HandlerRunning() &&
        (m_window.m_releasePending || m_window.m_closePending ||
         !m_window.m_pendingSources.empty() || !m_window.m_laterFeedback.empty()))
        QTimer::singleShot(0, &m_window, &TfmMain::RunPendingReleases);
}
