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

#include <memory>

#include <gtest/gtest.h>

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

// An output section as the program writes it.
QByteArray OutputSection(int output, int index, const std::string& name)
{
    return QStringLiteral("[Output %1]\r\nMIDI Device=%2\r\nMIDI Device Name=%3\r\nActive=1\r\n")
        .arg(output)
        .arg(index)
        .arg(QString::fromStdString(name))
        .toUtf8();
}

// A second port shifts the list before start-up, the device is unplugged, the configuration is
// applied while it is away, it is plugged in again: the output follows it by name throughout.
TEST(MainWindowOverJack, OutputFollowsItsDeviceByNameThroughAShiftedListAndAReplug)
{
    TestApplication();
    TJackServer server;
    auto receiver = std::make_unique<TJackMidiReceiver>();
    TJackMidiReceiver other("keyrill-other");
    const std::string name = receiver->PortName();
    QTemporaryDir dir;
    QFile file(dir.filePath("live.ini"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    // The stored index is the other port's: the name decides.
    file.write(OutputSection(1, DeviceIndexOf(other.PortName()), name) +
               "[Button 1]\nMessage=1\nNote=60\nVelocity=100\n");
    file.close();
    TRtMidiService service;
    TMidiSystem midi(service);
    TFakeMessageBoxes boxes;
    TfmMain window(TPlatform{midi, boxes, {file.fileName()}, dir.filePath("keyrill"), QString()});
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const auto click = [&] {
        QTest::mouseClick(window.findChild<QWidget*>("BtTx1"), Qt::LeftButton);
    };
    ASSERT_TRUE(receiver->WaitForConnections());
    click();
    ASSERT_TRUE(receiver->WaitFor(1));
    const int index = window.Outputs().Slot(1)->DeviceIndex;

    receiver->Close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return midi.GetMidiOutput().FindDevice(name, 0) < 0; }));
    click();
    EXPECT_EQ(
        boxes.Texts(),
        QStringList{QStringLiteral("MIDI port error on output 1.(MIDI Device # %1)").arg(index)});
    window.CreateDialogs();
    TfmConfiguration& dialog = *window.Configuration();
    dialog.show();
    EXPECT_EQ(dialog.findChild<QComboBox*>("edPortNo1")->currentText().toStdString(),
              name + " (not connected)");
    dialog.findChild<QLineEdit*>("edMainCaption")->setText("Changed");
    dialog.findChild<QAbstractButton*>("BtApply")->click();
    dialog.close();
    EXPECT_EQ(window.Outputs().SlotsToStore()[0].DeviceIndex, index);

    receiver = std::make_unique<TJackMidiReceiver>(); // the same name again
    ASSERT_TRUE(QTest::qWaitFor([&] { return receiver->Connections() > 0; }));
    QTest::qWait(20); // the connection is live from the next cycle
    click();
    ASSERT_TRUE(receiver->WaitFor(1));
    EXPECT_EQ(receiver->Events(), (std::vector<TJackMidiReceiver::TEvent>{{0x90, 0x3C, 0x64}}));
    EXPECT_EQ(other.Count(), 0u);
    EXPECT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_TRUE(window.close());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains(OutputSection(1, DeviceIndexOf(name), name)));
}

} // namespace
