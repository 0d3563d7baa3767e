#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

// SIGTERM (a system shutdown, `kill`, a service manager), SIGINT and SIGHUP (a terminal going
// away) and the desktop session's end would stop the program without its shutdown, losing the
// run's edits. While an instance lives they call `close` instead, on the user-interface thread:
// the handler only writes a byte to a pipe. Menus and modal dialogs are dismissed first, and the
// close waits until their event loops have returned, so no handler resumes on a closed window.
//
// The handlers are in place from construction, before the window exists; a signal that comes
// before Start() (during the start-up) waits in the pipe and is acted on once the event loop runs.
class TShutdownSignals : public QObject
{
    Q_OBJECT

public:
    // `mainLoopLevel`: how many event loops run when nothing is nested, 1 under
    // QApplication::exec (0 in a test that runs no loop of its own). The three signals are also
    // unblocked: a parent that started the program with them blocked would leave it deaf.
    explicit TShutdownSignals(int mainLoopLevel = 1, QObject* parent = nullptr);
    TShutdownSignals(std::function<void()> close, int mainLoopLevel = 1,
                     QObject* parent = nullptr);
    ~TShutdownSignals() override; // the default handlers come back

    // From now on a signal (also one that came earlier) calls `close` from the event loop.
    void Start(std::function<void()> close);

    TShutdownSignals(const TShutdownSignals&) = delete;
    TShutdownSignals& operator=(const TShutdownSignals&) = delete;

private:
    static void Handle(int signal);
    void Arrived();
    void Close();

    std::function<void()> m_close;
    int m_mainLoopLevel;
    int m_pipe[2] = {-1, -1};
    QSocketNotifier* m_notifier = nullptr;
    bool m_closing = false;
};
