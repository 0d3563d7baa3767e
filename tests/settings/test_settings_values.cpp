// The mapping of settings to keys: every key, default, check and order, on files held in memory.
#include "SettingsTestSupport.h"

#include <stdexcept>

namespace {

const TCommandSet& Button(const TSettingsState& s, int n)
{
    return s.CommandList.Get(n - 1);
}

// ---- Defaults -------------------------------------------------------------------------------

TEST(LoadSettings, EmptyFileGivesEveryDefault)
{
    TSettingsState s;
    s.LoadText("");
    const TGlobalSettings& g = s.Globals;
    EXPECT_EQ(g.MainTop, 0);
    EXPECT_EQ(g.MainLeft, 0);
    EXPECT_EQ(g.MainHeight, 200);
    EXPECT_EQ(g.MainWidth, 300);
    EXPECT_FALSE(g.MainMaximised);
    EXPECT_FALSE(g.MainBorderless);
    EXPECT_EQ(g.ButtonRows, 5);
    EXPECT_EQ(g.ButtonCols, 3);
    EXPECT_EQ(g.FontName, "Arial");
    EXPECT_EQ(g.FontSize, 8);
    EXPECT_EQ(g.BorderHighlightColour, 255u);
    EXPECT_EQ(g.ButtonLayout, 0);
    EXPECT_EQ(s.Data.Caption, "Keyrill");
    EXPECT_TRUE(g.AllowEditing);
    EXPECT_TRUE(g.AllowWindowMoving);
    EXPECT_TRUE(g.AllowWindowResizing);
    EXPECT_TRUE(g.SaveWindowPosition);
    EXPECT_TRUE(g.SaveWindowSize);
    EXPECT_TRUE(g.ShowOutputErrors);
    EXPECT_FALSE(s.Data.MinimiseToTray);
    EXPECT_FALSE(g.GlobalHotKeys);
    for (const TOutput& slot : s.Outputs) {
        EXPECT_EQ(slot.DeviceIndex, 0);
        EXPECT_FALSE(slot.Active);
    }
}

TEST(LoadSettings, AlwaysLoadsFourHundredDefinitionsWhateverTheGrid)
{
    TSettingsState s;
    s.LoadText("[General]\nButton Rows=1\nButton Cols=1\n");
    ASSERT_EQ(s.CommandList.Count(), 400);
    for (int n : {1, 2, 15, 16, 400}) {
        const TCommandSet& set = Button(s, n);
        SCOPED_TRACE(n);
        EXPECT_EQ(set.Action, 0);
        EXPECT_EQ(set.HotKey, "");
        for (const TCommand* side : {&set.Press, &set.Release}) {
            EXPECT_EQ(side->Caption, QString::number(n));
            EXPECT_EQ(side->Msg, TMidiMsg{});
            EXPECT_EQ(side->Output, 1);
            EXPECT_EQ(side->ButtonColour, kColorCream);
            EXPECT_EQ(side->TextColour, 0u);
            EXPECT_EQ(side->ImageIndex, -1);
        }
        EXPECT_FALSE(set.Pressed);
    }
}

TEST(LoadSettings, ReplacesWhatTheListHeldSoItemNMinusOneIsButtonN)
{
    TSettingsState s;
    s.CommandList.Add();
    s.CommandList.Get(0).Press.Caption = "stale";
    s.LoadText("[Button 1]\nCaption=fresh\n");
    ASSERT_EQ(s.CommandList.Count(), 400);
    EXPECT_EQ(Button(s, 1).Press.Caption, "fresh");
}

TEST(LoadSettings, ButtonBeyondTheGridIsRead)
{
    TSettingsState s;
    s.LoadText(
        "[Button 400]\nCaption=last\n[Button 400 Release]\nNote=9\n[Button 401]\nCaption=x\n");
    EXPECT_EQ(Button(s, 400).Press.Caption, "last");
    EXPECT_EQ(Button(s, 400).Release.Msg.Note, 9);
    EXPECT_EQ(s.CommandList.Count(), 400);
}

TEST(LoadSettings, ReadsEveryKeyOfAButton)
{
    TSettingsState s;
    s.LoadText("[Button 7]\nAction=1\nHotKey=F5\nCaption=Go\\nNow\nMessage=1\nChannel=9\n"
               "Note=60\nVelocity=100\nOutput=2\nButton Colour=#112233\nText Colour=#ABCDEF\n"
               "Image Index=12\n"
               "[Button 7 Release]\nAction=2\nHotKey=A\nCaption=\nMessage=2\nChannel=15\n"
               "Note=61\nVelocity=0\nOutput=4\nButton Colour=255\nText Colour=$00FF00\n"
               "Image Index=134\n");
    const TCommandSet& b = Button(s, 7);
    EXPECT_EQ(b.Action, 1);
    EXPECT_EQ(b.HotKey, "F5");
    EXPECT_EQ(b.Press.Caption, "Go\\nNow"); // backslash and n stay two characters
    EXPECT_EQ(b.Press.Msg, (TMidiMsg{1, 9, 60, 100}));
    EXPECT_EQ(b.Press.Output, 2);
    EXPECT_EQ(b.Press.ButtonColour, MakeColor(0x11, 0x22, 0x33));
    EXPECT_EQ(b.Press.TextColour, MakeColor(0xAB, 0xCD, 0xEF));
    EXPECT_EQ(b.Press.ImageIndex, 12);
    EXPECT_EQ(b.Release.Caption, "");
    EXPECT_EQ(b.Release.Msg, (TMidiMsg{2, 15, 61, 0}));
    EXPECT_EQ(b.Release.Output, 4);
    EXPECT_EQ(b.Release.ButtonColour, 255u);
    EXPECT_EQ(b.Release.TextColour, MakeColor(0, 0xFF, 0));
    EXPECT_EQ(b.Release.ImageIndex, 134);
}

TEST(LoadSettings, ReleaseSectionHasNoActionOrHotKey)
{
    TSettingsState s;
    s.LoadText("[Button 2 Release]\nAction=2\nHotKey=Q\n");
    EXPECT_EQ(Button(s, 2).Action, 0);
    EXPECT_EQ(Button(s, 2).HotKey, "");
}

TEST(LoadSettings, LowerCaseSectionAndKeyMatch)
{
    TSettingsState s;
    s.LoadText("[button 3]\ncaption=lower\n[GENERAL]\nbutton rows=2\n");
    EXPECT_EQ(Button(s, 3).Press.Caption, "lower");
    EXPECT_EQ(s.Globals.ButtonRows, 2);
}

TEST(LoadSettings, ReadsWindowGeneralAndOutputs)
{
    TSettingsState s;
    s.LoadText("[Windows]\nMain Top=-10\nMain Left=20\nMain Height=400\nMain Width=500\n"
               "Main Maximised=1\nMain Borderless=1\n"
               "[General]\nFont Name=  DejaVu Sans  \nFont Size=12\nButton Layout=2\n"
               "Caption=My Pad\nAllow Editing=0\nAllow Window Moving=0\nAllow Window Resizing=0\n"
               "Save Window Position=0\nSave Window Size=0\nShow Output Errors=0\n"
               "Minimise To Tray=1\nGlobal Hot Keys=1\n"
               "[Output 1]\nMIDI Device=-1\nActive=1\n[Output 4]\nMIDI Device=3\nActive=0\n");
    const TGlobalSettings& g = s.Globals;
    EXPECT_EQ(g.MainTop, -10);
    EXPECT_EQ(g.MainLeft, 20);
    EXPECT_EQ(g.MainHeight, 400);
    EXPECT_EQ(g.MainWidth, 500);
    EXPECT_TRUE(g.MainMaximised);
    EXPECT_TRUE(g.MainBorderless);
    EXPECT_EQ(g.FontName, "DejaVu Sans");
    EXPECT_EQ(g.FontSize, 12);
    EXPECT_EQ(g.ButtonLayout, 2);
    EXPECT_EQ(s.Data.Caption, "My Pad");
    EXPECT_FALSE(g.AllowEditing);
    EXPECT_FALSE(g.AllowWindowMoving);
    EXPECT_FALSE(g.AllowWindowResizing);
    EXPECT_FALSE(g.SaveWindowPosition);
    EXPECT_FALSE(g.SaveWindowSize);
    EXPECT_FALSE(g.ShowOutputErrors);
    EXPECT_TRUE(s.Data.MinimiseToTray);
    EXPECT_TRUE(g.GlobalHotKeys);
    EXPECT_EQ(s.Outputs[0].DeviceIndex, -1);
    EXPECT_TRUE(s.Outputs[0].Active);
    EXPECT_EQ(s.Outputs[1].DeviceIndex, 0);
    EXPECT_FALSE(s.Outputs[1].Active);
    EXPECT_EQ(s.Outputs[3].DeviceIndex, 3);
    EXPECT_FALSE(s.Outputs[3].Active);
}

TEST(LoadSettings, EmptyStringValuesAreEmptyNotDefault)
{
    TSettingsState s;
    s.LoadText("[General]\nFont Name=\nCaption=\n[Button 1]\nCaption=\n");
    EXPECT_EQ(s.Globals.FontName, "");
    EXPECT_EQ(s.Data.Caption, "");
    EXPECT_EQ(Button(s, 1).Press.Caption, "");
    EXPECT_EQ(Button(s, 1).Release.Caption, "1");
}

TEST(LoadSettings, LastDuplicateSectionAndKeyWin)
{
    TSettingsState s;
    s.LoadText("[Button 1]\nCaption=old\nNote=5\n[General]\nFont Size=9\nfont size=10\n"
               "[BUTTON 1]\nCaption=new\n");
    EXPECT_EQ(Button(s, 1).Press.Caption, "new");
    EXPECT_EQ(Button(s, 1).Press.Msg.Note, 0); // the earlier section is not merged in
    EXPECT_EQ(s.Globals.FontSize, 10);
}

// ---- Integer checks: table of (section, key, value) -> what a field reads -------------------

struct IntCase
{
    const char* name;
    const char* file;
    int (*field)(const TSettingsState&);
    int expected;
};

int Rows(const TSettingsState& s)
{
    return s.Globals.ButtonRows;
}
int Cols(const TSettingsState& s)
{
    return s.Globals.ButtonCols;
}
int Action1(const TSettingsState& s)
{
    return s.CommandList.Get(0).Action;
}
int Channel1(const TSettingsState& s)
{
    return s.CommandList.Get(0).Press.Msg.Channel;
}
int ReleaseVelocity1(const TSettingsState& s)
{
    return s.CommandList.Get(0).Release.Msg.Velocity;
}
int Message1(const TSettingsState& s)
{
    return s.CommandList.Get(0).Press.Msg.Message;
}
int Note1(const TSettingsState& s)
{
    return s.CommandList.Get(0).Press.Msg.Note;
}
int Output1(const TSettingsState& s)
{
    return s.CommandList.Get(0).Press.Output;
}
int Image1(const TSettingsState& s)
{
    return s.CommandList.Get(0).Press.ImageIndex;
}
int Layout(const TSettingsState& s)
{
    return s.Globals.ButtonLayout;
}
int FontSize(const TSettingsState& s)
{
    return s.Globals.FontSize;
}
int Top(const TSettingsState& s)
{
    return s.Globals.MainTop;
}
int Device2(const TSettingsState& s)
{
    return s.Outputs[1].DeviceIndex;
}
int AllowEditing(const TSettingsState& s)
{
    return s.Globals.AllowEditing;
}
int Maximised(const TSettingsState& s)
{
    return s.Globals.MainMaximised;
}
int Active3(const TSettingsState& s)
{
    return s.Outputs[2].Active;
}

class LoadInteger : public testing::TestWithParam<IntCase>
{
};

TEST_P(LoadInteger, Reads)
{
    TSettingsState s;
    s.LoadText(QString::fromUtf8(GetParam().file));
    EXPECT_EQ(GetParam().field(s), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Checks, LoadInteger,
    testing::Values(
        IntCase{"RowsZeroIsOne", "[General]\nButton Rows=0", Rows, 1},
        IntCase{"Rows25IsTwenty", "[General]\nButton Rows=25", Rows, 20},
        IntCase{"RowsNegativeIsOne", "[General]\nButton Rows=-3", Rows, 1},
        IntCase{"RowsNotANumberIsFive", "[General]\nButton Rows=many", Rows, 5},
        IntCase{"RowsEmptyIsFive", "[General]\nButton Rows=", Rows, 5},
        IntCase{"RowsHex", "[General]\nButton Rows=$A", Rows, 10},
        IntCase{"ColsZeroIsOne", "[General]\nButton Cols=0", Cols, 1},
        IntCase{"Cols21IsTwenty", "[General]\nButton Cols=21", Cols, 20},
        IntCase{"ColsNotANumberIsThree", "[General]\nButton Cols=x", Cols, 3},
        IntCase{"ColsOverflowIsThree", "[General]\nButton Cols=4294967296", Cols, 3},
        IntCase{"Action7IsTwo", "[Button 1]\nAction=7", Action1, 2},
        IntCase{"ActionMinusOneIsZero", "[Button 1]\nAction=-1", Action1, 0},
        IntCase{"ActionOne", "[Button 1]\nAction=1", Action1, 1},
        IntCase{"ActionHugeIsTwo", "[Button 1]\nAction=2147483647", Action1, 2},
        IntCase{"ActionBadIsZero", "[Button 1]\nAction=Toggle", Action1, 0},
        IntCase{"Channel300Is44", "[Button 1]\nChannel=300", Channel1, 44},
        IntCase{"ChannelMinusOneIs255", "[Button 1]\nChannel=-1", Channel1, 255},
        IntCase{"ChannelHexLowByte", "[Button 1]\nChannel=0x1FF", Channel1, 255},
        IntCase{"ReleaseVelocity256IsZero", "[Button 1 Release]\nVelocity=256", ReleaseVelocity1,
                0},
        IntCase{"MessageBeyondCatalogueKept", "[Button 1]\nMessage=9", Message1, 9},
        IntCase{"MessageLowByte", "[Button 1]\nMessage=263", Message1, 7},
        IntCase{"NoteBadIsZero", "[Button 1]\nNote=C4", Note1, 0},
        IntCase{"OutputZeroKept", "[Button 1]\nOutput=0", Output1, 0},
        IntCase{"OutputFiveKept", "[Button 1]\nOutput=5", Output1, 5},
        IntCase{"OutputLowByte", "[Button 1]\nOutput=258", Output1, 2},
        IntCase{"OutputBadIsOne", "[Button 1]\nOutput=one", Output1, 1},
        IntCase{"ImageIndexNotChecked", "[Button 1]\nImage Index=100000", Image1, 100000},
        IntCase{"ImageIndexNegative", "[Button 1]\nImage Index=-7", Image1, -7},
        IntCase{"ImageIndexBadIsMinusOne", "[Button 1]\nImage Index=", Image1, -1},
        IntCase{"LayoutBeyondRangeKept", "[General]\nButton Layout=7", Layout, 7},
        IntCase{"LayoutLowByte", "[General]\nButton Layout=257", Layout, 1},
        IntCase{"FontSizeNotChecked", "[General]\nFont Size=1000", FontSize, 1000},
        IntCase{"TopHexSigned", "[Windows]\nMain Top=$FFFFFFFF", Top, -1},
        IntCase{"TopDecimalTooBigIsDefault", "[Windows]\nMain Top=2147483648", Top, 0},
        IntCase{"DeviceMinusOne", "[Output 2]\nMIDI Device=-1", Device2, -1},
        IntCase{"AllowEditingYesIsDefaultTrue", "[General]\nAllow Editing=yes", AllowEditing, 1},
        IntCase{"AllowEditingTrueWordIsDefault", "[General]\nAllow Editing=true", AllowEditing, 1},
        IntCase{"AllowEditingTwoIsTrue", "[General]\nAllow Editing=2", AllowEditing, 1},
        IntCase{"AllowEditingZeroIsFalse", "[General]\nAllow Editing=0", AllowEditing, 0},
        IntCase{"AllowEditingMinusOneIsTrue", "[General]\nAllow Editing=-1", AllowEditing, 1},
        IntCase{"MaximisedYesIsDefaultFalse", "[Windows]\nMain Maximised=yes", Maximised, 0},
        IntCase{"ActiveHexOne", "[Output 3]\nActive=$1", Active3, 1}),
    [](const testing::TestParamInfo<IntCase>& info) { return info.param.name; });

// ---- Colours --------------------------------------------------------------------------------

struct ColourCase
{
    const char* name;
    const char* value; // nullptr: key missing
    TColor expected;
};

class LoadColour : public testing::TestWithParam<ColourCase>
{
};

TEST_P(LoadColour, ButtonColourReads)
{
    TSettingsState s;
    QString file = "[Button 1]\n";
    if (GetParam().value)
        file += QStringLiteral("Button Colour=") + QString::fromUtf8(GetParam().value) + "\n";
    s.LoadText(file);
    EXPECT_EQ(s.CommandList.Get(0).Press.ButtonColour, GetParam().expected);
}

constexpr TColor kRed = 255;

INSTANTIATE_TEST_SUITE_P(
    ColourRule, LoadColour,
    testing::Values(
        ColourCase{"Missing", nullptr, kColorCream}, ColourCase{"Empty", "", kColorCream},
        ColourCase{"HashAlone", "#", kColorCream}, ColourCase{"HashTwoDigits", "#FF", kColorCream},
        ColourCase{"HashFourDigits", "#FF00", kColorCream}, ColourCase{"UpperHex", "#FF0000", kRed},
        ColourCase{"LowerHex", "#ff0000", kRed},
        ColourCase{"FiveDigitsBlueOneDigit", "#0000F", MakeColor(0, 0, 0xF)},
        ColourCase{"CharactersAfterSixthIgnored", "#FF0000zz!", kRed},
        ColourCase{"NonHexComponent", "#GG0000", kColorCream},
        ColourCase{"SignInComponent", "#+10000", kColorCream},
        ColourCase{"BlankInComponent", "#FF 000", kColorCream}, ColourCase{"Decimal", "255", kRed},
        ColourCase{"DollarHex", "$FF", kRed}, ColourCase{"ZeroXHex", "0xFF", kRed},
        ColourCase{"ZeroCapitalXHex", "0XFF", kRed},
        ColourCase{"DecimalBlue", "16711680", MakeColor(0, 0, 255)},
        ColourCase{"NoColourKept", "536870911", kColorNone},
        ColourCase{"HighByteKept", "$FF0000FF", 0xFF0000FFu},
        ColourCase{"NegativeKeptAsBits", "-1", 0xFFFFFFFFu},
        ColourCase{"NotANumber", "red", kColorCream},
        ColourCase{"HexWithoutHash", "FF0000", kColorCream}),
    [](const testing::TestParamInfo<ColourCase>& info) { return info.param.name; });

TEST(LoadColour, TextColourAndHighlightUseTheirOwnDefaults)
{
    TSettingsState s;
    s.LoadText(
        "[General]\nButton Border Highlight Colour=#\n[Button 1 Release]\nText Colour=oops\n");
    EXPECT_EQ(s.Globals.BorderHighlightColour, 255u);
    EXPECT_EQ(s.CommandList.Get(0).Release.TextColour, 0u);
}

TEST(LoadColour, DecimalHighlightIsWrittenBackAsHex)
{
    TSettingsState s;
    s.LoadText("[General]\nButton Border Highlight Colour=16711680\n");
    EXPECT_EQ(s.Globals.BorderHighlightColour, MakeColor(0, 0, 255));
    EXPECT_TRUE(s.SaveText("").contains("Button Border Highlight Colour=#0000FF\r\n"));
}

TEST(ColourHex, ColourToHexPutsRedFirstInUpperCase)
{
    EXPECT_EQ(ColourToHex(15793151), "#FFFBF0");
    EXPECT_EQ(ColourToHex(255), "#FF0000");
    EXPECT_EQ(ColourToHex(0), "#000000");
    EXPECT_EQ(ColourToHex(MakeColor(0xAB, 0xCD, 0xEF)), "#ABCDEF");
    EXPECT_EQ(ColourToHex(0x1FFFFFFF), "#FFFFFF"); // only the three low bytes are written
}

TEST(ColourHex, HexToColourInvertsAndFailsOnBadComponents)
{
    EXPECT_EQ(HexToColour("#FFFBF0"), 15793151u);
    EXPECT_EQ(HexToColour("FFFBF0"), 15793151u); // the "#" is optional
    EXPECT_EQ(HexToColour("#abcdef"), MakeColor(0xAB, 0xCD, 0xEF));
    EXPECT_EQ(HexToColour("#1234567"), MakeColor(0x12, 0x34, 0x56));
    EXPECT_EQ(HexToColour("#12345"), MakeColor(0x12, 0x34, 0x5));
    for (const char* bad :
         {"", "#", "#1", "#12", "#123", "#1234", "#12345G", "#X23456", "##123456"})
        EXPECT_THROW(HexToColour(bad), std::invalid_argument) << bad;
}

// ---- Saving ---------------------------------------------------------------------------------

TEST(SaveSettings, AllowEditingOffOnlyWindowKeysFollowTheirSwitches)
{
    TSettingsState s;
    s.LoadText("");
    s.Globals.AllowEditing = false;
    s.Globals.SaveWindowPosition = true;
    s.Globals.SaveWindowSize = false;
    s.Globals.MainTop = 11;
    s.Globals.MainLeft = 22;
    s.Globals.MainWidth = 999;
    EXPECT_EQ(s.SaveText("[General]\nCaption=Old\n"),
              "[General]\r\nCaption=Old\r\n\r\n[Windows]\r\nMain Top=11\r\nMain Left=22\r\n\r\n");

    s.Globals.SaveWindowPosition = false;
    s.Globals.SaveWindowSize = true;
    s.Data.WindowMaximised = true;
    s.Globals.MainBorderless = true;
    EXPECT_EQ(s.SaveText("[windows]\nmain top=5\n"),
              "[windows]\r\nmain top=5\r\nMain Height=200\r\nMain Width=999\r\n"
              "Main Maximised=1\r\nMain Borderless=1\r\n\r\n");
}

TEST(SaveSettings, AllSwitchesOffChangesNoValueButNormalises)
{
    TSettingsState s;
    const QString file = "; comment\n[Windows]\n Main Top = 5 \n[General]\nAllow Editing=0\n"
                         "Save Window Position=0\nSave Window Size=0\n[Button 1]\nCaption=x\n"
                         "[Buttons]\nk=v\n";
    s.LoadText(file);
    s.Globals.MainTop = 77;
    s.Globals.ButtonRows = 1;
    s.CommandList.Get(0).Press.Caption = "changed";
    EXPECT_EQ(s.SaveText(file),
              "[Windows]\r\nMain Top=5\r\n\r\n[General]\r\nAllow Editing=0\r\n"
              "Save Window Position=0\r\nSave Window Size=0\r\n\r\n[Button 1]\r\nCaption=x\r\n\r\n"
              "[Buttons]\r\nk=v\r\n\r\n");
}

TEST(SaveSettings, MaximisedIsWhatTheWindowIsNowNotTheSetting)
{
    TSettingsState s;
    s.LoadText("[Windows]\nMain Maximised=1\n");
    s.Data.WindowMaximised = false;
    EXPECT_TRUE(s.SaveText("").contains("Main Maximised=0\r\n"));
    s.Globals.MainMaximised = false;
    s.Data.WindowMaximised = true;
    EXPECT_TRUE(s.SaveText("").contains("Main Maximised=1\r\n"));
}

TEST(SaveSettings, CaptionAndTrayComeFromTheWindow)
{
    TSettingsState s;
    s.LoadText("");
    s.Data.Caption = "Live Title";
    s.Data.MinimiseToTray = true;
    const QString out = s.SaveText("");
    EXPECT_TRUE(out.contains("\r\nCaption=Live Title\r\n"));
    EXPECT_TRUE(out.contains("\r\nMinimise To Tray=1\r\n"));
}

TEST(SaveSettings, UnknownSectionsAndKeysSurviveButtonSectionsGo)
{
    TSettingsState s;
    const QString file = "; my comment\n[Mine]\n  Colour = blue \n[General]\nExtra=1\n"
                         "[Buttons]\nk=v\n[BUTTON 99]\nCaption=x\n[buttonish]\n[Button]\n"
                         "[Butto]\nstays=1\n[Other]\n";
    s.LoadText(file);
    s.Globals.ButtonRows = 1;
    s.Globals.ButtonCols = 1;
    const QString out = s.SaveText(file, /*existed=*/true);
    EXPECT_FALSE(out.contains("my comment"));
    EXPECT_TRUE(
        out.startsWith("[Mine]\r\nColour=blue\r\n\r\n[General]\r\nExtra=1\r\nButton Rows=1\r\n"));
    EXPECT_FALSE(out.contains("[Buttons]"));
    EXPECT_FALSE(out.contains("[BUTTON 99]"));
    EXPECT_FALSE(out.contains("[buttonish]"));
    EXPECT_FALSE(out.contains("[Button]"));
    EXPECT_TRUE(out.contains("[Butto]\r\nstays=1\r\n\r\n"));
    EXPECT_TRUE(out.contains("[Other]\r\n\r\n"));
    // The button sections come last, after the sections the program appended.
    EXPECT_TRUE(
        out.contains("\r\n[Output 4]\r\nMIDI Device=0\r\nMIDI Device Name=\r\nActive=0\r\n\r\n"
                     "[Input]\r\nMIDI Device=0\r\nMIDI Device Name=\r\nActive=0\r\n\r\n"
                     "[Button 1]\r\n"));
    EXPECT_TRUE(
        out.endsWith("[Button 1 Release]\r\nCaption=1\r\nMessage=0\r\nChannel=0\r\nNote=0\r\n"
                     "Velocity=0\r\nOutput=1\r\nButton Colour=#FFFBF0\r\n"
                     "Text Colour=#000000\r\nImage Index=-1\r\n\r\n"));
}

TEST(SaveSettings, ButtonSectionsAreKeptInPlaceWhenTheFileDidNotExist)
{
    // Erasing happens only for a file that existed; the text here stands for what was read.
    TSettingsState s;
    s.LoadText("");
    s.Globals.ButtonRows = 1;
    s.Globals.ButtonCols = 1;
    const QString out = s.SaveText("[Buttons]\nk=v\n", /*existed=*/false);
    EXPECT_TRUE(out.startsWith("[Buttons]\r\nk=v\r\n\r\n[Windows]"));
}

TEST(SaveSettings, ReducedGridWritesOnlyItsButtons)
{
    TSettingsState s;
    s.LoadText("");
    const QString full = s.SaveText("");
    EXPECT_TRUE(full.contains("[Button 15 Release]"));
    s.Globals.ButtonRows = 2;
    s.Globals.ButtonCols = 2;
    const QString out = s.SaveText(full);
    EXPECT_TRUE(out.contains("[Button 4 Release]"));
    EXPECT_FALSE(out.contains("[Button 5]"));
    EXPECT_EQ(out.count("[Button "), 8);
}

TEST(SaveSettings, WritesEveryFieldOfAButtonInTableOrder)
{
    TSettingsState s;
    s.LoadText("");
    s.Globals.ButtonRows = 1;
    s.Globals.ButtonCols = 1;
    TCommandSet& b = s.CommandList.Get(0);
    b.Action = 2;
    b.HotKey = "F12";
    b.Press = TCommand{"Line\\nTwo", {3, 4, 5, 6}, 7, MakeColor(1, 2, 3), 0x1FFFFFFF, 134, {}};
    b.Release = TCommand{"", {200, 201, 202, 203}, 0, 0xFFABCDEF, 0, -1, {}};
    const QString out = s.SaveText("");
    EXPECT_TRUE(out.endsWith(
        "[Button 1]\r\nAction=2\r\nHotKey=F12\r\nCaption=Line\\nTwo\r\nMessage=3\r\nChannel=4\r\n"
        "Note=5\r\nVelocity=6\r\nOutput=7\r\nButton Colour=#010203\r\nText Colour=#FFFFFF\r\n"
        "Image Index=134\r\n\r\n"
        "[Button 1 Release]\r\nCaption=\r\nMessage=200\r\nChannel=201\r\nNote=202\r\n"
        "Velocity=203\r\nOutput=0\r\nButton Colour=#EFCDAB\r\nText Colour=#000000\r\n"
        "Image Index=-1\r\n\r\n"));
}

TEST(SaveSettings, ShortListWritesWhatExistsThenReportsTheError)
{
    TSettingsState s;
    s.LoadText("");
    while (s.CommandList.Count() > 2)
        s.CommandList.Delete(s.CommandList.Count() - 1);
    TIniFile ini;
    EXPECT_THROW(WriteSettings(ini, false, s.Data), std::out_of_range);
    EXPECT_TRUE(ini.HasSection("Button 2 Release"));
    EXPECT_FALSE(ini.HasSection("Button 3"));
}

TEST(SaveSettings, NonsenseGridWritesNoButtons)
{
    TSettingsState s;
    s.LoadText("");
    s.Globals.ButtonRows = -3;
    s.Globals.ButtonCols = -5;
    TIniFile ini;
    EXPECT_NO_THROW(WriteSettings(ini, false, s.Data));
    EXPECT_FALSE(ini.HasSection("Button 1"));
    EXPECT_EQ(ini.ReadString("General", "Button Rows", ""), "-3");
}

TEST(SaveSettings, ValuesNoPartCanUseAreWrittenBackAsRead)
{
    TSettingsState s;
    const QString file = "[General]\nButton Layout=7\n[Button 1]\nOutput=5\nMessage=9\n"
                         "[Button 1 Release]\nOutput=0\nMessage=200\n";
    s.LoadText(file);
    s.Globals.ButtonRows = 1;
    s.Globals.ButtonCols = 1;
    const QString out = s.SaveText(file);
    EXPECT_TRUE(out.contains("\r\nButton Layout=7\r\n"));
    EXPECT_TRUE(out.contains("[Button 1]\r\nAction=0\r\nHotKey=\r\nCaption=1\r\nMessage=9\r\n"));
    EXPECT_TRUE(out.contains("Velocity=0\r\nOutput=5\r\n"));
    EXPECT_TRUE(out.contains("[Button 1 Release]\r\nCaption=1\r\nMessage=200\r\n"));
    EXPECT_TRUE(out.contains("Velocity=0\r\nOutput=0\r\n"));
}

// ---- Round trips ----------------------------------------------------------------------------

void ExpectSameValues(const TSettingsState& a, const TSettingsState& b, int buttons)
{
    const TGlobalSettings& x = a.Globals;
    const TGlobalSettings& y = b.Globals;
    EXPECT_EQ(x.MainTop, y.MainTop);
    EXPECT_EQ(x.MainLeft, y.MainLeft);
    EXPECT_EQ(x.MainHeight, y.MainHeight);
    EXPECT_EQ(x.MainWidth, y.MainWidth);
    EXPECT_EQ(x.MainMaximised, y.MainMaximised);
    EXPECT_EQ(x.MainBorderless, y.MainBorderless);
    EXPECT_EQ(x.ButtonRows, y.ButtonRows);
    EXPECT_EQ(x.ButtonCols, y.ButtonCols);
    EXPECT_EQ(x.FontName, y.FontName);
    EXPECT_EQ(x.FontSize, y.FontSize);
    EXPECT_EQ(x.BorderHighlightColour, y.BorderHighlightColour);
    EXPECT_EQ(x.ButtonLayout, y.ButtonLayout);
    EXPECT_EQ(x.AllowEditing, y.AllowEditing);
    EXPECT_EQ(x.AllowWindowMoving, y.AllowWindowMoving);
    EXPECT_EQ(x.AllowWindowResizing, y.AllowWindowResizing);
    EXPECT_EQ(x.SaveWindowPosition, y.SaveWindowPosition);
    EXPECT_EQ(x.SaveWindowSize, y.SaveWindowSize);
    EXPECT_EQ(x.ShowOutputErrors, y.ShowOutputErrors);
    EXPECT_EQ(a.Data.Caption, b.Data.Caption);
    EXPECT_EQ(a.Data.MinimiseToTray, b.Data.MinimiseToTray);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(a.Outputs[i].DeviceIndex, b.Outputs[i].DeviceIndex);
        EXPECT_EQ(a.Outputs[i].Active, b.Outputs[i].Active);
    }
    for (int i = 0; i < buttons; ++i)
        EXPECT_TRUE(a.CommandList.Get(i).SameDefinition(b.CommandList.Get(i)))
            << "button " << i + 1;
}

TEST(RoundTrip, LoadSaveLoadGivesTheSameValues)
{
    const QString file =
        "[Windows]\nMain Top=-3\nMain Left=$10\nMain Height=480\nMain Width=640\n"
        "Main Maximised=1\nMain Borderless=1\n[General]\nButton Rows=4\nButton Cols=5\n"
        "Font Name=Liberation Sans\nFont Size=14\nButton Border Highlight Colour=#00ff00\n"
        "Button Layout=9\nCaption=Ünïcödé ☃ pad\nAllow Editing=1\nAllow Window Moving=0\n"
        "Allow Window Resizing=0\nSave Window Position=0\nSave Window Size=1\n"
        "Show Output Errors=0\nMinimise To Tray=1\n[Output 2]\nMIDI Device=-1\nActive=1\n"
        "[Button 20]\nAction=1\nHotKey=F24\nCaption=Last\\nOne\nMessage=12\nChannel=300\n"
        "Note=127\nVelocity=-1\nOutput=6\nButton Colour=0x123456\nText Colour=#fedcba\n"
        "Image Index=-99\n[Button 20 Release]\nCaption=   \n";
    TSettingsState first;
    first.LoadText(file);
    first.Data.WindowMaximised = first.Globals.MainMaximised;
    const QString saved = first.SaveText(file);
    TSettingsState second;
    second.LoadText(saved);
    ExpectSameValues(first, second, 20);
}

TEST(RoundTrip, ProgramWrittenTextIsWrittenAgainIdentically)
{
    TSettingsState first;
    first.LoadText("[General]\nButton Rows=20\nButton Cols=20\n[Button 400]\nCaption=x\n"
                   "[Zeta]\nk = v\n");
    const QString once = first.SaveText("[Zeta]\nk = v\n", false);
    EXPECT_TRUE(once.startsWith("[Zeta]\r\nk=v\r\n\r\n[Windows]\r\n"));
    TSettingsState second;
    second.LoadText(once);
    EXPECT_EQ(second.SaveText(once, true), once);
}

} // namespace

namespace {

TEST(SaveSettings, MoreMessagesKeptAsWrittenAfterTheSideAndOnlyWhenSet)
{
    TSettingsState s;
    const QString file = "[General]\nButton Rows=1\nButton Cols=1\n[Button 1]\n"
                         "more messages = B0 07 64;  90 3C ; wait 20 \nCaption=x\n";
    s.LoadText(file);
    EXPECT_EQ(Button(s, 1).Press.More.Items().size(), 2u); // the bad "90 3C" is skipped
    const QString out = s.SaveText(file, /*existed=*/true);
    EXPECT_TRUE(out.contains("Image Index=-1\r\nMore Messages=B0 07 64;  90 3C ; wait 20\r\n\r\n"
                             "[Button 1 Release]\r\n"));
    EXPECT_FALSE(out.section("[Button 1 Release]", 1).contains("More Messages"));
}

} // namespace
