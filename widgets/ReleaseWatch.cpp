#include "ReleaseWatch.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

#include <utility>

namespace {
// How often the pointer is asked while a release is followed; only then, never otherwise.
constexpr int kPollMs = 20;
} // namespace

TReleaseWatch::TReleaseWatch(QWidget& window, std::function<bool()> pointerHeld)
    : QObject(&window), m_window(window), m_pointerHeld(std::move(pointerHeld))
{
    m_poll.setInterval(kPollMs);
    connect(&m_poll, &QTimer::timeout, this, &TReleaseWatch::Check);
    m_window.installEventFilter(this);
}

void TReleaseWatch::Follow(std::function<void()> released)
{
    m_released = std::move(released);
    QCoreApplication::instance()->installEventFilter(this);
    m_poll.start();
    // Up already (let go while the box was open): the release runs once the press event is done.
    QTimer::singleShot(0, this, &TReleaseWatch::Check);
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
    if (watched == &m_window && event->type() == QEvent::WindowBlocked)
        ++m_blocks;
    else if (m_released && event->type() == QEvent::MouseButtonRelease &&
             static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        Check(); // Qt may report a left release when the box closes while the button is down
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
