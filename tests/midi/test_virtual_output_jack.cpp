// Keyrill's own virtual output over a real JACK server: the ports it publishes, connected by
// another client after Keyrill started, as a DAW would.
#include "mainwindow/main.h"
#include "midi/Midi.h"
#include "midi/Outputs.h"
#include "midi/RtMidiService.h"
#include "support/FakeMessageBoxes.h"
#include "support/JackServer.h"
#include "support/TestApplication.h"
#include "widgets/TAdvToolButton.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

using TEvent = TJackMidiReceiver::TEvent;
using namespace std::chrono_literals;

// Keyrill's published port for an output, as other JACK clients see it.
std::string PublishedPort(const TJackMidiReceiver& receiver, int output)
{
    const auto ports =
        receiver.MidiOutputPorts("^Keyrill[^:]*:Output " + std::to_string(output) + "$");
    return ports.size() == 1 ? ports[0] : std::string();
}

TEST(VirtualOutputOverJack, IsTheLastEntryAndRealDevicesKeepTheirIndices)
{
    TJackServer server;
    TJackMidiReceiver first("keyrill-first");
    TJackMidiReceiver second("keyrill-second");
    TRtMidiService service;
    TMidiSystem midi(service);
    const auto& devices = midi.GetMidiOutput().Devices();

    // The service's own enumeration, without the virtual entry.
    const int count = service.DeviceCount();
    ASSERT_GE(count, 2);
    ASSERT_EQ(int(devices.size()), count + 1);
    for (int index = 0; index < count; ++index) {
        std::string name;
        ASSERT_EQ(service.DeviceName(index, name), kMidiOk);
        EXPECT_EQ(devices[std::size_t(index)].Name, name) << index;
        EXPECT_FALSE(devices[std::size_t(index)].Virtual);
    }
    EXPECT_EQ(devices.back().Name, "Keyrill (virtual output)");
    EXPECT_EQ(midi.GetMidiOutput().VirtualIndex(), count);
    // Opening the entry publishes a port but adds no device to anybody's list.
    midi.GetMidiOutput().Open(count);
    EXPECT_EQ(service.DeviceCount(), count);
}

TEST(VirtualOutputOverJack, ClickReachesAReceiverConnectedAfterStartUp)
{
    TestApplication();
    TJackServer server;
    TJackMidiReceiver receiver;

    QTemporaryDir dir;
    const QString path = dir.filePath("virtual.ini");
    int virtualIndex = -1;
    {
        TRtMidiService lister;
        TMidiSystem listed(lister);
        virtualIndex = listed.GetMidiOutput().VirtualIndex();
        ASSERT_GE(virtualIndex, 0) << "JACK publishes ports";
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        // Output 1 on the entry as the device list shows it.
        file.write(QStringLiteral("[Output 1]\nMIDI Device=%1\nActive=1\n"
                                  "[Button 1]\nAction=1\nMessage=1\nNote=60\nVelocity=100\n"
                                  "[Button 1 Release]\nNote=60\n")
                       .arg(virtualIndex)
                       .toUtf8());
    }
    TRtMidiService service;
    TMidiSystem midi(service);
    TFakeMessageBoxes boxes;
    TfmMain window(TPlatform{midi, boxes, {path}, dir.filePath("keyrill"), QString()});
    window.CreateDialogs();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_TRUE(boxes.Boxes.empty()) << boxes.Texts().join("; ").toStdString();

    // Nobody listens yet: a click goes nowhere and shows nothing.
    auto* button = window.findChild<TQelSpeedButton*>("BtTx1");
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));

    const std::string port = PublishedPort(receiver, 1);
    EXPECT_EQ(port, "Keyrill:Output 1");
    ASSERT_TRUE(receiver.ConnectFrom(port)) << port;
    ASSERT_TRUE(receiver.WaitForConnections());
    receiver.Clear();
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_TRUE(receiver.WaitFor(2, 5s)) << receiver.Count() << " received";
    EXPECT_EQ(receiver.Events(), (std::vector<TEvent>{{0x90, 0x3C, 0x64}, {0x80, 0x3C, 0x00}}));

    EXPECT_TRUE(window.close());
    EXPECT_TRUE(boxes.Boxes.empty()) << boxes.Texts().join("; ").toStdString();
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(saved.readAll().contains("[Output 1]\r\nMIDI Device=-2\r\n"));
}

TEST(VirtualOutputOverJack, TwoSlotsPublishTwoPortsThatEachCarryTheirOwnMessages)
{
    TJackServer server;
    TJackMidiReceiver first("keyrill-first");
    TJackMidiReceiver second("keyrill-second");
    TRtMidiService service;
    TMidiSystem midi(service);
    TFakeMessageBoxes boxes;
    bool show = true;
    TOutputs outputs(midi, boxes, show, [] { return QPoint(); });
    outputs.CreateOutputs();
    const int entry = midi.GetMidiOutput().VirtualIndex();
    ASSERT_GE(entry, 0);
    outputs.Slots()[0] = {entry, true};
    outputs.Slots()[2] = {entry, true};
    outputs.OpenActiveOutputs();
    ASSERT_TRUE(boxes.Boxes.empty()) << boxes.Texts().join("; ").toStdString();

    const std::string port1 = PublishedPort(first, 1);
    const std::string port3 = PublishedPort(first, 3);
    ASSERT_FALSE(port1.empty());
    ASSERT_FALSE(port3.empty());
    EXPECT_NE(port1, port3);
    EXPECT_TRUE(PublishedPort(first, 2).empty());
    ASSERT_TRUE(first.ConnectFrom(port1));
    ASSERT_TRUE(second.ConnectFrom(port3));
    ASSERT_TRUE(first.WaitForConnections());
    ASSERT_TRUE(second.WaitForConnections());

    outputs.SendMidiMessage(3, 0x92, 0x40, 0x50);
    outputs.SendMidiMessage(1, 0x90, 0x3C, 0x64);
    ASSERT_TRUE(first.WaitFor(1, 5s));
    ASSERT_TRUE(second.WaitFor(1, 5s));
    EXPECT_EQ(first.Events(), (std::vector<TEvent>{{0x90, 0x3C, 0x64}}));
    EXPECT_EQ(second.Events(), (std::vector<TEvent>{{0x92, 0x40, 0x50}}));

    outputs.CloseOutputs();
    EXPECT_TRUE(boxes.Boxes.empty()) << boxes.Texts().join("; ").toStdString();
    EXPECT_FALSE(midi.GetMidiOutput().Devices()[std::size_t(entry)].IsOpen());
}

TEST(VirtualOutputOverJack, ChosenJackApiUsesJack)
{
    TJackServer server;
    TRtMidiService service("jack");
    service.DeviceCount();
    EXPECT_TRUE(service.HasVirtualPorts());
    EXPECT_EQ(service.ApiName(), "jack");
}

// Without a JACK server, a service told to use JACK reports JACK's failure only: it never tried
// another system. Told to use ALSA, it reports ALSA's only.
TEST(ChosenMidiApi, IsTheOnlyOneTried)
{
    const std::string server = "keyrill-absent-" + std::to_string(::getpid());
    ::setenv("JACK_DEFAULT_SERVER", server.c_str(), 1);
    struct TCase
    {
        const char* Api;
        const char* Named;
        const char* NotNamed;
    };
    for (const TCase& c : {TCase{"jack", "JACK", "ALSA"}, TCase{"alsa", "ALSA", "JACK"}}) {
        if (std::string(c.Api) == "alsa" && ::access("/dev/snd/seq", F_OK) == 0)
            continue; // an ALSA sequencer is present: it would start
        TRtMidiService service(c.Api);
        EXPECT_EQ(service.DeviceCount(), 0) << c.Api;
        EXPECT_FALSE(service.HasVirtualPorts()) << c.Api;
        TMidiHandle handle = kNoMidiHandle;
        const TMidiResult opened = service.OpenVirtual("Output 1", handle);
        std::string text;
        ASSERT_TRUE(service.ErrorText(opened, text)) << c.Api;
        EXPECT_NE(text.find(c.Named), std::string::npos) << text;
        EXPECT_EQ(text.find(c.NotNamed), std::string::npos) << text;
    }
    TRtMidiService unknown("coremidi");
    EXPECT_EQ(unknown.DeviceCount(), 0);
    TMidiHandle handle = kNoMidiHandle;
    std::string text;
    ASSERT_TRUE(unknown.ErrorText(unknown.Open(0, handle), text));
    EXPECT_NE(text.find("\"coremidi\" is not part of this build"), std::string::npos) << text;
    ::unsetenv("JACK_DEFAULT_SERVER");
}

} // namespace
