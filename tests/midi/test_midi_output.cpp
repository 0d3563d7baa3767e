// The device list, opening, closing and sending, against the fake service.
#include "midi/Midi.h"
#include "support/FakeMidiService.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using TBytes = TFakeMidiService::TBytes;

// The message of the error `action` raises, or "(nothing raised)".
template <typename F> std::string RaisedText(F&& action)
{
    try {
        action();
    } catch (const EMidiError& error) {
        return error.what();
    }
    return "(nothing raised)";
}

std::vector<std::string> Names(const TMidiOutput& output)
{
    std::vector<std::string> names;
    for (const TMidiDevice& device : output.Devices())
        names.push_back(device.Name);
    return names;
}

} // namespace

TEST(MidiOutput, ListsDeviceNamesInIndexOrderUnsortedWithDuplicates)
{
    TFakeMidiService service({"Zeta", "Alpha", "Zeta"});
    TMidiOutput output(service);
    EXPECT_EQ(Names(output), (std::vector<std::string>{"Zeta", "Alpha", "Zeta"}));
    for (const TMidiDevice& device : output.Devices())
        EXPECT_FALSE(device.IsOpen());
}

TEST(MidiOutput, NameOf32CharactersIsTakenWholeAndNameEndsAtItsFirstZero)
{
    const std::string name32(32, 'N');
    TFakeMidiService service({name32, std::string("Short\0Rest", 10)});
    TMidiOutput output(service);
    EXPECT_EQ(Names(output), (std::vector<std::string>{name32, "Short"}));
}

TEST(MidiOutput, NoDevicesEveryOperationRaises)
{
    TFakeMidiService service;
    TMidiOutput output(service);
    EXPECT_TRUE(output.Devices().empty());
    EXPECT_EQ(RaisedText([&] { output.Open(0); }), "TMidiOutput: Device index out of bounds! (0)");
    EXPECT_EQ(RaisedText([&] { output.Close(0); }), "TMidiOutput: Device index out of bounds! (0)");
    EXPECT_EQ(RaisedText([&] { output.Send(0, 0x90, 60, 100); }), "List index out of bounds (0)");
    EXPECT_TRUE(service.Calls().empty());
}

TEST(MidiOutput, IndexOutsideTheListRaisesWithTheIndex)
{
    TFakeMidiService service({"A", "B"});
    TMidiOutput output(service);
    EXPECT_EQ(RaisedText([&] { output.Open(2); }), "TMidiOutput: Device index out of bounds! (2)");
    EXPECT_EQ(RaisedText([&] { output.Close(-1); }),
              "TMidiOutput: Device index out of bounds! (-1)");
    EXPECT_EQ(RaisedText([&] { output.Send(5, 0x90, 60, 100); }), "List index out of bounds (5)");
    EXPECT_EQ(RaisedText([&] { output.Send(-1, 0x90, 60, 100); }), "List index out of bounds (-1)");
    EXPECT_TRUE(service.Calls().empty());
}

TEST(MidiOutput, FailingNameQueryRaisesServiceTextAndLeavesNoInstanceUntilRetried)
{
    TFakeMidiService service({"A"});
    service.FailEnumeration = "No capabilities";
    TMidiSystem midi(service);
    EXPECT_EQ(RaisedText([&] { midi.GetMidiOutput(); }), "No capabilities");
    EXPECT_FALSE(midi.HasMidiOutput());

    service.FailEnumeration.reset();
    TMidiOutput& output = midi.GetMidiOutput();
    EXPECT_EQ(Names(output), (std::vector<std::string>{"A"}));
    EXPECT_EQ(service.DeviceCountCalls(), 2);
}

TEST(MidiOutput, GetMidiOutputMakesOneInstanceOnFirstCall)
{
    TFakeMidiService service({"A"});
    TMidiSystem midi(service);
    EXPECT_EQ(service.DeviceCountCalls(), 0);
    TMidiOutput& first = midi.GetMidiOutput();
    TMidiOutput& second = midi.GetMidiOutput();
    EXPECT_EQ(&first, &second);
    EXPECT_EQ(service.DeviceCountCalls(), 1);
}

TEST(MidiOutput, DevicesAddedLaterAreNotSeen)
{
    TFakeMidiService service({"A"});
    TMidiSystem midi(service);
    midi.GetMidiOutput();
    service.DeviceNames.push_back("B");
    EXPECT_EQ(Names(midi.GetMidiOutput()), (std::vector<std::string>{"A"}));
}

TEST(MidiOutput, OpenStoresHandleAndOpeningAgainDoesNotCallTheService)
{
    TFakeMidiService service({"A", "B"});
    TMidiOutput output(service);
    output.Open(1);
    EXPECT_TRUE(output.Devices()[1].IsOpen());
    EXPECT_FALSE(output.Devices()[0].IsOpen());
    output.Open(1);
    EXPECT_EQ(service.Calls().size(), 1u);
    EXPECT_EQ(output.GetHandle(1), service.Calls()[0].Handle);
}

TEST(MidiOutput, RefusedOpenRaisesServiceTextAndEntryStaysClosed)
{
    TFakeMidiService service({"A"});
    service.FailOpen = "Device is busy";
    TMidiOutput output(service);
    EXPECT_EQ(RaisedText([&] { output.Open(0); }), "Device is busy");
    EXPECT_FALSE(output.Devices()[0].IsOpen());
}

TEST(MidiOutput, CloseMarksClosedAndClosingAgainHandsNullHandleRejectedAsInvalid)
{
    TFakeMidiService service({"A"});
    TMidiOutput output(service);
    output.Open(0);
    output.Close(0);
    EXPECT_FALSE(output.Devices()[0].IsOpen());
    EXPECT_FALSE(service.IsOpen(0));

    EXPECT_EQ(RaisedText([&] { output.Close(0); }), TFakeMidiService::kInvalidHandleText);
    EXPECT_EQ(service.Calls().back().Kind, TFakeMidiService::TCallKind::Close);
    EXPECT_EQ(service.Calls().back().Handle, kNoMidiHandle);
}

TEST(MidiOutput, CloseOfDeviceNeverOpenedRaisesInvalidHandle)
{
    TFakeMidiService service({"A"});
    TMidiOutput output(service);
    EXPECT_EQ(RaisedText([&] { output.Close(0); }), TFakeMidiService::kInvalidHandleText);
}

TEST(MidiOutput, RefusedCloseRaisesAndLeavesHandle)
{
    TFakeMidiService service({"A"});
    TMidiOutput output(service);
    output.Open(0);
    const TMidiHandle handle = output.GetHandle(0);
    service.FailClose = "Still playing";
    EXPECT_EQ(RaisedText([&] { output.Close(0); }), "Still playing");
    EXPECT_EQ(output.GetHandle(0), handle);
}

TEST(MidiOutput, SendOpensOnFirstUseAndHandsOverThePackedMessage)
{
    TFakeMidiService service({"A", "B"});
    TMidiOutput output(service);
    output.Send(1, 0x90, 0x3C, 0x64);
    output.Send(1, 0xC5, 0x05, 0x00);
    EXPECT_EQ(service.OpenCount(1), 1);
    ASSERT_EQ(service.Sent().size(), 2u);
    EXPECT_EQ(service.Sent()[0].Packed, 0x00643C90u);
    EXPECT_EQ(service.Sent()[0].Bytes, (TBytes{0x90, 0x3C, 0x64}));
    EXPECT_EQ(service.Sent()[1].Bytes, (TBytes{0xC5, 0x05, 0x00}));
    EXPECT_EQ(service.Sent()[1].Device, 1);
}

TEST(MidiOutput, DataBytesAbove127AreHandedOverUnmasked)
{
    TFakeMidiService service({"A"});
    TMidiOutput output(service);
    output.Send(0, 0xB0, 0xFF, 0x80);
    EXPECT_EQ(service.Sent().at(0).Packed, 0x0080FFB0u);
}

TEST(MidiOutput, RefusedSendRaisesServiceTextAndDeviceStaysOpen)
{
    TFakeMidiService service({"A"});
    TMidiOutput output(service);
    output.Open(0);
    service.FailSend = "Buffer full";
    EXPECT_EQ(RaisedText([&] { output.Send(0, 0x90, 1, 2); }), "Buffer full");
    EXPECT_TRUE(output.Devices()[0].IsOpen());
}

TEST(MidiOutput, SendToDeviceThatCannotOpenTriesToOpenEveryTime)
{
    TFakeMidiService service({"A"});
    service.FailOpen = "Gone";
    TMidiOutput output(service);
    EXPECT_EQ(RaisedText([&] { output.Send(0, 0x90, 1, 2); }), "Gone");
    EXPECT_EQ(RaisedText([&] { output.Send(0, 0x90, 1, 2); }), "Gone");
    EXPECT_EQ(service.Calls().size(), 2u);
    service.FailOpen.reset();
    output.Send(0, 0x90, 1, 2);
    EXPECT_EQ(service.Sent().size(), 1u);
}

TEST(MidiOutput, FailureCodeWithoutTextCountsAsSuccess)
{
    TFakeMidiService service({"A"});
    service.FailuresHaveNoText = true;
    service.FailSend = "unused";
    TMidiOutput output(service);
    output.Open(0);
    EXPECT_NO_THROW(output.Send(0, 0x90, 1, 2));
    EXPECT_TRUE(service.Sent().empty());

    service.FailClose = "unused";
    EXPECT_NO_THROW(output.Close(0));
    EXPECT_FALSE(output.Devices()[0].IsOpen()); // goes on as after success

    service.FailOpen = "unused";
    EXPECT_NO_THROW(output.Open(0));
    EXPECT_FALSE(output.Devices()[0].IsOpen()); // the service gave no handle
}

TEST(MidiOutput, DestructionDoesNotCloseOpenDevices)
{
    TFakeMidiService service({"A"});
    {
        TMidiOutput output(service);
        output.Open(0);
    }
    EXPECT_TRUE(service.IsOpen(0));
    EXPECT_EQ(service.CloseCount(0), 0);
}
