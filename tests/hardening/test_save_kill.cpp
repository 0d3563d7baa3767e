// A save killed (SIGKILL) at a random moment leaves the settings file whole: the complete old
// file or the complete new one, never a mix, an empty file or none. KEYRILL_SAVE_KILLS sets the
// number of kills (200 by default).
#include "settings/SettingsTestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QThread>

#include <cstdlib>
#include <random>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A 20 x 20 set whose buttons carry `tag`, so that two sets differ in every section.
void FillLargeSet(TSettingsState& s, const QString& tag)
{
    s.Globals.ButtonRows = 20;
    s.Globals.ButtonCols = 20;
    s.Data.Caption = tag;
    for (int i = 0; i < s.CommandList.Count(); ++i) {
        TCommandSet& set = s.CommandList.Get(i);
        set.Action = std::uint8_t(i % 3);
        set.Press.Caption = QStringLiteral("%1 %2").arg(tag).arg(i);
        set.Release.Caption = QStringLiteral("%1 release %2").arg(tag).arg(i);
        set.Press.Msg = {1, std::uint8_t(i % 16), std::uint8_t(i % 128), 100};
    }
}

int Rounds()
{
    const char* text = std::getenv("KEYRILL_SAVE_KILLS");
    return text ? std::max(1, std::atoi(text)) : 200;
}

TEST(SaveKill, KilledSaveLeavesTheOldOrTheNewFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("keyrill.ini");
    TSettingsState a;
    TSettingsState b;
    LoadSettings(path, a.Data);
    LoadSettings(path, b.Data);
    FillLargeSet(a, QStringLiteral("Alpha"));
    FillLargeSet(b, QStringLiteral("Beta"));

    QElapsedTimer timer;
    timer.start();
    SaveSettings(path, a.Data);
    const qint64 saveNs = std::max<qint64>(timer.nsecsElapsed(), 100'000);
    const QByteArray bytesA = ReadBytes(path);
    SaveSettings(path, b.Data);
    const QByteArray bytesB = ReadBytes(path);
    SaveSettings(path, a.Data);
    ASSERT_EQ(ReadBytes(path), bytesA) << "each set is written the same over the other";
    ASSERT_NE(bytesA, bytesB);
    ASSERT_GT(bytesA.size(), 100'000);

    std::mt19937 random(20261209);
    std::uniform_int_distribution<qint64> delayNs(0, 4 * saveNs);
    const int rounds = Rounds();
    int interrupted = 0; // kills that caught a save running
    for (int round = 0; round < rounds; ++round) {
        int progress[2];
        ASSERT_EQ(::pipe(progress), 0);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            // "b" as a save begins, "e" once it has ended.
            ::close(progress[0]);
            for (bool toB = true;; toB = !toB) {
                (void)!::write(progress[1], "b", 1);
                SaveSettings(path, toB ? b.Data : a.Data);
                (void)!::write(progress[1], "e", 1);
            }
        }
        ::close(progress[1]);
        const qint64 delay = delayNs(random);
        QThread::usleep(std::uint64_t(delay / 1000));
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        char last = 0;
        char buffer[256];
        for (ssize_t n; (n = ::read(progress[0], buffer, sizeof buffer)) > 0;)
            last = buffer[n - 1];
        ::close(progress[0]);
        if (last == 'b')
            ++interrupted;

        const QByteArray now = ReadBytes(path);
        ASSERT_TRUE(now == bytesA || now == bytesB)
            << "round " << round << ": " << now.size() << " bytes, neither set";
        // A named temporary file may stay behind where the system has no unnamed ones.
        for (const QString& name : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden))
            if (name != QStringLiteral("keyrill.ini"))
                QFile::remove(dir.filePath(name));
    }
    std::printf("%d kills, %d inside a running save, one save %.2f ms\n", rounds, interrupted,
                double(saveNs) / 1e6);
    if (rounds >= 100) {
        EXPECT_GT(interrupted, 0) << "no kill landed inside a save: the delays miss the window";
    }
}

} // namespace
