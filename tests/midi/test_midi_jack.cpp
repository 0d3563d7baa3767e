// Real MIDI: a private JACK server (dummy driver) with a receiving MIDI input port; messages go
// through SendMidiMessage, TMidiOutput and the RtMidi service, and the bytes are checked as the
// receiver got them.
#include <QStringList> // before FakeMessageBoxes.h, which uses it

#include "midi/Midi.h"
#include "midi/MidiModule.h"
#include "midi/Outputs.h"
#include "midi/RtMidiService.h"
#include "support/FakeMessageBoxes.h"
#include "support/JackServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

using TEvent = TJackMidiReceiver::TEvent;
using namespace std::chrono_literals;

class MidiOverJack : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { s_server = std::make_unique<TJackServer>(); }
    static void TearDownTestSuite() { s_server.reset(); }

    void SetUp() override
    {
        ASSERT_TRUE(s_server && s_server->Running());
        receiver = std::make_unique<TJackMidiReceiver>();
        outputs.CreateOutputs();
    }

    // The receiver's position in the device list, -1 when it is not listed.
    int DeviceIndexOf(const TJackMidiReceiver& port)
    {
        const auto& devices = midi.GetMidiOutput().Devices();
        const auto found = std::find_if(devices.begin(), devices.end(), [&](const TMidiDevice& d) {
            return d.Name == port.PortName();
        });
        return found == devices.end() ? -1 : int(found - devices.begin());
    }

    // Output `number` active on the receiver, opened as at start-up.
    void StartUpOn(int number, const TJackMidiReceiver& port)
    {
        const int index = DeviceIndexOf(port);
        ASSERT_GE(index, 0) << port.PortName() << " is not listed";
        outputs.Slot(number)->DeviceIndex = index;
        outputs.Slot(number)->Active = true;
        outputs.OpenActiveOutputs();
        ASSERT_TRUE(boxes.Boxes.empty()) << boxes.Texts().join('\n').toStdString();
        ASSERT_TRUE(port.WaitForConnections()) << port.PortName() << " was never connected";
    }

    static std::unique_ptr<TJackServer> s_server;
    std::unique_ptr<TJackMidiReceiver> receiver;
    TRtMidiService service;
    TMidiSystem midi{service};
    TFakeMessageBoxes boxes;
    bool showOutputErrors = true;
    TOutputs outputs{midi, boxes, showOutputErrors, [] { return QPoint(10, 20); }};
};

std::unique_ptr<TJackServer> MidiOverJack::s_server;

} // namespace

TEST_F(MidiOverJack, DeviceListShowsTheReceiverPortThroughJack)
{
    EXPECT_GE(DeviceIndexOf(*receiver), 0) << receiver->PortName();
    EXPECT_EQ(service.ApiName(), "jack");
    EXPECT_NE(receiver->PortName().find(':'), std::string::npos);
}

TEST_F(MidiOverJack, ReceiverGetsTheExactBytesInOrder)
{
    StartUpOn(1, *receiver);
    outputs.SendMidiMessage(1, 0x90, 0x3C, 0x64); // Note On
    outputs.SendMidiMessage(1, 0xC5, 0x05, 0x00); // Program Change: two bytes
    outputs.SendMidiMessage(1, 0xF8, 0x00, 0x00); // Clock: one byte
    ASSERT_TRUE(receiver->WaitFor(3, 5s)) << receiver->Count() << " received";
    EXPECT_EQ(receiver->Events(), (std::vector<TEvent>{{0x90, 0x3C, 0x64}, {0xC5, 0x05}, {0xF8}}));
    EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(MidiOverJack, EachStatusGoesOutWithItsStandardLength)
{
    StartUpOn(2, *receiver);
    outputs.SendMidiMessage(2, 0xB9, 0x07, 0x7F); // Control Change
    outputs.SendMidiMessage(2, 0xD3, 0x40, 0x11); // Channel Pressure
    outputs.SendMidiMessage(2, 0xE0, 0x00, 0x40); // Pitch Wheel
    outputs.SendMidiMessage(2, 0xF1, 0x22, 0x33); // MTC quarter frame
    outputs.SendMidiMessage(2, 0xF2, 0x01, 0x02); // Song Position
    outputs.SendMidiMessage(2, 0xF3, 0x05, 0x06); // Song Select
    outputs.SendMidiMessage(2, 0xF6, 0x07, 0x08); // Tune Request
    outputs.SendMidiMessage(2, 0xFF, 0x09, 0x0A); // Reset
    ASSERT_TRUE(receiver->WaitFor(8, 5s)) << receiver->Count() << " received";
    EXPECT_EQ(receiver->Events(), (std::vector<TEvent>{{0xB9, 0x07, 0x7F},
                                                       {0xD3, 0x40},
                                                       {0xE0, 0x00, 0x40},
                                                       {0xF1, 0x22},
                                                       {0xF2, 0x01, 0x02},
                                                       {0xF3, 0x05},
                                                       {0xF6},
                                                       {0xFF}}));
}

TEST_F(MidiOverJack, SystemExclusiveStatusIsRefusedWithAClearTextAndTheErrorBox)
{
    StartUpOn(1, *receiver);
    const int index = outputs.Slot(1)->DeviceIndex;
    try {
        midi.GetMidiOutput().Send(index, 0xF0, 0x00, 0x00);
        ADD_FAILURE() << "0xF0 was sent";
    } catch (const EMidiError& error) {
        EXPECT_STREQ(error.what(), "System exclusive messages are not supported");
    }
    outputs.SendMidiMessage(1, 0xF7, 0x00, 0x00);
    EXPECT_EQ(
        boxes.Texts(),
        QStringList{QStringLiteral("MIDI port error on output 1.(MIDI Device # %1)").arg(index)});
    outputs.SendMidiMessage(1, 0x90, 0x3C, 0x64);
    ASSERT_TRUE(receiver->WaitFor(1, 5s));
    EXPECT_EQ(receiver->Events(), (std::vector<TEvent>{{0x90, 0x3C, 0x64}}));
}

TEST_F(MidiOverJack, MessageSentJustBeforeShutdownIsDelivered)
{
    StartUpOn(1, *receiver);
    outputs.SendMidiMessage(1, 0x80, 0x3C, 0x00);
    outputs.CloseOutputs();
    ASSERT_TRUE(receiver->WaitFor(1, 5s));
    EXPECT_EQ(receiver->Events(), (std::vector<TEvent>{{0x80, 0x3C, 0x00}}));
    EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(MidiOverJack, TwoOutputsOnTwoReceiversEachGetTheirOwnMessages)
{
    TJackMidiReceiver second("keyrill-second");
    StartUpOn(1, *receiver);
    StartUpOn(2, second);
    outputs.SendMidiMessage(2, 0x91, 0x40, 0x50);
    outputs.SendMidiMessage(1, 0x90, 0x3C, 0x64);
    ASSERT_TRUE(receiver->WaitFor(1, 5s));
    ASSERT_TRUE(second.WaitFor(1, 5s));
    EXPECT_EQ(receiver->Events(), (std::vector<TEvent>{{0x90, 0x3C, 0x64}}));
    EXPECT_EQ(second.Events(), (std::vector<TEvent>{{0x91, 0x40, 0x50}}));
}

TEST_F(MidiOverJack, TwoOutputsOnOneReceiverShareTheDeviceAndShutdownGoesOn)
{
    StartUpOn(1, *receiver);
    outputs.Slot(3)->DeviceIndex = outputs.Slot(1)->DeviceIndex;
    outputs.Slot(3)->Active = true;
    outputs.SendMidiMessage(1, 0x90, 0x3C, 0x64);
    outputs.SendMidiMessage(3, 0x90, 0x3E, 0x64);
    ASSERT_TRUE(receiver->WaitFor(2, 5s));
    EXPECT_EQ(receiver->Events(), (std::vector<TEvent>{{0x90, 0x3C, 0x64}, {0x90, 0x3E, 0x64}}));
    outputs.CloseOutputs();
    EXPECT_TRUE(boxes.Boxes.empty());
    EXPECT_FALSE(midi.GetMidiOutput().Devices()[std::size_t(DeviceIndexOf(*receiver))].IsOpen());
}

TEST_F(MidiOverJack, ReceiverThatGoesAwayWhileOpenFailsItsSendsWithoutCrashOrBlock)
{
    StartUpOn(1, *receiver);
    const int index = outputs.Slot(1)->DeviceIndex;
    outputs.SendMidiMessage(1, 0x90, 0x3C, 0x64);
    ASSERT_TRUE(receiver->WaitFor(1, 5s));

    receiver->Close();
    for (int i = 0; i < 2000; ++i)
        outputs.SendMidiMessage(1, 0x90, std::uint8_t(i & 0x7F), 0x64);
    // The program goes on: other devices still work and shutdown completes.
    TJackMidiReceiver later("keyrill-later");
    midi.GetMidiOutput(); // the list was taken before `later` existed
    outputs.SendMidiMessage(1, 0x80, 0x3C, 0x00);
    outputs.CloseOutputs();
    EXPECT_EQ(later.Count(), 0u);
    // Once JACK has told of the port's end, no send reports success (the few before may).
    ASSERT_FALSE(boxes.Boxes.empty());
    EXPECT_EQ(boxes.Texts().back(),
              QStringLiteral("MIDI port error on output 1.(MIDI Device # %1)").arg(index));
}

TEST_F(MidiOverJack, ReceiverGoneBeforeStartUpShowsTheOpeningBoxAndSendsShowTheErrorBox)
{
    const int index = DeviceIndexOf(*receiver); // the list is taken while it exists
    ASSERT_GE(index, 0);
    receiver->Close();
    outputs.Slot(2)->DeviceIndex = index;
    outputs.Slot(2)->Active = true;
    outputs.OpenActiveOutputs();
    outputs.SendMidiMessage(2, 0x90, 0x3C, 0x64);
    EXPECT_EQ(
        boxes.Texts(),
        (QStringList{"The MIDI device specified for output 2 could not be opened.",
                     QStringLiteral("MIDI port error on output 2.(MIDI Device # %1)").arg(index)}));
}

TEST_F(MidiOverJack, DeviceIndexBeyondTheListShowsBothBoxes)
{
    const int count = int(midi.GetMidiOutput().Devices().size());
    outputs.Slot(4)->DeviceIndex = count;
    outputs.Slot(4)->Active = true;
    outputs.OpenActiveOutputs();
    outputs.SendMidiMessage(4, 0x90, 0x3C, 0x64);
    EXPECT_EQ(
        boxes.Texts(),
        (QStringList{"The MIDI device specified for output 4 could not be opened.",
                     QStringLiteral("MIDI port error on output 4.(MIDI Device # %1)").arg(count)}));
    EXPECT_EQ(receiver->Count(), 0u);
}

// The program reaches RtMidi through the module it loads at the first call.
TEST_F(MidiOverJack, TheProgramsLoadedModuleSendsToTheReceiver)
{
    TMidiModuleService loaded("jack", {"/nonexistent/keyrill-midi.so", KEYRILL_MIDI_MODULE_PATH});
    EXPECT_EQ(loaded.ApiName(), ""); // nothing loaded before the first call
    int index = -1;
    for (int i = 0; i < loaded.DeviceCount() && index < 0; ++i) {
        std::string name;
        if (loaded.DeviceName(i, name) == kMidiOk && name == receiver->PortName())
            index = i;
    }
    ASSERT_GE(index, 0) << receiver->PortName() << " is not listed";
    EXPECT_EQ(loaded.ApiName(), "jack");
    TMidiHandle handle = kNoMidiHandle;
    ASSERT_EQ(loaded.Open(index, handle), kMidiOk);
    ASSERT_TRUE(receiver->WaitForConnections());
    EXPECT_EQ(loaded.SendShortMessage(handle, 0x90 + 0x3C * 256 + 0x64 * 65536), kMidiOk);
    ASSERT_TRUE(receiver->WaitFor(1, 5s));
    EXPECT_EQ(receiver->Events(), (std::vector<TEvent>{{0x90, 0x3C, 0x64}}));
    EXPECT_EQ(loaded.Close(handle), kMidiOk);
}
