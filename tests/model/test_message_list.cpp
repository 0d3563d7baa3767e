// The "More Messages" text: what each item becomes, why a bad one is skipped, and that the text
// is kept exactly as written; and the MIDI Show Control bytes the builder makes.
#include "model/MessageList.h"
#include "model/ShowControl.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

struct TListCase
{
    const char* Name;
    const char* Text;
    QStringList Items;    // the good items, as the writer writes them
    QStringList Problems; // "place: reason" of each bad item
};

QString Long(int bytes)
{
    QString text = QStringLiteral("F0");
    for (int i = 2; i < bytes; ++i)
        text += QStringLiteral(" 11");
    return text + QStringLiteral(" F7");
}

class MessageListTest : public testing::TestWithParam<TListCase>
{
};

TEST_P(MessageListTest, ParsesKeepsAndWrites)
{
    const TListCase& c = GetParam();
    const QString text =
        QString::fromUtf8(c.Text).replace("$LONG1024", Long(1024)).replace("$LONG1025", Long(1025));
    const TMessageList list(text);
    QStringList items, problems;
    for (const TListItem& item : list.Items())
        items << (item.Bytes.size() > 8 ? QString("%1 bytes").arg(item.Bytes.size())
                                        : TMessageList::ItemText(item));
    for (const TListProblem& bad : list.Problems())
        problems << QStringLiteral("%1: %2").arg(bad.Item).arg(bad.Reason);
    EXPECT_EQ(items, c.Items);
    EXPECT_EQ(problems, c.Problems);
    EXPECT_EQ(list.Text(), text); // a bad item is never rewritten
    // What the writer writes reads back as the same items.
    QString written;
    for (const TListItem& item : list.Items())
        written = TMessageList::Appended(written, item);
    EXPECT_EQ(TMessageList(written).Items(), list.Items());
}

INSTANTIATE_TEST_SUITE_P(
    Items, MessageListTest,
    testing::Values(TListCase{"WellFormed",
                              "b0 07 64; FA ;wait 250;C0 5;F0 7F 01 02 01 01 31 2E 35 00 32 F7",
                              {"B0 07 64", "FA", "wait 250", "C0 05", "12 bytes"},
                              {}},
                    TListCase{"EmptyItemsAreNothing", " ; 90 3C 64 ;; ", {"90 3C 64"}, {}},
                    TListCase{"WaitLimits",
                              "wait 1; WAIT 10000; wait 0; wait 10001; wait x",
                              {"wait 1", "wait 10000"},
                              {"3: a wait is 1 to 10000 milliseconds",
                               "4: a wait is 1 to 10000 milliseconds",
                               "5: a wait is 1 to 10000 milliseconds"}},
                    TListCase{"NotHex",
                              "90 3G 64; 90 100 64",
                              {},
                              {"1: \"3G\" is not a byte in hexadecimal",
                               "2: \"100\" is not a byte in hexadecimal"}},
                    TListCase{"IncompleteOrTooLong",
                              "90 3C; 90 3C 64 00; FA 00",
                              {},
                              {"1: 90 takes 2 data byte(s)", "2: 90 takes 2 data byte(s)",
                               "3: FA takes 0 data byte(s)"}},
                    TListCase{"StatusAndDataBytes",
                              "3C 64; 90 80 64; F7",
                              {},
                              {"1: a message starts with a status byte (80 to FF)",
                               "2: data byte 80 is not below 80",
                               "3: F7 only ends a system-exclusive message"}},
                    TListCase{"SysExShape",
                              "F0 7F 01; F0 7F 90 F7; F0 F7",
                              {"F0 F7"},
                              {"1: a system-exclusive message ends with F7",
                               "2: 90 inside a system-exclusive message (only bytes below 80)"}},
                    TListCase{"SysExLimit",
                              "$LONG1024; $LONG1025",
                              {"1024 bytes"},
                              {"2: a system-exclusive message is at most 1024 bytes"}},
                    TListCase{"BadItemKeptAmongGood",
                              "90 3C 64; 90 3C; 80 3C 00",
                              {"90 3C 64", "80 3C 00"},
                              {"2: 90 takes 2 data byte(s)"}}),
    [](const testing::TestParamInfo<TListCase>& info) { return info.param.Name; });

struct TShowCase
{
    const char* Name;
    TShowCue Cue;
    const char* Bytes; // empty: no message
};

class ShowControlTest : public testing::TestWithParam<TShowCase>
{
};

TEST_P(ShowControlTest, BuildsTheBytes)
{
    const auto bytes = BuildShowControl(GetParam().Cue);
    EXPECT_EQ(bytes ? TMessageList::ItemText(TListItem{*bytes, 0}) : QString(),
              QString(GetParam().Bytes));
}

// F0 7F <device> 02 <format> <command> <data> F7; a cue is ASCII digits and points, then 00 and
// the list, then 00 and the path.
INSTANTIATE_TEST_SUITE_P(
    Messages, ShowControlTest,
    testing::Values(
        TShowCase{"GoWithoutCue", {0x01, 0x01, 0x01, "", "", ""}, "F0 7F 01 02 01 01 F7"},
        TShowCase{"GoCue", {0x01, 0x01, 0x01, "1", "", ""}, "F0 7F 01 02 01 01 31 F7"},
        TShowCase{"GoCueInList",
                  {0x01, 0x01, 0x01, "12.5", "2", ""},
                  "F0 7F 01 02 01 01 31 32 2E 35 00 32 F7"},
        TShowCase{"GoCueListPath",
                  {0x01, 0x05, 0x10, "3", "1", "7"},
                  "F0 7F 05 02 10 01 33 00 31 00 37 F7"},
        TShowCase{"StopAllCall", {0x02, 0x7F, 0x7F, "4", "", ""}, "F0 7F 7F 02 7F 02 34 F7"},
        TShowCase{"SetControlAndValue",
                  {0x06, 0x00, 0x01, "300", "16383", ""},
                  "F0 7F 00 02 01 06 2C 02 7F 7F F7"},
        TShowCase{"FireMacro", {0x07, 0x00, 0x60, "5", "", ""}, "F0 7F 00 02 60 07 05 F7"},
        TShowCase{"AllOffTakesNothing", {0x08, 0x02, 0x01, "9", "", ""}, "F0 7F 02 02 01 08 F7"},
        TShowCase{"ListWithoutCue", {0x01, 0x01, 0x01, "", "2", ""}, ""},
        TShowCase{"CueNotDigits", {0x01, 0x01, 0x01, "1a", "", ""}, ""},
        TShowCase{"SetOutOfRange", {0x06, 0x01, 0x01, "16384", "0", ""}, ""}),
    [](const testing::TestParamInfo<TShowCase>& info) { return info.param.Name; });

} // namespace
