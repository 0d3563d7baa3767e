#include "ShutdownSignals.h"

#include <QApplication>
#include <QDialog>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <stdexcept>
#include <unistd.h>

namespace {

constexpr std::array<int, 3> kSignals = {SIGTERM, SIGINT, SIGHUP};

// The write end of the pipe: a signal handler can reach nothing else.
volatile sig_atomic_t g_writeFd = -1;

// Between two tries the nested event loops of a menu or dialog get time to return.
constexpr int kRetryMs = 10;

} // namespace

TShutdownSignals::TShutdownSignals(int mainLoopLevel, QObject* parent)
    : QObject(parent), m_mainLoopLevel(mainLoopLevel)
{
    if (::pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error("TShutdownSignals: no pipe");
    g_writeFd = m_pipe[1];
    m_notifier = new QSocketNotifier(m_pipe[0], QSocketNotifier::Read, this);
    m_notifier->setEnabled(false);
    connect(m_notifier, &QSocketNotifier::activated, this, &TShutdownSignals::Arrived);

    struct sigaction action = {};
    action.sa_handler = &TShutdownSignals::Handle;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigset_t ours;
    sigemptyset(&ours);
    for (int signal : kSignals) {
        ::sigaction(signal, &action, nullptr);
        sigaddset(&ours, signal);
    }
    ::pthread_sigmask(SIG_UNBLOCK, &ours, nullptr);
}

TShutdownSignals::TShutdownSignals(std::function<void()> close, int mainLoopLevel, QObject* parent)
    : TShutdownSignals(mainLoopLevel, parent)
{
    Start(std::move(close));
}

void TShutdownSignals::Start(std::function<void()> close)
{
    if (m_close)
        return; // started once
    m_close = std::move(close);
    m_notifier->setEnabled(true);
    // Qt asks for the data before the session ends; the close runs once the request returned.
    if (qApp)
        connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) {
            QTimer::singleShot(0, this, &TShutdownSignals::Close);
        });
}

TShutdownSignals::~TShutdownSignals()
{
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int signal : kSignals)
        ::sigaction(signal, &action, nullptr);
    g_writeFd = -1;
    ::close(m_pipe[0]);
    ::close(m_pipe[1]);
}

void TShutdownSignals::Handle(int)
{
    const int saved = errno;
    const char byte = 1;
    if (g_writeFd >= 0)
        (void)!::write(g_writeFd, &byte, 1); // a full pipe already holds a pending request
    errno = saved;
}

void TShutdownSignals::Arrived()
{
    char bytes[64];
    while (::read(m_pipe[0], bytes, sizeof bytes) > 0) {
    }
    Close();
}

void TShutdownSignals::Close()
{
    if (!m_close)
        return;
    if (QThread::currentThread()->loopLevel() > m_mainLoopLevel) {
        // A menu or a modal dialog runs its own loop: dismiss it and come back once it returned.
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        else if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            dialog->reject();
        else if (QWidget* modal = QApplication::activeModalWidget())
            modal->close();
        if (!m_closing) {
            m_closing = true;
            QTimer::singleShot(kRetryMs, this, [this] {
                m_closing = false;
                Close();
            });
        }
        return;
    }
    m_close();
}
