#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

class QWidget;

// The left mouse button's release after a press during which a modal box opened (the error box
// of a send). The box takes the release from the widget that was pressed, and Qt's own idea of
// the button state can be wrong afterwards, so the real pointer is followed: the release is
// reported once, when the button is up for real, at whichever widget (or none) its event lands;
// a release event counts only when the pointer agrees.
class TReleaseWatch : public QObject
{
public:
    // `window`: the window whose presses are watched (a modal box blocks it); `pointerHeld`
    // tells whether a mouse button is down right now, as the windowing system knows it.
    TReleaseWatch(QWidget& window, std::function<bool()> pointerHeld);

    // Runs `press`. When a modal window blocked the window meanwhile, `released` runs once the
    // left button is up for real (from the event loop, at once if it is up already); otherwise
    // the pressed widget reports its release itself.
    template <typename F> void Press(F&& press, std::function<void()> released)
    {
        Cancel(); // a release still followed belongs to an earlier press, which has ended
        const int blocks = m_blocks;
        press();
        if (m_blocks != blocks)
            Follow(std::move(released));
    }
    // Stops following, without running `released` (it was released another way).
    void Cancel();
    bool Following() const { return bool(m_released); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Follow(std::function<void()> released);
    void Check();
    void Finish();
    void Stop();

    QWidget& m_window;
    std::function<bool()> m_pointerHeld;
    std::function<void()> m_released;
    int m_blocks = 0; // how often a modal window has blocked the window
    QTimer m_poll;
};
