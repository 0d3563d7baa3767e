// The RtMidi service without a running MIDI service: message lengths and refusals.
#include "midi/MidiModule.h"
#include "midi/RtMidiService.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

TEST(RtMidiService, WritesTheMessageLengthOfTheMidiStandardForEachStatus)
{
    for (int status = 0x80; status <= 0xBF; ++status)
        EXPECT_EQ(TRtMidiService::ShortMessageLength(std::uint8_t(status)), 3) << status;
    for (int status = 0xC0; status <= 0xDF; ++status)
        EXPECT_EQ(TRtMidiService::ShortMessageLength(std::uint8_t(status)), 2) << status;
    for (int status = 0xE0; status <= 0xEF; ++status)
        EXPECT_EQ(TRtMidiService::ShortMessageLength(std::uint8_t(status)), 3) << status;
    EXPECT_EQ(TRtMidiService::ShortMessageLength(0xF1), 2);
    EXPECT_EQ(TRtMidiService::ShortMessageLength(0xF2), 3);
    EXPECT_EQ(TRtMidiService::ShortMessageLength(0xF3), 2);
    EXPECT_EQ(TRtMidiService::ShortMessageLength(0xF6), 1);
    for (int status = 0xF8; status <= 0xFF; ++status)
        EXPECT_EQ(TRtMidiService::ShortMessageLength(std::uint8_t(status)), 1) << status;
}

TEST(RtMidiService, SystemExclusiveAndDataBytesCannotStartAShortMessage)
{
    EXPECT_EQ(TRtMidiService::ShortMessageLength(0xF0), 0);
    EXPECT_EQ(TRtMidiService::ShortMessageLength(0xF7), 0);
    for (int status = 0x00; status <= 0x7F; ++status)
        EXPECT_EQ(TRtMidiService::ShortMessageLength(std::uint8_t(status)), 0) << status;
}

TEST(RtMidiService, NullOrUnknownHandleIsRefusedWithTheInvalidHandleText)
{
    TRtMidiService service;
    std::string text;
    const TMidiResult closed = service.Close(kNoMidiHandle);
    ASSERT_NE(closed, kMidiOk);
    ASSERT_TRUE(service.ErrorText(closed, text));
    EXPECT_EQ(text, "Invalid MIDI device handle");
    EXPECT_NE(service.SendShortMessage(12345, 0x643C90), kMidiOk);
    EXPECT_FALSE(service.ErrorText(-42, text));
}

// With no ALSA sequencer and no JACK server, no API starts: the list is empty and opening
// reports why. (Where an ALSA sequencer exists, as on a desktop, the premise does not hold.)
TEST(RtMidiService, NoApiStartsGivesAnEmptyListAndOpeningReportsTheFailure)
{
    if (::access("/dev/snd/seq", F_OK) == 0)
        GTEST_SKIP() << "an ALSA sequencer is present";
    const std::string server = "keyrill-absent-" + std::to_string(::getpid());
    ::setenv("JACK_DEFAULT_SERVER", server.c_str(), 1);

    TRtMidiService service;
    EXPECT_EQ(service.DeviceCount(), 0);
    EXPECT_EQ(service.ApiName(), "");
    TMidiHandle handle = kNoMidiHandle;
    const TMidiResult opened = service.Open(0, handle);
    ASSERT_NE(opened, kMidiOk);
    std::string text;
    ASSERT_TRUE(service.ErrorText(opened, text));
    EXPECT_NE(text.find("No MIDI output service could be started"), std::string::npos) << text;
    EXPECT_NE(text.find("ALSA"), std::string::npos) << text;
    EXPECT_NE(text.find("JACK"), std::string::npos) << text;
    EXPECT_EQ(handle, kNoMidiHandle);
    ::unsetenv("JACK_DEFAULT_SERVER");
}

// Without its module the program still runs: every call fails with a text that names the module,
// and the device list is empty.
class MissingModule : public ::testing::TestWithParam<const char*>
{
};

TEST_P(MissingModule, EveryCallFailsWithTheModulesName)
{
    TMidiModuleService service("", {GetParam()});
    EXPECT_EQ(service.DeviceCount(), 0);
    TMidiHandle handle = kNoMidiHandle;
    const TMidiResult opened = service.Open(0, handle);
    EXPECT_EQ(opened, TMidiModuleService::kModuleMissing);
    EXPECT_EQ(handle, kNoMidiHandle);
    std::string text;
    ASSERT_TRUE(service.ErrorText(opened, text));
    EXPECT_NE(text.find("keyrill-midi.so) could not be loaded"), std::string::npos) << text;
    EXPECT_FALSE(service.HasVirtualPorts());
    EXPECT_EQ(service.SendShortMessage(1, 0x90), TMidiModuleService::kModuleMissing);
    EXPECT_EQ(service.ApiName(), "");
}

INSTANTIATE_TEST_SUITE_P(Modules, MissingModule,
                         ::testing::Values("/nonexistent/keyrill-midi.so",
                                           // a file that is no module at all
                                           KEYRILL_SOURCE_FILE));
