// The built program ends on SIGTERM, SIGINT and SIGHUP through its normal shutdown: the settings
// file is written as by a close.
#include "settings/SettingsTestSupport.h"

#include <QFile>
#include <QThread>

#include <chrono>
#include <csignal>
#include <fstream>
#include <sstream>
#include <string>
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

class ProgramSignal : public testing::TestWithParam<int>
{
};

TEST_P(ProgramSignal, EndsThroughTheNormalShutdownAndSaves)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("keyrill.ini");
    WriteBytes(path, "[General]\nCaption=Mine\n");
    const QByteArray file = QFile::encodeName(path);

    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::execl(KEYRILL_PROGRAM, KEYRILL_PROGRAM, file.constData(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!Catches(pid, GetParam()) && std::chrono::steady_clock::now() < deadline)
        QThread::msleep(5);
    ASSERT_TRUE(Catches(pid, GetParam())) << "the program did not start";
    EXPECT_EQ(ReadBytes(path), "[General]\nCaption=Mine\n");

    ASSERT_EQ(::kill(pid, GetParam()), 0);
    const std::optional<int> status = WaitForExit(pid, std::chrono::seconds(20));
    if (!status) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        FAIL() << "the program did not end";
    }
    EXPECT_TRUE(WIFEXITED(*status)) << "ended by the signal itself: " << *status;
    EXPECT_EQ(WEXITSTATUS(*status), 0);
    const QByteArray saved = ReadBytes(path);
    EXPECT_TRUE(saved.startsWith("[General]\r\nCaption=Mine\r\n")) << saved.toStdString();
    EXPECT_TRUE(saved.contains("[Windows]\r\nMain Top="));
    EXPECT_TRUE(saved.contains("[Button 15 Release]"));
}

INSTANTIATE_TEST_SUITE_P(Signals, ProgramSignal, testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const testing::TestParamInfo<int>& info) {
                             return std::string(info.param == SIGTERM  ? "Term"
                                                : info.param == SIGINT ? "Int"
                                                                       : "Hup");
                         });

} // namespace
