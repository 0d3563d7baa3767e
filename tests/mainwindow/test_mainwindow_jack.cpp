// The whole road of a click over the real MIDI service: the program's window, a JACK server and a
// receiving port.
#include "support/FakeMessageBoxes.h"
#include "support/JackServer.h"
#include "support/TestApplication.h"
#include "mainwindow/main.h"
#include "midi/Midi.h"
#include "midi/RtMidiService.h"
#include "widgets/TAdvToolButton.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

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

} // namespace
