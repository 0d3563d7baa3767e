// A long run of presses and releases through the real event path on a 20 x 20 grid: resident
// memory must not grow with it. KEYRILL_LONGRUN_PRESSES sets the number of presses (10^5 by
// default); the growth is printed.
#include "mainwindow/MainWindowFixture.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

// Resident memory of this process in KiB (VmRSS).
long ResidentKiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

long Presses()
{
    const char* text = std::getenv("KEYRILL_LONGRUN_PRESSES");
    return text ? std::max(1000L, std::atol(text)) : 100'000L;
}

class LongRun : public MainWindowTest
{
protected:
    // `count` presses and releases, spread over all buttons, with the event loop run (and the
    // faces painted) every 400 presses; the fake forgets what it recorded.
    void PressMany(long count)
    {
        for (long i = 0; i < count; ++i) {
            const int number = int(i % 400) + 1;
            Press(number);
            Release(number);
            if (number == 400) {
                QCoreApplication::processEvents();
                m_service.ClearRecords();
            }
        }
    }
};

TEST_F(LongRun, PressesAndReleasesDoNotGrowResidentMemory)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer keeps freed memory in quarantine: resident memory grows";
#endif
    WriteSettings(kOutput1Active + "[General]\nButton Rows=20\nButton Cols=20\n"
                                   "[Button 1]\nAction=1\nMessage=1\nNote=60\nVelocity=100\n");
    Start();
    PressMany(20'000); // caches, glyphs and allocator pools settle
    const long before = ResidentKiB();
    const long presses = Presses();
    PressMany(presses);
    const long after = ResidentKiB();
    std::printf("%ld presses and releases: resident memory %ld KiB -> %ld KiB (%+ld KiB)\n",
                presses, before, after, after - before);
    ASSERT_GT(before, 0);
    EXPECT_LT(after - before, 1024) << "grew by 1 MB or more";
    EXPECT_TRUE(m_boxes.Boxes.empty());
}

} // namespace
