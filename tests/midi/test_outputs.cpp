// The four output slots, opening at start-up, closing at shutdown and sending, with
// the boxes the user sees, against the fake service.
#include <QStringList> // before FakeMessageBoxes.h, which uses it

#include "midi/Midi.h"
#include "midi/Outputs.h"
#include "support/FakeMessageBoxes.h"
#include "support/FakeMidiService.h"

#include <gtest/gtest.h>

namespace {

using TBytes = TFakeMidiService::TBytes;
using TCallKind = TFakeMidiService::TCallKind;

const QPoint kClientOrigin(140, 75);

class OutputsTest : public ::testing::Test
{
protected:
    explicit OutputsTest(std::vector<std::string> devices = {"Synth A", "Synth B"})
        : service(std::move(devices))
    {
        outputs.CreateOutputs();
    }

    void Activate(int number, int device)
    {
        outputs.Slot(number)->DeviceIndex = device;
        outputs.Slot(number)->Active = true;
    }

    TFakeMidiService service;
    TMidiSystem midi{service};
    TFakeMessageBoxes boxes;
    bool showOutputErrors = true;
    TOutputs outputs{midi, boxes, showOutputErrors, [] { return kClientOrigin; }};
};

class OutputsWithoutDevices : public OutputsTest
{
protected:
    OutputsWithoutDevices() : OutputsTest({}) {}
};

} // namespace

TEST_F(OutputsTest, CreateOutputsGivesFourInactiveSlotsOnDeviceZero)
{
    for (int number = 1; number <= 4; ++number) {
        ASSERT_NE(outputs.Slot(number), nullptr);
        EXPECT_EQ(outputs.Slot(number)->DeviceIndex, 0);
        EXPECT_FALSE(outputs.Slot(number)->Active);
        EXPECT_EQ(outputs.Slot(number), &outputs.Slots()[std::size_t(number - 1)]);
    }
    EXPECT_EQ(outputs.Slot(0), nullptr);
    EXPECT_EQ(outputs.Slot(5), nullptr);
    EXPECT_EQ(outputs.Slot(-1), nullptr);
}

TEST_F(OutputsTest, NoSlotsBeforeCreateOrAfterClose)
{
    bool show = true;
    TOutputs fresh(midi, boxes, show, [] { return QPoint(); });
    EXPECT_EQ(fresh.Slot(1), nullptr);
    outputs.CloseOutputs();
    EXPECT_EQ(outputs.Slot(1), nullptr);
}

TEST_F(OutputsTest, SendBeforeCreateOrAfterCloseDoesNothing)
{
    bool show = true;
    TOutputs fresh(midi, boxes, show, [] { return QPoint(); });
    fresh.Slots()[0] = {0, true};
    fresh.SendMidiMessage(1, 0x90, 60, 100);

    Activate(1, 0);
    outputs.CloseOutputs();
    outputs.SendMidiMessage(1, 0x90, 60, 100);

    EXPECT_TRUE(service.Sent().empty());
    EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(OutputsTest, AllSlotsInactiveSendsNothingShowsNothingAndTouchesNoDevice)
{
    outputs.OpenActiveOutputs();
    for (int number = 1; number <= 4; ++number)
        outputs.SendMidiMessage(number, 0x90, 60, 100);
    outputs.CloseOutputs();
    EXPECT_TRUE(service.Calls().empty());
    EXPECT_TRUE(boxes.Boxes.empty());
    EXPECT_FALSE(midi.HasMidiOutput());
}

TEST_F(OutputsTest, OpenActiveOutputsOpensActiveSlotsInOrderAndSkipsInactive)
{
    Activate(3, 0);
    Activate(2, 1);
    outputs.OpenActiveOutputs();
    ASSERT_EQ(service.Calls().size(), 2u);
    EXPECT_EQ(service.Calls()[0].Device, 1); // output 2 first
    EXPECT_EQ(service.Calls()[1].Device, 0);
    EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(OutputsTest, DeviceThatCannotOpenAtStartUpShowsPlainBoxAndSlotStaysActive)
{
    Activate(1, 0);
    Activate(2, 1);
    Activate(4, 0);
    service.FailOpen = "Device is busy";
    service.FailOpenDevice = 1;
    showOutputErrors = false; // the opening box does not depend on it
    outputs.OpenActiveOutputs();

    ASSERT_EQ(boxes.Boxes.size(), 1u);
    const TFakeMessageBoxes::TBox& box = boxes.Boxes[0];
    EXPECT_EQ(box.Title, "Keyrill");
    EXPECT_EQ(box.Text, "The MIDI device specified for output 2 could not be opened.");
    EXPECT_EQ(box.Icon, TBoxIcon::None);
    EXPECT_FALSE(box.TopLeft.has_value());
    EXPECT_TRUE(outputs.Slot(2)->Active);
    EXPECT_TRUE(service.IsOpen(0));

    // Each later send to it tries to open again; this one succeeds and shows nothing.
    service.FailOpen.reset();
    outputs.SendMidiMessage(2, 0x90, 60, 100);
    EXPECT_EQ(service.SentTo(1), (std::vector<TBytes>{{0x90, 60, 100}}));
    EXPECT_EQ(boxes.Boxes.size(), 1u);
}

TEST_F(OutputsTest, DeviceIndexBeyondTheListNamesTheOutputAtStartUpAndTheIndexOnSend)
{
    Activate(3, 7);
    outputs.OpenActiveOutputs();
    EXPECT_EQ(boxes.Texts(),
              QStringList{"The MIDI device specified for output 3 could not be opened."});

    outputs.SendMidiMessage(3, 0x90, 60, 100);
    outputs.SendMidiMessage(3, 0x80, 60, 0);
    EXPECT_EQ(boxes.Texts(),
              (QStringList{"The MIDI device specified for output 3 could not be opened.",
                           "MIDI port error on output 3.(MIDI Device # 7)",
                           "MIDI port error on output 3.(MIDI Device # 7)"}));
    EXPECT_TRUE(service.Sent().empty());
}

TEST_F(OutputsTest, DeviceListThatCannotBeBuiltShowsTheOpeningBoxForEachActiveSlot)
{
    Activate(1, 0);
    Activate(4, 1);
    service.FailEnumeration = "No capabilities";
    outputs.OpenActiveOutputs();
    EXPECT_EQ(boxes.Texts(),
              (QStringList{"The MIDI device specified for output 1 could not be opened.",
                           "The MIDI device specified for output 4 could not be opened."}));
    EXPECT_FALSE(midi.HasMidiOutput());
}

TEST_F(OutputsTest, ActiveSlotSendsTheBytesToItsDevice)
{
    Activate(1, 1);
    outputs.OpenActiveOutputs();
    outputs.SendMidiMessage(1, 0x90, 0x3C, 0x64);
    outputs.SendMidiMessage(1, 0xC5, 0x05, 0x00);
    outputs.SendMidiMessage(1, 0xF8, 0x00, 0x00);
    EXPECT_EQ(service.SentTo(1),
              (std::vector<TBytes>{{0x90, 0x3C, 0x64}, {0xC5, 0x05, 0x00}, {0xF8, 0x00, 0x00}}));
    EXPECT_EQ(service.OpenCount(1), 1);
    EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(OutputsTest, InactiveSlotSendsNothingAndShowsNothingWhileOthersSend)
{
    Activate(1, 0);
    outputs.Slot(2)->DeviceIndex = 1;
    outputs.SendMidiMessage(2, 0x90, 60, 100);
    outputs.SendMidiMessage(1, 0x91, 61, 101);
    EXPECT_EQ(service.Sent().size(), 1u);
    EXPECT_EQ(service.Sent()[0].Device, 0);
    EXPECT_FALSE(service.IsOpen(1));
    EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(OutputsTest, FailedSendShowsErrorBoxAtTheClientAreaAndTheSlotStaysActive)
{
    Activate(2, 1);
    service.FailSend = "Buffer full";
    outputs.SendMidiMessage(2, 0x90, 60, 100);

    ASSERT_EQ(boxes.Boxes.size(), 1u);
    const TFakeMessageBoxes::TBox& box = boxes.Boxes[0];
    EXPECT_EQ(box.Title, "Error");
    EXPECT_EQ(box.Text, "MIDI port error on output 2.(MIDI Device # 1)");
    EXPECT_EQ(box.Icon, TBoxIcon::Error);
    EXPECT_EQ(box.TopLeft, std::optional<QPoint>(kClientOrigin));
    EXPECT_TRUE(outputs.Slot(2)->Active);
    EXPECT_TRUE(service.IsOpen(1)); // a failed send leaves the device open

    service.FailSend.reset();
    outputs.SendMidiMessage(2, 0x90, 60, 100);
    EXPECT_EQ(service.Sent().size(), 1u);
    EXPECT_EQ(boxes.Boxes.size(), 1u);
}

TEST_F(OutputsTest, ErrorBoxIsShownWhileTheSendIsInProgress)
{
    Activate(1, 0);
    service.FailSend = "Buffer full";
    std::size_t callsWhenShown = 0;
    boxes.OnShow = [&](const TFakeMessageBoxes::TBox&) { callsWhenShown = service.Calls().size(); };
    outputs.SendMidiMessage(1, 0x90, 60, 100);
    EXPECT_EQ(callsWhenShown, 2u); // the open and the refused send, nothing after
}

TEST_F(OutputsTest, OpenOnFirstUseFailingShowsErrorBoxAndNextSendTriesAgain)
{
    Activate(1, 0);
    service.FailOpen = "Gone";
    outputs.SendMidiMessage(1, 0x90, 60, 100);
    outputs.SendMidiMessage(1, 0x90, 60, 100);
    EXPECT_EQ(boxes.Texts(), (QStringList{"MIDI port error on output 1.(MIDI Device # 0)",
                                          "MIDI port error on output 1.(MIDI Device # 0)"}));
    EXPECT_EQ(service.Calls().size(), 2u);
    EXPECT_FALSE(service.IsOpen(0));
}

TEST_F(OutputsTest, ShowOutputErrorsOffShowsNothingAndTheCallerCarriesOn)
{
    Activate(2, 1);
    service.FailSend = "Buffer full";
    showOutputErrors = false;
    EXPECT_NO_THROW(outputs.SendMidiMessage(2, 0x90, 60, 100));
    EXPECT_TRUE(boxes.Boxes.empty());

    showOutputErrors = true; // read at every failed send
    outputs.SendMidiMessage(2, 0x90, 60, 100);
    EXPECT_EQ(boxes.Texts(), QStringList{"MIDI port error on output 2.(MIDI Device # 1)"});
}

TEST_F(OutputsWithoutDevices, NoDeviceChosenShowsDeviceIndexMinusOne)
{
    Activate(1, -1);
    outputs.OpenActiveOutputs();
    outputs.SendMidiMessage(1, 0x90, 60, 100);
    EXPECT_EQ(boxes.Texts(),
              (QStringList{"The MIDI device specified for output 1 could not be opened.",
                           "MIDI port error on output 1.(MIDI Device # -1)"}));
}

TEST_F(OutputsWithoutDevices, NoDevicesEveryActiveOutputFailsToOpenAndToSend)
{
    Activate(1, 0);
    Activate(2, 0);
    outputs.OpenActiveOutputs();
    outputs.SendMidiMessage(2, 0x90, 60, 100);
    outputs.CloseOutputs();
    EXPECT_EQ(boxes.Texts(),
              (QStringList{"The MIDI device specified for output 1 could not be opened.",
                           "The MIDI device specified for output 2 could not be opened.",
                           "MIDI port error on output 2.(MIDI Device # 0)"}));
    EXPECT_TRUE(service.Calls().empty());
}

TEST_F(OutputsTest, TwoOutputsOnOneDeviceShareOneOpenDeviceClosedOnceAtShutdown)
{
    Activate(1, 1);
    Activate(3, 1);
    outputs.OpenActiveOutputs();
    EXPECT_EQ(service.OpenCount(1), 1);

    outputs.SendMidiMessage(1, 0x90, 60, 100);
    outputs.SendMidiMessage(3, 0x91, 61, 101);
    EXPECT_EQ(service.SentTo(1), (std::vector<TBytes>{{0x90, 60, 100}, {0x91, 61, 101}}));
    EXPECT_EQ(service.Sent()[0].Handle, service.Sent()[1].Handle);

    outputs.CloseOutputs();
    EXPECT_EQ(service.CloseCount(1), 1);
    ASSERT_GE(service.Calls().size(), 2u);
    const auto& secondClose = service.Calls().back();
    EXPECT_EQ(secondClose.Kind, TCallKind::Close);
    EXPECT_EQ(secondClose.Handle, kNoMidiHandle); // refused, and ignored
    EXPECT_NE(secondClose.Result, kMidiOk);
    EXPECT_TRUE(boxes.Boxes.empty());
    EXPECT_FALSE(service.IsOpen(1));
}

TEST_F(OutputsTest, CloseOutputsClosesFourDownToOneAndIgnoresFailures)
{
    Activate(1, 0);
    Activate(4, 1);
    outputs.OpenActiveOutputs();
    service.ClearRecords();
    service.FailClose = "Cannot close";
    outputs.CloseOutputs();
    ASSERT_EQ(service.Calls().size(), 2u);
    EXPECT_EQ(service.Calls()[0].Device, 1); // output 4 first
    EXPECT_EQ(service.Calls()[1].Device, 0);
    EXPECT_TRUE(boxes.Boxes.empty());
    EXPECT_EQ(outputs.Slot(1), nullptr);
}

TEST_F(OutputsTest, CloseOutputsSkipsInactiveSlotsAndLeavesTheirDevicesOpen)
{
    Activate(1, 0);
    outputs.OpenActiveOutputs();
    outputs.Slot(1)->Active = false; // switched off in the Configuration dialog
    outputs.CloseOutputs();
    EXPECT_TRUE(service.IsOpen(0));
    EXPECT_EQ(service.CloseCount(0), 0);
}

TEST_F(OutputsTest, OutputSwitchedOnLaterOpensAtItsFirstSendWithoutABox)
{
    outputs.OpenActiveOutputs();
    EXPECT_FALSE(midi.HasMidiOutput());
    Activate(4, 1);
    outputs.SendMidiMessage(4, 0xB0, 7, 127);
    EXPECT_EQ(service.OpenCount(1), 1);
    EXPECT_EQ(service.SentTo(1), (std::vector<TBytes>{{0xB0, 7, 127}}));
    EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(OutputsTest, OutputNumberOutsideOneToFourSendsNothingAndShowsItsNumber)
{
    for (int number = 1; number <= 4; ++number)
        Activate(number, 0);
    for (int number : {0, 5, 255, -1})
        outputs.SendMidiMessage(number, 0x90, 60, 100);
    EXPECT_TRUE(service.Sent().empty());
    EXPECT_EQ(boxes.Texts(), (QStringList{"MIDI port error on output 0.(MIDI Device # -1)",
                                          "MIDI port error on output 5.(MIDI Device # -1)",
                                          "MIDI port error on output 255.(MIDI Device # -1)",
                                          "MIDI port error on output -1.(MIDI Device # -1)"}));
    EXPECT_EQ(boxes.Boxes[0].Title, "Error");
    EXPECT_EQ(boxes.Boxes[0].Icon, TBoxIcon::Error);

    showOutputErrors = false;
    outputs.SendMidiMessage(9, 0x90, 60, 100);
    EXPECT_EQ(boxes.Boxes.size(), 4u);
}

TEST_F(OutputsTest, FailingDeviceListAtFirstSendShowsErrorBoxAndIsTriedAgain)
{
    Activate(1, 0);
    service.FailEnumeration = "No capabilities";
    outputs.SendMidiMessage(1, 0x90, 60, 100);
    EXPECT_EQ(boxes.Texts(), QStringList{"MIDI port error on output 1.(MIDI Device # 0)"});
    service.FailEnumeration.reset();
    outputs.SendMidiMessage(1, 0x90, 60, 100);
    EXPECT_EQ(service.Sent().size(), 1u);
    EXPECT_EQ(service.DeviceCountCalls(), 2);
}

TEST_F(OutputsTest, SilenceEndsTheNotesStillSoundingThenQuietsEveryChannelOfTheActiveOutputs)
{
    Activate(1, 0);
    Activate(2, 1);
    outputs.OpenActiveOutputs();
    outputs.SendMidiMessage(1, 0x90, 60, 100);
    outputs.SendMidiMessage(1, 0x91, 62, 80);
    outputs.SendMidiMessage(1, 0x90, 64, 90);
    outputs.SendMidiMessage(1, 0x90, 64, 0); // a Note On of velocity 0 ends it
    outputs.SendMidiMessage(1, 0x91, 62, 0, TOutputs::TKind::Release);
    const std::uint8_t listed[] = {0x9F, 65, 1};
    outputs.SendMidiMessage(1, listed, TOutputs::TKind::Other, true);
    std::vector<TBytes> quiet;
    for (std::uint8_t channel = 0; channel < 16; ++channel)
        quiet.insert(quiet.end(), {{std::uint8_t(0xB0 | channel), 123, 0},
                                   {std::uint8_t(0xB0 | channel), 120, 0}});
    // The second silence finds no note sounding.
    for (std::vector<TBytes> sent : {std::vector<TBytes>{{0x80, 60, 0}, {0x8F, 65, 0}}, {}}) {
        service.ClearRecords();
        outputs.Silence();
        sent.insert(sent.end(), quiet.begin(), quiet.end());
        EXPECT_EQ(service.SentTo(0), sent);
        EXPECT_EQ(service.SentTo(1), quiet);
    }
    service.FailSend = "Gone";
    outputs.Silence();
    EXPECT_EQ(boxes.Boxes.size(), 2u) << "one box for each output, not one per message";
}
