#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

class QWidget;

// The left mouse button's release after a press during which a modal box opened (the error box
// of a send). The box takes the release from the widget that was pressed, and Qt's own idea of
// the button state can be wrong afterwards, so the real pointer is followed: the release is
// reported once, when the button is up for real, at whichever widget (or none) its event lands.
class TReleaseWatch : public QObject
{
public:
    // `pointerHeld` tells whether a mouse button is down right now, as the windowing system
    // knows it.
    explicit TReleaseWatch(std::function<bool()> pointerHeld, QObject* parent = nullptr);

    // Runs `press` with `window` watched. When a modal window blocked it meanwhile, `released`
    // runs once the left button is up for real (from the event loop, at once if it is up
    // already); otherwise the pressed widget reports its release itself. True when followed.
    bool Press(QWidget& window, const std::function<void()>& press,
               std::function<void()> released);
    bool Following() const { return bool(m_released); }
    // Stops following, without running `released` (it was released another way).
    void Cancel();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Check();
    void Finish();
    void Stop();

    std::function<bool()> m_pointerHeld;
    std::function<void()> m_released;
    QWidget* m_watched = nullptr;
    bool m_blocked = false;
    QTimer m_poll;
};
