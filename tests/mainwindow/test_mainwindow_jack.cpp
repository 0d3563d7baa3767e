// The whole road of a click over the real MIDI service: the program's window, a JACK server and a
// receiving port.
#include "support/FakeMessageBoxes.h"
#include "support/JackServer.h"
#include "support/TestApplication.h"
#include "dialogs/configuration.h"
#include "mainwindow/main.h"
#include "midi/Midi.h"
#include "midi/RtMidiService.h"
#include "widgets/TAdvToolButton.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(MainWindowOverJack, ClickDeliversTheExactBytes)
{
    TestApplication();
    TJackServer server;
    TJackMidiReceiver receiver;
    const int device = DeviceIndexOf(receiver.PortName());
    ASSERT_GE(device, 0) << "the receiver is listed";

    QTemporaryDir dir;
    const QString path = dir.filePath("live.ini");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("[Output 1]\nMIDI Device=%1\nActive=1\n"
                                  "[Button 1]\nAction=1\nMessage=1\nNote=60\nVelocity=100\n"
                                  "[Button 1 Release]\nNote=60\n"
                                  "[Button 2]\nMessage=4\nChannel=5\nNote=5\n")
                       .arg(device)
                       .toUtf8());
    }
    TRtMidiService service;
    TMidiSystem midi(service);
    TFakeMessageBoxes boxes;
    TfmMain window(TPlatform{midi, boxes, {path}, dir.filePath("keyrill"), QString()});
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_TRUE(boxes.Boxes.empty()) << boxes.Texts().join("; ").toStdString();
    ASSERT_TRUE(receiver.WaitForConnections()) << "output 1 was opened at start-up";

    auto* button1 = window.findChild<TQelSpeedButton*>("BtTx1");
    auto* button2 = window.findChild<TQelSpeedButton*>("BtTx2");
    QTest::mouseClick(button1, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseClick(button2, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_TRUE(receiver.WaitFor(3));
    EXPECT_EQ(receiver.Events(), (std::vector<TJackMidiReceiver::TEvent>{
                                     {0x90, 0x3C, 0x64}, {0x80, 0x3C, 0x00}, {0xC5, 0x05}}));
    EXPECT_TRUE(window.close());
    EXPECT_TRUE(boxes.Boxes.empty());
}

// The program on a file whose output names its device, over the real service.
struct TNamedOutputWindow
{
    TNamedOutputWindow(int output, int index, const std::string& name)
        : path(dir.filePath("live.ini"))
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(QStringLiteral("[Output %1]\nMIDI Device=%2\nMIDI Device Name=%3\nActive=1\n"
                                  "[Button 1]\nMessage=1\nNote=60\nVelocity=100\nOutput=%1\n")
                       .arg(output)
                       .arg(index)
                       .arg(QString::fromStdString(name))
                       .toUtf8());
        file.close();
        window = std::make_unique<TfmMain>(
            TPlatform{midi, boxes, {path}, dir.filePath("keyrill"), QString()});
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    void Click()
    {
        QTest::mouseClick(window->findChild<TQelSpeedButton*>("BtTx1"), Qt::LeftButton);
    }
    // Until the device list, taken again on the service's notice, holds `name` or not.
    bool WaitForListed(const std::string& name, bool listed)
    {
        return QTest::qWaitFor(
            [&] { return (midi.GetMidiOutput().FindDevice(name, 0) >= 0) == listed; });
    }

    QTemporaryDir dir;
    QString path;
    TRtMidiService service;
    TMidiSystem midi{service};
    TFakeMessageBoxes boxes;
    std::unique_ptr<TfmMain> window;
};

TEST(MainWindowOverJack, OutputFollowsItsDeviceByNameThroughAShiftedListAndAReplug)
{
    TestApplication();
    TJackServer server;
    auto receiver = std::make_unique<TJackMidiReceiver>();
    TJackMidiReceiver other("keyrill-other");
    const std::string name = receiver->PortName();
    // The stored index is the other port's: the name decides.
    TNamedOutputWindow live(1, DeviceIndexOf(other.PortName()), name);
    ASSERT_TRUE(receiver->WaitForConnections());
    live.Click();
    ASSERT_TRUE(receiver->WaitFor(1));
    const int index = live.window->Outputs().Slot(1)->DeviceIndex;
    EXPECT_EQ(index, DeviceIndexOf(name));

    receiver->Close(); // unplugged while the program runs
    ASSERT_TRUE(live.WaitForListed(name, false));
    live.Click();
    EXPECT_EQ(
        live.boxes.Texts(),
        QStringList{QStringLiteral("MIDI port error on output 1.(MIDI Device # %1)").arg(index)});

    receiver = std::make_unique<TJackMidiReceiver>(); // plugged in again: the same name
    ASSERT_TRUE(QTest::qWaitFor([&] { return receiver->Connections() > 0; }));
    QTest::qWait(20); // the connection is live from the next cycle
    live.Click();
    ASSERT_TRUE(receiver->WaitFor(1));
    EXPECT_EQ(receiver->Events(), (std::vector<TJackMidiReceiver::TEvent>{{0x90, 0x3C, 0x64}}));
    EXPECT_EQ(other.Count(), 0u);
    EXPECT_EQ(live.boxes.Boxes.size(), 1u);
}

TEST(MainWindowOverJack, ConfigurationApplyWhileTheDeviceIsAbsentKeepsItInTheFile)
{
    TestApplication();
    TJackServer server;
    TJackMidiReceiver receiver;
    const std::string name = receiver.PortName();
    const int index = DeviceIndexOf(name);
    TNamedOutputWindow live(2, index, name);
    receiver.Close();
    ASSERT_TRUE(live.WaitForListed(name, false));
    live.window->CreateDialogs();
    TfmConfiguration& dialog = *live.window->Configuration();
    dialog.show();
    EXPECT_EQ(dialog.findChild<QComboBox*>("edPortNo2")->currentText().toStdString(),
              name + " (not connected)");
    dialog.findChild<QLineEdit*>("edMainCaption")->setText("Changed");
    dialog.findChild<QAbstractButton*>("BtApply")->click();
    dialog.close();
    EXPECT_TRUE(live.window->close());
    QFile file(live.path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains(
        QStringLiteral("[Output 2]\r\nMIDI Device=%1\r\nMIDI Device Name=%2\r\nActive=1\r\n")
            .arg(index)
            .arg(QString::fromStdString(name))
            .toUtf8()));
}

} // namespace
