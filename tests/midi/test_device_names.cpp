// Outputs that know their device by name, on the fake service: which device a stored choice
// means, what is saved again, a device that goes and comes back during the run; and the decoding
// of the ALSA sequencer's announcements, which cannot run here.
#include "mainwindow/MainWindowFixture.h"
#include "midi/DeviceWatch.h"
#include "midi/Outputs.h"

#include <alsa/asoundlib.h>

namespace {

using TNames = std::vector<std::string>;

struct TNameCase
{
    const char* Case;
    TNames Devices;
    TOutput Stored; // as the file gives it (active)
    int Sent;       // the device the press reaches (kPortDevice: the virtual output; -1: none)
    TOutput Saved;  // what the next save writes
};

class NameRules : public testing::TestWithParam<TNameCase>
{
};

TEST_P(NameRules, StoredChoiceFindsItsDeviceAndIsSavedWithItsName)
{
    const TNameCase& c = GetParam();
    TFakeMidiService service(c.Devices);
    service.VirtualPorts = true;
    TMidiSystem midi(service);
    TFakeMessageBoxes boxes;
    bool show = true;
    TOutputs outputs(midi, boxes, show, [] { return QPoint(); });
    outputs.CreateOutputs();
    outputs.Slots()[0] = c.Stored;
    outputs.OpenActiveOutputs();
    outputs.SendMidiMessage(1, 0x90, 0x3C, 0x64);
    EXPECT_EQ(service.Sent().empty() ? -1 : service.Sent()[0].Device, c.Sent);
    EXPECT_EQ(boxes.Boxes.size(), c.Sent == -1 ? 2u : 0u) << "opening box and send box";
    const TOutput saved = outputs.SlotsToStore()[0];
    EXPECT_EQ(saved.DeviceIndex, c.Saved.DeviceIndex);
    EXPECT_EQ(saved.DeviceName, c.Saved.DeviceName);
}

constexpr int kPort = TFakeMidiService::kPortDevice;
INSTANTIATE_TEST_SUITE_P(
    Files, NameRules,
    testing::Values(
        TNameCase{"OldFile", {"A", "B"}, {1, true}, 1, {1, false, "B"}},
        TNameCase{"NameWins", {"New", "A"}, {0, true, "A"}, 1, {1, false, "A"}},
        TNameCase{"TwinAtIndex", {"S", "X", "S"}, {2, true, "S"}, 2, {2, false, "S"}},
        TNameCase{"FirstTwin", {"X", "S", "S"}, {0, true, "S"}, 1, {1, false, "S"}},
        TNameCase{"Absent", {"A"}, {0, true, "Gone"}, -1, {0, false, "Gone"}},
        TNameCase{"Virtual", {"A"}, {kStoredVirtualOutput, true}, kPort, {-2, false}},
        // ALSA numbered the device's client afresh.
        TNameCase{"NewAddress", {"P:P 24:0"}, {0, true, "P:P 20:0"}, 0, {0, false, "P:P 24:0"}}),
    [](const testing::TestParamInfo<TNameCase>& info) { return info.param.Case; });

// The window over the fake: the devices (an output's and the input's) go while the program runs
// and come back at another index, told only by the service's descriptor and handled from the
// event loop.
TEST_F(MainWindowTest, VanishedDeviceFailsItsPressesAndIsReconnectedWhenItReturns)
{
    m_service.InputNames = {"Fake Desk"};
    WriteSettings(kOutput1Active +
                  "[Button 1]\nMessage=1\nNote=60\nVelocity=100\n"
                  "[Input]\nMIDI Device=0\nMIDI Device Name=Fake Desk\nActive=1\n");
    Start();
    m_service.RemoveDevice("Fake Synth");
    m_service.RemoveInput("Fake Desk");
    QCoreApplication::processEvents();
    Click(1);
    EXPECT_EQ(m_boxes.Texts(), QStringList{"MIDI port error on output 1.(MIDI Device # 0)"});
    m_service.AddDevice("Other");
    m_service.AddDevice("Fake Synth");
    m_service.AddInput("Other");
    m_service.AddInput("Fake Desk");
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_service.IsOpen(1)) << "open again before the next press";
    EXPECT_EQ(m_service.OpenInputs(), std::vector<int>{1}) << "the input's handle, reconnected";
    m_service.Inject(0x90, 60, 100);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_window->Input().Queue().Delivered() == 1; }));
    Click(1);
    EXPECT_EQ(Sent(), QStringList{"90 3C 64"}) << "the absent press is not kept";
    EXPECT_EQ(m_service.SentTo(1).size(), 1u);
    EXPECT_EQ(m_service.OpenCount(0) + m_service.OpenCount(1), 1) << "one handle, reconnected";
    EXPECT_EQ(m_boxes.Boxes.size(), 1u);
    EXPECT_TRUE(m_window->close());
    EXPECT_TRUE(
        ReadSettings().contains("MIDI Device=1\r\nActive=1\r\nMIDI Device Name=Fake Synth"));
    EXPECT_TRUE(
        ReadSettings().contains("[Output 2]\r\nMIDI Device=0\r\nMIDI Device Name=\r\nActive=0\r\n"))
        << "a slot never set up is not pinned to the first device";
    EXPECT_TRUE(ReadSettings().contains("[Input]\r\nMIDI Device=1\r\nMIDI Device Name=Fake Desk"));
}

struct TAnnounceCase
{
    int Type;
    unsigned char SourcePort; // of client 0, the system
    TPortNotice::TKind Kind;
    const char* Port;
};

class AlsaAnnounce : public testing::TestWithParam<TAnnounceCase>
{
};

TEST_P(AlsaAnnounce, DecodesWhatTheSystemPortSaysAboutDevicePorts)
{
    const TAnnounceCase& c = GetParam();
    snd_seq_event_t event{};
    event.type = snd_seq_event_type_t(c.Type);
    event.source = {SND_SEQ_CLIENT_SYSTEM, c.SourcePort};
    event.data.addr = {24, 1};
    const TPortNotice notice = DecodeAlsaAnnounce(event);
    EXPECT_EQ(notice.Kind, c.Kind);
    EXPECT_EQ(notice.Port, c.Port);
    EXPECT_EQ(notice.Affects("Pad:Pad MIDI 2 24:1"), *c.Port != '\0');
    EXPECT_EQ(notice.Affects("Pad:Pad MIDI 1 24:0"), std::string(c.Port) == "24:");
}

using K = TPortNotice::TKind;
INSTANTIATE_TEST_SUITE_P(
    Events, AlsaAnnounce,
    testing::Values(TAnnounceCase{SND_SEQ_EVENT_PORT_START, 1, K::Listed, ""},
                    TAnnounceCase{SND_SEQ_EVENT_PORT_EXIT, 1, K::Gone, "24:1"},
                    TAnnounceCase{SND_SEQ_EVENT_PORT_CHANGE, 1, K::Renamed, "24:1"},
                    TAnnounceCase{SND_SEQ_EVENT_CLIENT_CHANGE, 1, K::Renamed, "24:"},
                    TAnnounceCase{SND_SEQ_EVENT_CLIENT_EXIT, 1, K::Gone, "24:"},
                    TAnnounceCase{SND_SEQ_EVENT_CLIENT_START, 1, K::Listed, ""},
                    TAnnounceCase{SND_SEQ_EVENT_PORT_SUBSCRIBED, 1, K::None, ""},
                    TAnnounceCase{SND_SEQ_EVENT_PORT_EXIT, 0, K::None,
                                  ""})); // not the announce port

} // namespace
