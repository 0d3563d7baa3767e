// The portal way of global hot keys against a fake GlobalShortcuts portal of the test's own, on
// a private session bus.
#include "MainWindowFixture.h"

#include <QAction>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QMenu>
#include <QProcess>

#include <csignal>
#include <sys/prctl.h>

namespace {

class PortalTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        // Should the test die, the bus and the fake go with it.
        for (QProcess* process : {&m_daemon, &m_portal})
            process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        m_daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        ASSERT_TRUE(m_daemon.waitForReadyRead(10000)) << "dbus-daemon did not start";
        const QString address = QString(m_daemon.readLine().trimmed());
        m_bus = QDBusConnection::connectToBus(address, "fake");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DBUS_SESSION_BUS_ADDRESS", address);
        m_portal.setProcessEnvironment(environment);
        m_portal.setProcessChannelMode(QProcess::ForwardedChannels);
        // Debian's own Python, which python3-dbus and python3-gi serve.
        m_portal.start("/usr/bin/python3", {KEYRILL_SOURCE_DIR "/tests/support/fake_portal.py"});
        QTRY_VERIFY_WITH_TIMEOUT(
            m_bus.interface()->isServiceRegistered("org.freedesktop.portal.Desktop"), 10000);
        m_keys = MakePortalGlobalKeys(m_bus);
        m_globalKeys = m_keys.get();
    }
    void TearDown() override
    {
        m_window.reset();
        m_keys.reset();
        QDBusConnection::disconnectFromBus("fake");
        for (QProcess* process : {&m_portal, &m_daemon}) {
            process->kill();
            process->waitForFinished();
        }
    }
    QDBusMessage Fake(const QString& method, const QVariantList& arguments = {})
    {
        QDBusMessage call = QDBusMessage::createMethodCall(
            "org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop",
            "org.keyrill.FakePortal", method);
        call.setArguments(arguments);
        return m_bus.call(call);
    }
    QStringList Bound() { return Fake("Bound").arguments().value(0).toStringList(); }

    QProcess m_daemon, m_portal;
    QDBusConnection m_bus{QString()};
    std::unique_ptr<IGlobalKeys> m_keys;
};

TEST_F(PortalTest, BindsTheHotKeysInUsePlaysTheirShortcutsAndRebindsAfterAnEdit)
{
    WriteSettings(kOutput1Active + "[General]\nGlobal Hot Keys=1\n"
                                   "[Button 1]\nAction=1\nHotKey=F13\nMessage=1\nNote=60\n"
                                   "[Button 1 Release]\nNote=60\n[Button 2]\nHotKey=Q\n");
    Start();
    EXPECT_TRUE(m_keys->Unavailable().isEmpty()) << m_keys->Unavailable().toStdString();
    QTRY_COMPARE(Bound(), (QStringList{"Q=q", "F13=F13"}));
    Fake("Key", {"F13", true});
    QTRY_COMPARE(Sent(), QStringList{"90 3C 00"});
    Fake("Key", {"F13", false});
    QTRY_COMPARE(Sent(), (QStringList{"90 3C 00", "80 3C 00"}));

    // Held while button 2 is cut: released once, and a new session binds F13 alone.
    Fake("Key", {"F13", true});
    QTRY_COMPARE(Sent().size(), 3);
    Press(2, Qt::RightButton);
    Release(2, Qt::RightButton);
    m_window->MenuItem("ButtonCut1")->trigger();
    m_window->PopupMenu()->close();
    QTRY_COMPARE(Bound(), QStringList{"F13=F13"});
    EXPECT_EQ(Sent().mid(2), (QStringList{"90 3C 00", "80 3C 00"}));
    Fake("Key", {"F13", false});
    Fake("Key", {"F13", true});
    QTRY_COMPARE(Sent().size(), 5);
}

} // namespace
