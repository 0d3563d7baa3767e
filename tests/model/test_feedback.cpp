#include "model/Feedback.h"
#include "model/qelCommandList.h"

#include <gtest/gtest.h>

namespace {

constexpr auto On = TFeedback::On;
constexpr auto Off = TFeedback::Off;

// Buttons 0 to 7: which incoming message bears on which, and how.
TCommandList Buttons()
{
    const struct
    {
        std::uint8_t Action;
        TMidiMsg Press, Release; // kind, stored channel, data 1, data 2
    } defs[] = {
        {actToggle, {1, 0, 60, 100}, {0, 0, 60, 0}},       // 0: Note On 60 / Note Off 60
        {actToggle, {3, 0, 20, 127}, {3, 0, 20, 0}},       // 1: CC 20 on / off
        {actPress, {4, 0, 5, 9}, {0, 0, 1, 0}},            // 2: Program 5 (its "N/A" byte set)
        {actPress, {4, 0, 6, 0}, {0, 0, 1, 0}},            // 3: Program 6
        {actPressRelease, {1, 1, 60, 100}, {0, 1, 60, 0}}, // 4: channel 2
        {actPress, {5, 0, 100, 0}, {0, 0, 1, 0}},          // 5: Channel Pressure 100
        {actPress, {7, 8, 0, 0}, {7, 8, 0, 0}},            // 6: System 0xF8: never matched
        {actToggle, {1, 0, 60, 100}, {1, 0, 60, 0}},       // 7: Note On 60 / Note On 60 at 0
    };
    TCommandList list;
    for (const auto& def : defs) {
        TCommandSet& set = list.Get(list.Add());
        set.Action = def.Action;
        set.Press.Msg = def.Press;
        set.Release.Msg = def.Release;
    }
    return list;
}

TEST(Feedback, EachMessageBearsOnItsButtonsInButtonOrder)
{
    const TCommandList list = Buttons();
    const struct
    {
        TShortMessage In;
        std::vector<TButtonFeedback> Expected;
    } cases[] = {
        {{0x90, 60, 100}, {{0, On}, {7, On}}},  // the Press side itself, on two buttons
        {{0x90, 60, 64}, {{0, On}, {7, On}}},   // another velocity
        {{0x90, 60, 0}, {{0, Off}, {7, Off}}},  // velocity 0: an off form, button 7's Release
        {{0x80, 60, 64}, {{0, Off}, {7, Off}}}, // Note Off at any velocity
        {{0x91, 60, 100}, {{4, On}}},           // channel 2 only
        {{0x81, 60, 0}, {{4, Off}}},
        {{0x90, 61, 100}, {}}, // another note
        {{0xB0, 20, 127}, {{1, On}}},
        {{0xB0, 20, 64}, {{1, On}}},
        {{0xB0, 20, 0}, {{1, Off}}},
        {{0xB0, 21, 127}, {}},               // another controller
        {{0xC0, 5, 0}, {{2, On}, {3, Off}}}, // the desk went to program 5
        {{0xC0, 7, 0}, {{2, Off}, {3, Off}}},
        {{0xC1, 5, 0}, {}}, // another channel
        {{0xD0, 100, 0}, {{5, On}}},
        {{0xD0, 30, 0}, {{5, On}}},
        {{0xD0, 0, 0}, {}},
        {{0xF8, 0, 0}, {}},    // system messages bear on nothing
        {{0x3C, 0x64, 0}, {}}, // nor does a data byte
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchFeedback(list, list.Count(), c.In), c.Expected)
            << std::hex << int(c.In.Status) << " " << int(c.In.Data1) << " " << int(c.In.Data2);
    EXPECT_EQ(MatchFeedback(list, 1, {0x90, 60, 100}).size(), 1u) << "only the grid's buttons";
}

} // namespace
