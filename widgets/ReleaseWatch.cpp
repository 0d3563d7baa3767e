#include "ReleaseWatch.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

#include <utility>

namespace {
// How often the pointer is asked while a release is followed; only then, never otherwise.
constexpr int kPollMs = 20;
} // namespace

TReleaseWatch::TReleaseWatch(std::function<bool()> pointerHeld, QObject* parent)
    : QObject(parent), m_pointerHeld(std::move(pointerHeld))
{
    m_poll.setInterval(kPollMs);
    connect(&m_poll, &QTimer::timeout, this, &TReleaseWatch::Check);
}

bool TReleaseWatch::Press(QWidget& window, const std::function<void()>& press,
                          std::function<void()> released)
{
    // A release still followed belongs to an earlier press, which the caller has ended.
    Cancel();
    m_watched = &window;
    m_blocked = false;
    window.installEventFilter(this);
    press();
    if (m_watched)
        m_watched->removeEventFilter(this);
    m_watched = nullptr;
    if (!m_blocked)
        return false;
    m_released = std::move(released);
    QCoreApplication::instance()->installEventFilter(this);
    m_poll.start();
    // Up already (let go while the box was open): the release runs once the press event is done.
    QTimer::singleShot(0, this, &TReleaseWatch::Check);
    return true;
}

void TReleaseWatch::Cancel()
{
    if (std::exchange(m_released, nullptr))
        Stop();
}

void TReleaseWatch::Stop()
{
    m_poll.stop();
    QCoreApplication::instance()->removeEventFilter(this);
}

bool TReleaseWatch::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_watched && event->type() == QEvent::WindowBlocked)
        m_blocked = true;
    else if (m_released && event->type() == QEvent::MouseButtonRelease &&
             static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        Finish();
    return QObject::eventFilter(watched, event);
}

void TReleaseWatch::Check()
{
    if (m_released && !m_pointerHeld())
        Finish();
}

void TReleaseWatch::Finish()
{
    const std::function<void()> released = std::exchange(m_released, nullptr);
    Stop();
    if (released)
        released();
}
