#include "model/MidiCatalogue.h"
#include "model/qelCommandList.h"

#include <gtest/gtest.h>

namespace {

struct TCase
{
    const char* Name;
    int Kind;
    int ShownChannel;
    int Data1;
    int Data2;
    TShortMessage Expected;
};

class WorkedExamples : public testing::TestWithParam<TCase> {};

TEST_P(WorkedExamples, BuildTheDocumentedBytes)
{
    const TCase& c = GetParam();
    TMidiMsg msg{std::uint8_t(c.Kind), std::uint8_t(c.ShownChannel - 1), std::uint8_t(c.Data1),
                 std::uint8_t(c.Data2)};
    const auto built = BuildShortMessage(msg);
    ASSERT_TRUE(built.has_value());
    EXPECT_EQ(*built, c.Expected) << c.Name;
}

INSTANTIATE_TEST_SUITE_P(
    Catalogue, WorkedExamples,
    testing::Values(TCase{"NoteOn", 1, 1, 60, 100, {0x90, 0x3C, 0x64}},
                    TCase{"ControlChange", 3, 10, 7, 127, {0xB9, 0x07, 0x7F}},
                    TCase{"ProgramChange", 4, 16, 5, 0, {0xCF, 0x05, 0x00}},
                    TCase{"PitchWheel", 6, 1, 0, 64, {0xE0, 0x00, 0x40}},
                    TCase{"SystemClock", 7, 9, 0, 0, {0xF8, 0x00, 0x00}},
                    TCase{"SystemLowest", 7, 1, 0, 0, {0xF0, 0x00, 0x00}},
                    TCase{"ClearedMessageIsNoteOffChannel1", 0, 1, 0, 0, {0x80, 0x00, 0x00}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(ShortMessage, PacksStatusIntoTheLowByte)
{
    const auto built = BuildShortMessage(TMidiMsg{1, 0, 60, 100});
    ASSERT_TRUE(built);
    EXPECT_EQ(built->Packed(), 0x00643C90u);
}

TEST(ShortMessage, ChannelAboveFifteenCarriesIntoTheHighNibble)
{
    EXPECT_EQ(BuildShortMessage(TMidiMsg{1, 16, 0, 0})->Status, 0xA0);
    // 0xF0 + 0x20 wraps modulo 256.
    EXPECT_EQ(BuildShortMessage(TMidiMsg{7, 0x20, 0, 0})->Status, 0x10);
}

TEST(ShortMessage, DataBytesAboveSeventyPassUnmasked)
{
    const auto built = BuildShortMessage(TMidiMsg{1, 0, 200, 255});
    EXPECT_EQ(built->Data1, 200);
    EXPECT_EQ(built->Data2, 255);
}

TEST(ShortMessage, SecondDataByteOfProgramChangeAndChannelPressureIsStillPacked)
{
    EXPECT_EQ(BuildShortMessage(TMidiMsg{4, 0, 5, 9})->Packed(), 0x000905C0u);
    EXPECT_EQ(BuildShortMessage(TMidiMsg{5, 2, 1, 7})->Packed(), 0x000701D2u);
}

TEST(ShortMessage, KindOutsideTheCatalogueHasNoMessage)
{
    EXPECT_FALSE(BuildShortMessage(TMidiMsg{8, 0, 0, 0}));
    EXPECT_FALSE(BuildShortMessage(TMidiMsg{255, 0, 0, 0}));
    EXPECT_FALSE(BuildShortMessage(-1, 0, 0, 0));
}

TEST(Catalogue, TablesMatchTheStoredIndices)
{
    EXPECT_EQ(MsgNames[4], "Program Change");
    EXPECT_EQ(MsgStatus[7], 0xF0);
    EXPECT_EQ(MsgChannelLabels[5], "N/A");
    EXPECT_EQ(MsgData1Labels[6], "Pitch Lo");
    EXPECT_EQ(MsgData2Labels[3], "Value");
    EXPECT_EQ(ActionNames[1], "Press / Release");
}

} // namespace
