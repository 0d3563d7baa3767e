// The built program ends on SIGTERM, SIGINT and SIGHUP through its normal shutdown: the settings
// file is written as by a close.
#include "settings/SettingsTestSupport.h"

#include <QDir>
#include <QFile>
#include <QThread>

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

// Starts the built program offscreen on a settings file, with `variables` set; with `blocked`,
// SIGTERM starts blocked (before the fork, so that a signal sent at once finds it so), as a parent
// may hand it down.
pid_t StartProgram(const QString& path, const std::vector<std::string>& variables = {},
                   bool blocked = false)
{
    const QByteArray file = QFile::encodeName(path);
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

// The program's exit status; a failure when it does not end within 20 s (it is killed then).
int ExitStatusOf(pid_t pid)
{
    int status = 0;
    for (int i = 0; i < 2000 && ::waitpid(pid, &status, WNOHANG) != pid; ++i)
        QThread::msleep(10);
    if (::kill(pid, 0) == 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        ADD_FAILURE() << "the program did not end";
        return -1;
    }
    EXPECT_TRUE(WIFEXITED(status)) << "ended by the signal itself: " << status;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void AwaitHandler(pid_t pid, int signal)
{
    for (int i = 0; i < 6000 && !Catches(pid, signal); ++i)
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
    const QDir folder(dir.filePath("config/keyrill"));
    const QStringList rescued = folder.entryList({"keyrill-rescued-[0-9]*-[0-9]*.ini"});
    ASSERT_EQ(rescued.size(), 1);
    EXPECT_EQ(rescued[0].size(), QStringLiteral("keyrill-rescued-YYYYMMDD-HHMMSS.ini").size());
    EXPECT_TRUE(ReadBytes(folder.filePath(rescued[0])).contains("[Button 15 Release]"));
}

INSTANTIATE_TEST_SUITE_P(Signals, ProgramSignal, testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const testing::TestParamInfo<int>& info) {
                             return std::string(info.param == SIGTERM  ? "Term"
                                                : info.param == SIGINT ? "Int"
                                                                       : "Hup");
                         });

} // namespace
