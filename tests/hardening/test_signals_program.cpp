// The built program ends on SIGTERM, SIGINT and SIGHUP through its normal shutdown: the settings
// file is written as by a close.
#include "settings/SettingsTestSupport.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QThread>

#include <chrono>
#include <csignal>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#include <pthread.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Whether the process has a handler for `signal` (the SigCgt mask of /proc/PID/status).
bool Catches(pid_t pid, int signal)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("SigCgt:", 0) == 0)
            return (std::stoull(line.substr(7), nullptr, 16) >> (signal - 1)) & 1u;
    return false;
}

// Waits for the child's end; nothing when it is still running after `timeout`.
std::optional<int> WaitForExit(pid_t pid, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid)
            return status;
        QThread::msleep(10);
    }
    return std::nullopt;
}

// Starts the built program offscreen on a settings file, with `variables` set; with `blocked`,
// SIGTERM starts blocked, as a parent may hand it down.
pid_t StartProgram(const QString& path, const std::vector<std::string>& variables = {},
                   bool blocked = false)
{
    const QByteArray file = QFile::encodeName(path);
    // Blocked before the fork, so that a signal sent at once finds it blocked in the child.
    sigset_t term;
    sigset_t saved;
    sigemptyset(&term);
    sigaddset(&term, SIGTERM);
    ::pthread_sigmask(blocked ? SIG_BLOCK : SIG_UNBLOCK, &term, &saved);
    const pid_t pid = ::fork();
    if (pid != 0) {
        ::pthread_sigmask(SIG_SETMASK, &saved, nullptr);
        return pid;
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    for (const std::string& variable : variables)
        ::putenv(const_cast<char*>(variable.c_str()));
    ::execl(KEYRILL_PROGRAM, KEYRILL_PROGRAM, file.constData(), static_cast<char*>(nullptr));
    ::_exit(127);
}

// The program's exit status, or a failure when it does not end within 20 s (it is killed then).
int ExitStatusOf(pid_t pid)
{
    const std::optional<int> status = WaitForExit(pid, std::chrono::seconds(20));
    if (!status) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        ADD_FAILURE() << "the program did not end";
        return -1;
    }
    EXPECT_TRUE(WIFEXITED(*status)) << "ended by the signal itself: " << *status;
    return WIFEXITED(*status) ? WEXITSTATUS(*status) : -1;
}

void AwaitHandler(pid_t pid, int signal)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!Catches(pid, signal) && std::chrono::steady_clock::now() < deadline)
        QThread::msleep(5);
    ASSERT_TRUE(Catches(pid, signal)) << "the program did not start";
}

class ProgramSignal : public testing::TestWithParam<int>
{
};

TEST_P(ProgramSignal, EndsThroughTheNormalShutdownAndSaves)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("keyrill.ini");
    WriteBytes(path, "[General]\nCaption=Mine\n");
    const pid_t pid = StartProgram(path);
    ASSERT_GE(pid, 0);
    AwaitHandler(pid, GetParam());
    EXPECT_EQ(ReadBytes(path), "[General]\nCaption=Mine\n");

    ASSERT_EQ(::kill(pid, GetParam()), 0);
    EXPECT_EQ(ExitStatusOf(pid), 0);
    const QByteArray saved = ReadBytes(path);
    EXPECT_TRUE(saved.startsWith("[General]\r\nCaption=Mine\r\n")) << saved.toStdString();
    EXPECT_TRUE(saved.contains("[Windows]\r\nMain Top="));
    EXPECT_TRUE(saved.contains("[Button 15 Release]"));
}

// Sent before the program could have made its window: it is kept until the start-up is done.
TEST(ProgramSignalEarly, ASignalFromTheStartIsActedOnOnceStartedUp)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("keyrill.ini");
    const pid_t pid = StartProgram(path, {}, true);
    ASSERT_GE(pid, 0);
    ASSERT_EQ(::kill(pid, SIGTERM), 0);
    EXPECT_EQ(ExitStatusOf(pid), 0);
    EXPECT_TRUE(ReadBytes(path).contains("[Button 15 Release]"));
}

// Nobody can answer a box at a signal: a set that cannot be saved goes to a rescue file.
TEST(ProgramSignalRescue, AnUnsavableSetGoesToARescueFileAndTheExitSaysSo)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("not/there/keyrill.ini");
    const std::string config = "XDG_CONFIG_HOME=" + dir.filePath("config").toStdString();
    const pid_t pid = StartProgram(path, {config});
    ASSERT_GE(pid, 0);
    AwaitHandler(pid, SIGTERM);
    ASSERT_EQ(::kill(pid, SIGTERM), 0);
    EXPECT_EQ(ExitStatusOf(pid), 1);
    const QStringList rescued = QDir(dir.filePath("config/keyrill"))
                                    .entryList({"keyrill-rescued-*.ini"}, QDir::Files);
    ASSERT_EQ(rescued.size(), 1);
    EXPECT_TRUE(rescued[0].contains(QRegularExpression("^keyrill-rescued-\\d{8}-\\d{6}\\.ini$")));
    EXPECT_TRUE(ReadBytes(dir.filePath("config/keyrill/" + rescued[0])).contains("[Button 15 Release]"));
}

INSTANTIATE_TEST_SUITE_P(Signals, ProgramSignal, testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const testing::TestParamInfo<int>& info) {
                             return std::string(info.param == SIGTERM  ? "Term"
                                                : info.param == SIGINT ? "Int"
                                                                       : "Hup");
                         });

} // namespace
