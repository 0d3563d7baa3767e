// Preloaded into a Qt program by the start-up benchmark (LD_PRELOAD): once the first top-level
// window has painted and the window system has its frame, writes "<wall clock in microseconds>
// <resident KiB>" to the file named by KEYRILL_FIRST_FRAME_FILE and ends the process at once.
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

long ResidentKiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

void Report()
{
    QGuiApplication::sync(); // the frame has reached the X server
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const long long micros = now.tv_sec * 1'000'000LL + now.tv_nsec / 1000;
    if (const char* path = std::getenv("KEYRILL_FIRST_FRAME_FILE")) {
        if (FILE* file = std::fopen(path, "w")) {
            std::fprintf(file, "%lld %ld\n", micros, ResidentKiB());
            std::fclose(file);
        }
    }
    ::_exit(0);
}

class TFirstFrame : public QObject
{
protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_seen) {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (widget && widget->isWindow()) {
                m_seen = true;
                // After this paint the repaint manager paints the children and flushes.
                QTimer::singleShot(0, &Report);
            }
        }
        return false;
    }

private:
    bool m_seen = false;
};

void Install()
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        QCoreApplication::instance()->installEventFilter(new TFirstFrame);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(Install)
