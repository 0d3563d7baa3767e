// Global hot keys through the desktop portal: a fake GlobalShortcuts portal on a private bus.
#include "MainWindowFixture.h"

#include <QDBusConnection>
#include <QProcess>

#include <csignal>
#include <sys/prctl.h>

namespace {

class PortalTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        for (QProcess* process : {&m_daemon, &m_portal}) // should the test die, they go with it
            process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        m_daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        ASSERT_TRUE(m_daemon.waitForReadyRead(10000)) << "dbus-daemon did not start";
        const QString address = QString(m_daemon.readLine().trimmed());
        m_bus = QDBusConnection::connectToBus(address, address); // each test a bus of its own
        m_portal.setEnvironment(QProcess::systemEnvironment()
                                << "DBUS_SESSION_BUS_ADDRESS=" + address);
        m_portal.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // Debian's own Python, which python3-dbus and python3-gi serve.
        m_portal.start("/usr/bin/python3", {KEYRILL_SOURCE_DIR "/tests/support/fake_portal.py"});
        EXPECT_EQ(NextLine(), "ready");
        m_keys = MakePortalGlobalKeys(m_bus);
        m_globalKeys = m_keys.get();
    }
    QByteArray NextLine() // of the fake: "ready", then the bindings
    {
        EXPECT_TRUE(QTest::qWaitFor([this] { return m_portal.canReadLine(); }, 10000));
        return m_portal.readLine().trimmed();
    }

    QProcess m_daemon, m_portal; // killed when destroyed, after the window
    QDBusConnection m_bus{QString()};
    std::unique_ptr<IGlobalKeys> m_keys;
};

TEST_F(PortalTest, BindsTheHotKeysInUsePlaysTheirShortcutsAndRebindsAfterAnEdit)
{
    WriteSettings(kOutput1Active + "[General]\nGlobal Hot Keys=1\n"
                                   "[Button 1]\nAction=1\nHotKey=F13\nMessage=1\nNote=60\n"
                                   "[Button 1 Release]\nNote=60\n[Button 2]\nHotKey=Q\n");
    Start();
    EXPECT_EQ(NextLine(), "Q=q F13=F13");
    EXPECT_EQ(NextLine(), "|Hot key Q \u2014 2|Hot key F13 \u2014 1"); // the default captions
    m_portal.write("F13 1\nF13 0\n");
    QTest::keyClick(m_window.get(), Qt::Key_Q); // the desktop keeps Q's key for its shortcut
    QTRY_COMPARE(Sent(), (QStringList{"90 3C 00", "80 3C 00"}));
    // Button 2 loses its hot key, and the faces are refreshed as after every edit: a new session
    // binds F13 alone.
    m_window->CommandList()->Get(1).HotKey.clear();
    m_window->RefreshButtons();
    EXPECT_EQ(NextLine(), "F13=F13");
    NextLine();
    m_portal.write("F13 1\n");
    QTRY_COMPARE(Sent().size(), 3);
}

TEST_F(PortalTest, BindsKeypadDigitsByCaptionAndLeavesAShortcutGivenAnotherKeyToTheWindow)
{
    WriteSettings(kOutput1Active + "[General]\nGlobal Hot Keys=1\n"
                                   "[Button 1]\nAction=1\nHotKey=1\nCaption=Intro\nMessage=1\n"
                                   "Note=60\n[Button 1 Release]\nNote=60\n"
                                   "[Button 2]\nAction=1\nHotKey=A\nMessage=1\nNote=62\n"
                                   "[Button 2 Release]\nNote=62\n");
    m_portal.write("give A <Control>F5\n"); // the user's choice in the desktop's dialog
    EXPECT_EQ(NextLine(), "given");
    Start();
    EXPECT_EQ(NextLine(), "1=1 KP_1=KP_1 A=a");
    EXPECT_EQ(NextLine(), "|Hot key 1 \u2014 Intro|Hot key 1 \u2014 Intro|Hot key A \u2014 2");
    m_portal.write("KP_1 1\nKP_1 0\n");
    QTRY_COMPARE(Sent().size(), 2);
    QTest::keyClick(m_window.get(), Qt::Key_A);
    EXPECT_EQ(Sent(), (QStringList{"90 3C 00", "80 3C 00", "90 3E 00", "80 3E 00"}));
    EXPECT_EQ(m_keys->Unavailable(), QString()); // asked without blocking, answered by now
}

} // namespace
