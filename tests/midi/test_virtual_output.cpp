// Keyrill's own virtual output against the fake service: its place in the device list, one
// published port per slot, what the settings file stores for it, and the choice of MIDI system.
#include "mainwindow/MainWindowFixture.h"
#include "midi/MidiApi.h"
#include "midi/Outputs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using TBytes = TFakeMidiService::TBytes;
using TNames = std::vector<std::string>;

TNames Names(const TMidiOutput& output)
{
    TNames names;
    for (const TMidiDevice& device : output.Devices())
        names.push_back(device.Name);
    return names;
}

struct TListCase
{
    TNames Real;
    bool VirtualPorts;
    TNames Listed;
    int VirtualIndex;
};

class VirtualEntry : public testing::TestWithParam<TListCase>
{
};

TEST_P(VirtualEntry, EndsTheListOnlyWhereTheServiceHasVirtualPorts)
{
    const TListCase& c = GetParam();
    TFakeMidiService service(c.Real);
    service.VirtualPorts = c.VirtualPorts;
    const TMidiOutput output(service);
    EXPECT_EQ(Names(output), c.Listed);
    EXPECT_EQ(output.VirtualIndex(), c.VirtualIndex);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, VirtualEntry,
    testing::Values(TListCase{{"Synth", "Synth", "Drums"},
                              true,
                              {"Synth", "Synth", "Drums", "Keyrill (virtual output)"},
                              3},
                    TListCase{{"Synth", "Drums"}, false, {"Synth", "Drums"}, -1},
                    TListCase{{}, true, {"Keyrill (virtual output)"}, 0},
                    TListCase{{}, false, {}, -1}));

// Four slots over the fake with two real devices and virtual ports (index 2).
class VirtualOutputs : public testing::Test
{
protected:
    VirtualOutputs() { service.VirtualPorts = true; }

    void SetUp() override { outputs.CreateOutputs(); }

    void Activate(int number, int device)
    {
        outputs.Slot(number)->DeviceIndex = device;
        outputs.Slot(number)->Active = true;
    }

    static constexpr int kVirtual = 2;
    TFakeMidiService service{{"Synth", "Drums"}};
    TMidiSystem midi{service};
    TFakeMessageBoxes boxes;
    bool showOutputErrors = true;
    TOutputs outputs{midi, boxes, showOutputErrors, [] { return QPoint(); }};
};

TEST_F(VirtualOutputs, EachSlotOnTheVirtualEntryPublishesAndSendsOnItsOwnPort)
{
    Activate(1, kVirtual);
    Activate(2, 0);
    Activate(3, kVirtual);
    outputs.OpenActiveOutputs();
    EXPECT_EQ(service.OpenPorts(), (TNames{"Output 1", "Output 3"}));

    outputs.SendMidiMessage(3, 0x92, 0x40, 0x50);
    outputs.SendMidiMessage(1, 0x90, 0x3C, 0x64);
    outputs.SendMidiMessage(2, 0xC0, 0x05, 0x00);
    EXPECT_EQ(service.SentToPort("Output 1"), (std::vector<TBytes>{{0x90, 0x3C, 0x64}}));
    EXPECT_EQ(service.SentToPort("Output 3"), (std::vector<TBytes>{{0x92, 0x40, 0x50}}));
    EXPECT_EQ(service.SentTo(0), (std::vector<TBytes>{{0xC0, 0x05, 0x00}}));
    EXPECT_TRUE(boxes.Boxes.empty()) << boxes.Texts().join('\n').toStdString();
}

TEST_F(VirtualOutputs, SlotSwitchedOnLaterPublishesItsPortAtItsFirstSend)
{
    outputs.OpenActiveOutputs();
    Activate(4, kVirtual); // as the Configuration dialog's Apply does
    EXPECT_TRUE(service.OpenPorts().empty());
    outputs.SendMidiMessage(4, 0xB0, 0x07, 0x7F);
    EXPECT_EQ(service.OpenPorts(), TNames{"Output 4"});
    EXPECT_EQ(service.SentToPort("Output 4"), (std::vector<TBytes>{{0xB0, 0x07, 0x7F}}));
}

TEST_F(VirtualOutputs, ShutdownClosesEveryPublishedPortWithoutAnError)
{
    Activate(1, kVirtual);
    Activate(2, kVirtual);
    Activate(4, 1);
    outputs.OpenActiveOutputs();
    ASSERT_EQ(service.OpenPorts().size(), 2u);
    std::vector<TMidiResult> closes;
    service.OnCall = [&](const TFakeMidiService::TCall& call) {
        if (call.Kind == TFakeMidiService::TCallKind::Close)
            closes.push_back(call.Result);
    };
    outputs.CloseOutputs();
    EXPECT_TRUE(service.OpenPorts().empty());
    EXPECT_FALSE(service.IsOpen(1));
    EXPECT_EQ(closes, (std::vector<TMidiResult>{kMidiOk, kMidiOk, kMidiOk}));
    EXPECT_FALSE(midi.GetMidiOutput().Devices()[kVirtual].IsOpen());
}

TEST_F(VirtualOutputs, RefusedPublicationShowsTheOpeningBoxAndTheSendBox)
{
    service.FailOpen = "Port busy";
    service.FailOpenDevice = TFakeMidiService::kPortDevice;
    Activate(2, kVirtual);
    Activate(3, 0);
    outputs.OpenActiveOutputs();
    outputs.SendMidiMessage(2, 0x90, 0x3C, 0x64);
    outputs.SendMidiMessage(3, 0x90, 0x3C, 0x64);
    EXPECT_EQ(boxes.Texts(),
              (QStringList{"The MIDI device specified for output 2 could not be opened.",
                           "MIDI port error on output 2.(MIDI Device # 2)"}));
    EXPECT_EQ(service.SentTo(0).size(), 1u);
}

// The settings file stores the virtual choice as kStoredVirtualOutput; real devices keep their
// indices. The device list may change between the run that wrote the file and the one reading
// it.
struct TStoreCase
{
    const char* Name;
    TNames Real;              // devices of the run that reads the file
    bool VirtualPorts;        // whether that run has virtual ports
    int Stored;               // what output 1's "MIDI Device" holds
    int ExpectedIndex;        // output 1's device index after start-up
    int StoredAgain;          // what the next save writes
    const char* PortOrDevice; // where a send on output 1 goes: a port name, or a device name
};

class VirtualOutputStorage : public testing::TestWithParam<TStoreCase>
{
};

TEST_P(VirtualOutputStorage, FollowsTheVirtualEntryAndLeavesRealIndicesAlone)
{
    const TStoreCase& c = GetParam();
    TFakeMidiService service(c.Real);
    service.VirtualPorts = c.VirtualPorts;
    TMidiSystem midi(service);
    TFakeMessageBoxes boxes;
    bool show = true;
    TOutputs outputs(midi, boxes, show, [] { return QPoint(); });
    outputs.CreateOutputs();
    outputs.Slots()[0] = {c.Stored, true}; // as the settings file fills it
    outputs.Slots()[1] = {1, true};        // a real device beside it
    outputs.OpenActiveOutputs();

    EXPECT_EQ(outputs.Slot(1)->DeviceIndex, c.ExpectedIndex);
    EXPECT_EQ(outputs.Slot(2)->DeviceIndex, 1);
    const std::array<TOutput, 4> stored = outputs.SlotsToStore();
    EXPECT_EQ(stored[0].DeviceIndex, c.StoredAgain);
    EXPECT_EQ(stored[1].DeviceIndex, 1);

    outputs.SendMidiMessage(1, 0x90, 0x3C, 0x64);
    const std::string target = c.PortOrDevice;
    if (target.empty()) {
        EXPECT_EQ(boxes.Boxes.size(), 2u) << "opening box and send box";
        EXPECT_TRUE(service.Sent().empty());
    } else {
        ASSERT_EQ(service.Sent().size(), 1u);
        const TFakeMidiService::TSent& sent = service.Sent()[0];
        const std::string got = sent.Device == TFakeMidiService::kPortDevice
                                    ? service.PortName(sent.Handle)
                                    : c.Real.at(std::size_t(sent.Device));
        EXPECT_EQ(got, target);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Runs, VirtualOutputStorage,
    testing::Values(
        // Written with one real device; now a second one has appeared before the virtual entry.
        TStoreCase{"NewRealDevice",
                   {"Synth", "New"},
                   true,
                   kStoredVirtualOutput,
                   2,
                   kStoredVirtualOutput,
                   "Output 1"},
        TStoreCase{
            "RealDeviceGone", {}, true, kStoredVirtualOutput, 0, kStoredVirtualOutput, "Output 1"},
        // The index the list shows for the virtual entry in this run means that entry.
        TStoreCase{
            "IndexOfTheEntry", {"Synth", "Drums"}, true, 2, 2, kStoredVirtualOutput, "Output 1"},
        // A real index stays a real index, also the one the entry had in an earlier run.
        TStoreCase{"RealIndex", {"Synth", "Drums", "New"}, true, 2, 2, 2, "New"},
        // No virtual ports here (or older versions): the slot fails like a missing device and
        // the choice survives for the next run.
        TStoreCase{"NoVirtualPorts",
                   {"Synth", "Drums"},
                   false,
                   kStoredVirtualOutput,
                   kStoredVirtualOutput,
                   kStoredVirtualOutput,
                   ""}),
    [](const testing::TestParamInfo<TStoreCase>& info) { return info.param.Name; });

TEST_F(VirtualOutputs, StoredChoiceFromAFailedStartUpIsResolvedAtTheFirstSend)
{
    outputs.Slots()[0] = {kStoredVirtualOutput, true};
    service.FailEnumeration = "Service down";
    outputs.OpenActiveOutputs();
    EXPECT_EQ(boxes.Texts(),
              QStringList{"The MIDI device specified for output 1 could not be opened."});
    service.FailEnumeration.reset();
    outputs.SendMidiMessage(1, 0x90, 0x3C, 0x64);
    EXPECT_EQ(outputs.Slot(1)->DeviceIndex, kVirtual);
    EXPECT_EQ(service.SentToPort("Output 1"), (std::vector<TBytes>{{0x90, 0x3C, 0x64}}));
}

TEST_F(VirtualOutputs, NothingIsRewrittenBeforeTheDeviceListExists)
{
    outputs.Slots()[0] = {kVirtual, false};
    outputs.Slots()[1] = {kStoredVirtualOutput, false};
    const std::array<TOutput, 4> stored = outputs.SlotsToStore();
    EXPECT_EQ(stored[0].DeviceIndex, kVirtual);
    EXPECT_EQ(stored[1].DeviceIndex, kStoredVirtualOutput);
    EXPECT_FALSE(midi.HasMidiOutput());
}

// The whole program over the fake: a file naming the virtual output plays into its port and is
// written back the same way.
class VirtualOutputWindow : public MainWindowTest
{
};

TEST_F(VirtualOutputWindow, ClickPlaysIntoThePublishedPortAndTheFileKeepsTheChoice)
{
    m_service.VirtualPorts = true;
    WriteSettings("[Output 1]\nMIDI Device=-2\nActive=1\n[Output 2]\nMIDI Device=0\nActive=1\n"
                  "[Button 1]\nMessage=1\nNote=60\nVelocity=100\n");
    Start();
    EXPECT_EQ(m_window->Outputs().Slot(1)->DeviceIndex, 1); // after "Fake Synth"
    Click(1);
    EXPECT_EQ(m_service.SentToPort("Output 1"), (std::vector<TBytes>{{0x90, 0x3C, 0x64}}));
    EXPECT_TRUE(m_window->close());
    const QByteArray saved = ReadSettings();
    EXPECT_TRUE(saved.contains("[Output 1]\r\nMIDI Device=-2\r\n")) << saved.toStdString();
    EXPECT_TRUE(saved.contains("[Output 2]\r\nMIDI Device=0\r\n")) << saved.toStdString();
    EXPECT_TRUE(m_boxes.Boxes.empty()) << m_boxes.Texts().join('\n').toStdString();
}

struct TApiCase
{
    const char* Value; // null: the variable is not set
    std::string Api;
    bool Error;
};

class MidiApiChoice : public testing::TestWithParam<TApiCase>
{
};

TEST_P(MidiApiChoice, KnownValuesPickTheirSystemAndOthersTheDefaultOrderWithAnError)
{
    const TApiCase& c = GetParam();
    const TMidiApiChoice choice = ChooseMidiApi(c.Value);
    EXPECT_EQ(choice.Api, c.Api);
    EXPECT_EQ(!choice.Error.empty(), c.Error) << choice.Error;
    if (c.Error) {
        for (const char* part :
             {"KEYRILL_MIDI_API", c.Value, "\"alsa\"", "\"jack\"", "default order"})
            EXPECT_NE(choice.Error.find(part), std::string::npos) << part << " in " << choice.Error;
    }
}

INSTANTIATE_TEST_SUITE_P(Values, MidiApiChoice,
                         testing::Values(TApiCase{nullptr, "", false}, TApiCase{"", "", false},
                                         TApiCase{"alsa", "alsa", false},
                                         TApiCase{"jack", "jack", false},
                                         TApiCase{" JACK ", "jack", false},
                                         TApiCase{"pipewire", "", true},
                                         TApiCase{"alsa,jack", "", true}));

} // namespace
