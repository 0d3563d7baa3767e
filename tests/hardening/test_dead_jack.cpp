// The JACK server dies while the program runs with an active output: no crash, no hang of the
// window, failed sends reported as "Show Output Errors" says, and the program still closes and
// saves.
#include "mainwindow/main.h"
#include "midi/Midi.h"
#include "midi/RtMidiService.h"
#include "settings/SettingsTestSupport.h"
#include "support/FakeMessageBoxes.h"
#include "support/JackServer.h"
#include "support/TestApplication.h"
#include "widgets/TAdvToolButton.h"

#include <QElapsedTimer>
#include <QTest>
#include <QThread>

#include <csignal>

namespace {

class DeadJack : public testing::TestWithParam<bool>
{
};

TEST_P(DeadJack, WindowKeepsWorkingAndClosesWithItsSettings)
{
    const bool showErrors = GetParam();
    TestApplication();
    TJackServer server;
    TJackMidiReceiver receiver;
    const int device = DeviceIndexOf(receiver.PortName());
    ASSERT_GE(device, 0);

    QTemporaryDir dir;
    const QString path = dir.filePath("live.ini");
    WriteBytes(path, QStringLiteral("[Output 1]\nMIDI Device=%1\nActive=1\n"
                                    "[General]\nShow Output Errors=%2\nCaption=Live\n"
                                    "[Button 1]\nAction=1\nMessage=1\nNote=60\nVelocity=100\n"
                                    "[Button 1 Release]\nNote=60\n")
                         .arg(device)
                         .arg(showErrors ? 1 : 0)
                         .toUtf8());
    TRtMidiService service;
    TMidiSystem midi(service);
    TFakeMessageBoxes boxes;
    TfmMain window(TPlatform{midi, boxes, {path}, dir.filePath("keyrill"), QString()});
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_TRUE(receiver.WaitForConnections());
    auto* button = window.findChild<TQelSpeedButton*>("BtTx1");
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_TRUE(receiver.WaitFor(2)) << "the output works before the server dies";

    ASSERT_EQ(::kill(server.Pid(), SIGKILL), 0);
    for (int i = 0; i < 500 && server.Running(); ++i)
        QThread::msleep(10);
    ASSERT_FALSE(server.Running());
    QThread::msleep(200); // the client notices that its server is gone

    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 20; ++i) {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
        QCoreApplication::processEvents();
    }
    EXPECT_LT(timer.elapsed(), 10'000) << "the window hangs on sends to a dead server";
    EXPECT_FALSE(button->Down());
    if (showErrors) {
        EXPECT_GE(boxes.Boxes.size(), 1u) << "sends to a dead server reported as success";
    } else {
        EXPECT_TRUE(boxes.Boxes.empty()) << boxes.Texts().join("; ").toStdString();
    }
    const QString expected =
        QStringLiteral("MIDI port error on output 1.(MIDI Device # %1)").arg(device);
    for (const auto& box : boxes.Boxes) {
        EXPECT_EQ(box.Icon, TBoxIcon::Error) << box.Text.toStdString();
        EXPECT_EQ(box.Text, expected);
    }

    window.SetCaption(QStringLiteral("After"));
    EXPECT_TRUE(window.close());
    EXPECT_TRUE(ReadBytes(path).contains("Caption=After\r\n"));
    std::printf("%zu error boxes after the server died: %s\n", boxes.Boxes.size(),
                qPrintable(boxes.Texts().join(QStringLiteral("; ")).left(300)));
}

// The service itself: once the server is gone a send fails, at once, with a text that says why,
// and so does opening another output.
TEST(DeadJackService, SendFailsWithTheReason)
{
    TJackServer server;
    TRtMidiService service("jack");
    ASSERT_GE(service.DeviceCount(), 0);
    TMidiHandle handle = 0;
    ASSERT_EQ(service.OpenVirtual("Watched", handle), kMidiOk);
    ASSERT_EQ(service.SendShortMessage(handle, 0x643C90), kMidiOk);

    ASSERT_EQ(::kill(server.Pid(), SIGKILL), 0);
    for (int i = 0; i < 500 && server.Running(); ++i)
        QThread::msleep(10);
    ASSERT_FALSE(server.Running());
    TMidiResult result = kMidiOk;
    for (int i = 0; i < 200 && result == kMidiOk; ++i) {
        QThread::msleep(10);
        result = service.SendShortMessage(handle, 0x003C80);
    }
    ASSERT_NE(result, kMidiOk) << "sends to a dead server reported as success";
    std::string text;
    ASSERT_TRUE(service.ErrorText(result, text));
    EXPECT_NE(text.find("JACK server has stopped"), std::string::npos) << text;

    TMidiHandle another = 0;
    const TMidiResult opened = service.OpenVirtual("Another", another);
    ASSERT_NE(opened, kMidiOk);
    ASSERT_TRUE(service.ErrorText(opened, text));
    EXPECT_NE(text.find("JACK server has stopped"), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(ShowOutputErrors, DeadJack, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "On" : "Off");
                         });

} // namespace
