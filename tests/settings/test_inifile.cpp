// The INI layer on its own: the file's syntax rules and the integer type.
#include "SettingsTestSupport.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

QString Normalised(const QString& text)
{
    return TIniFile::Parse(text).Text();
}

// ---- Rule 1 to 4 and 7: what a file becomes after one save --------------------------------

struct SyntaxCase
{
    const char* name;
    const char* input;
    const char* output;
};

class IniSyntax : public testing::TestWithParam<SyntaxCase>
{
};

TEST_P(IniSyntax, NormalisesToTheWrittenForm)
{
    EXPECT_EQ(Normalised(QString::fromUtf8(GetParam().input)),
              QString::fromUtf8(GetParam().output));
}

INSTANTIATE_TEST_SUITE_P(
    Rules, IniSyntax,
    testing::Values(
        SyntaxCase{"Empty", "", ""},
        SyntaxCase{"CrLfLineEnds", "[A]\r\nk=v\r\n", "[A]\r\nk=v\r\n\r\n"},
        SyntaxCase{"LfLineEnds", "[A]\nk=v\nj=w", "[A]\r\nk=v\r\nj=w\r\n\r\n"},
        SyntaxCase{"CrLineEnds", "[A]\rk=v\rj=w\r", "[A]\r\nk=v\r\nj=w\r\n\r\n"},
        SyntaxCase{"MixedLineEnds", "[A]\r\n\rk=v\n\r\nj=w", "[A]\r\nk=v\r\nj=w\r\n\r\n"},
        // Trimming takes code points up to 32 (blanks and control characters); DEL stays.
        SyntaxCase{"LinesTrimmedOfBlanksAndControls", " \t[A]\x01 \n\t k=v \x7f\x1f\n",
                   "[A]\r\nk=v \x7f\r\n\r\n"},
        SyntaxCase{"BlankLinesDropped", "[A]\n\n   \n\t\nk=v\n\n", "[A]\r\nk=v\r\n\r\n"},
        SyntaxCase{"CommentsDropped", "; top\n[A]\n;k=v\n  ; indented\nk=w ; not a comment\n",
                   "[A]\r\nk=w ; not a comment\r\n\r\n"},
        SyntaxCase{"LinesBeforeFirstSectionDropped", "k=v\njunk\n[A]\nj=w", "[A]\r\nj=w\r\n\r\n"},
        SyntaxCase{"SectionNameTrimmed", "[  My Section \t]\n", "[My Section]\r\n\r\n"},
        SyntaxCase{"EmptySectionName", "[]\nk=v", "[]\r\nk=v\r\n\r\n"},
        SyntaxCase{"BracketOnlyAtStartIsNoSection", "[A]\n[B\nB]\n", "[A]\r\n[B\r\nB]\r\n\r\n"},
        SyntaxCase{"SingleBracketIsNoSection", "[A]\n[\n]\n", "[A]\r\n[\r\n]\r\n\r\n"},
        SyntaxCase{"KeyAndValueTrimmedAroundEquals", "[A]\n  Key \t=  some value  \n",
                   "[A]\r\nKey=some value\r\n\r\n"},
        SyntaxCase{"OnlyFirstEqualsSplits", "[A]\nk = a = b\n", "[A]\r\nk=a = b\r\n\r\n"},
        SyntaxCase{"EmptyKeyAndValueKept", "[A]\n=\n = x\n", "[A]\r\n=\r\n=x\r\n\r\n"},
        SyntaxCase{"LineWithoutEqualsKept", "[A]\n  just text  \nk=v",
                   "[A]\r\njust text\r\nk=v\r\n\r\n"},
        SyntaxCase{"SectionHeaderWinsOverEquals", "[a=b]\nk=v", "[a=b]\r\nk=v\r\n\r\n"},
        SyntaxCase{"DuplicatesStay", "[A]\nk=1\n[a]\nK=2\nk=3\n",
                   "[A]\r\nk=1\r\n\r\n[a]\r\nK=2\r\nk=3\r\n\r\n"},
        SyntaxCase{"EmptySectionsKept", "[A]\n[B]\n", "[A]\r\n\r\n[B]\r\n\r\n"}),
    [](const testing::TestParamInfo<SyntaxCase>& info) { return info.param.name; });

TEST(IniSyntax, NulInsideValueIsKept)
{
    const QString text = QStringLiteral("[A]\nk=a") + QChar(0) + QStringLiteral("b\n");
    const TIniFile ini = TIniFile::Parse(text);
    EXPECT_EQ(ini.ReadString("A", "k", "-"), QStringLiteral("a") + QChar(0) + QStringLiteral("b"));
    EXPECT_EQ(ini.Text(), QStringLiteral("[A]\r\nk=a") + QChar(0) + QStringLiteral("b\r\n\r\n"));
}

TEST(IniSyntax, WrittenTextReadsBackToTheSameText)
{
    const QString once = Normalised(" junk\n[ A ]\n k = v \n; c\nfree\n[B]\n\n[a]\nK=2\n");
    EXPECT_EQ(Normalised(once), once);
}

// ---- Rule 5: case and duplicates ----------------------------------------------------------

TEST(IniLookup, SectionsAndKeysIgnoreLetterCase)
{
    const TIniFile ini = TIniFile::Parse("[button 3]\ncaption=Hi\n");
    EXPECT_EQ(ini.ReadString("Button 3", "Caption", "-"), "Hi");
    EXPECT_EQ(ini.ReadString("BUTTON 3", "CAPTION", "-"), "Hi");
    EXPECT_TRUE(ini.HasSection("Button 3"));
}

TEST(IniLookup, NonAsciiNamesIgnoreLetterCase)
{
    const TIniFile ini = TIniFile::Parse(QStringLiteral("[Ärger]\nÜber=1\n"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("ärger"), QStringLiteral("über"), "-"), "1");
}

TEST(IniLookup, LastDuplicateSectionIsRead)
{
    const TIniFile ini = TIniFile::Parse("[A]\nk=first\nonly=here\n[a]\nk=second\n");
    EXPECT_EQ(ini.ReadString("A", "k", "-"), "second");
    // Sections are not merged: the key of the earlier one is not seen.
    EXPECT_EQ(ini.ReadString("A", "only", "-"), "-");
}

TEST(IniLookup, LastDuplicateKeyIsRead)
{
    const TIniFile ini = TIniFile::Parse("[A]\nk=1\nK=2\nk = 3\n");
    EXPECT_EQ(ini.ReadString("A", "k", "-"), "3");
}

TEST(IniLookup, LineWithoutEqualsNeverMatchesAKey)
{
    const TIniFile ini = TIniFile::Parse("[A]\nCaption\n");
    EXPECT_EQ(ini.Value("A", "Caption"), std::nullopt);
}

TEST(IniLookup, MissingKeyGivesDefaultEmptyValueGivesEmpty)
{
    const TIniFile ini = TIniFile::Parse("[A]\nempty=\n");
    EXPECT_EQ(ini.ReadString("A", "missing", "def"), "def");
    EXPECT_EQ(ini.ReadString("B", "missing", "def"), "def");
    EXPECT_EQ(ini.ReadString("A", "empty", "def"), "");
    EXPECT_FALSE(ini.ReadString("A", "empty", "def").isNull());
}

// ---- Rule 6: writing ------------------------------------------------------------------------

TEST(IniWrite, ReplacesTheLastEntryInPlaceWithTheProgramsSpelling)
{
    TIniFile ini = TIniFile::Parse("[general]\nfont name=A\nx=1\nFONT NAME=B\ny=2\n");
    ini.WriteString("General", "Font Name", "C");
    EXPECT_EQ(ini.Text(), "[general]\r\nfont name=A\r\nx=1\r\nFont Name=C\r\ny=2\r\n\r\n");
}

TEST(IniWrite, WritesIntoTheLastDuplicateSection)
{
    TIniFile ini = TIniFile::Parse("[A]\nk=1\n[B]\n[a]\nj=2\n");
    ini.WriteString("A", "k", "9");
    EXPECT_EQ(ini.Text(), "[A]\r\nk=1\r\n\r\n[B]\r\n\r\n[a]\r\nj=2\r\nk=9\r\n\r\n");
}

TEST(IniWrite, AppendsNewKeyAtTheEndOfItsSection)
{
    TIniFile ini = TIniFile::Parse("[A]\nk=1\nfree text\n[B]\nj=2\n");
    ini.WriteInteger("A", "n", -5);
    EXPECT_EQ(ini.Text(), "[A]\r\nk=1\r\nfree text\r\nn=-5\r\n\r\n[B]\r\nj=2\r\n\r\n");
}

TEST(IniWrite, AppendsNewSectionAtTheEndOfTheFile)
{
    TIniFile ini = TIniFile::Parse("[A]\nk=1\n");
    ini.WriteBool("New Section", "On", true);
    ini.WriteBool("new section", "Off", false);
    EXPECT_EQ(ini.Text(), "[A]\r\nk=1\r\n\r\n[New Section]\r\nOn=1\r\nOff=0\r\n\r\n");
}

TEST(IniWrite, KeepsTheSectionHeadersSpelling)
{
    TIniFile ini = TIniFile::Parse("[WINDOWS]\n");
    ini.WriteInteger("Windows", "Main Top", 3);
    EXPECT_EQ(ini.Text(), "[WINDOWS]\r\nMain Top=3\r\n\r\n");
}

TEST(IniWrite, ValueReadsBackAsWritten)
{
    TIniFile ini;
    ini.WriteString("A", "k", "  two\r\nlines\n ");
    EXPECT_EQ(ini.Text(), "[A]\r\nk=two  lines\r\n\r\n");
    EXPECT_EQ(ini.ReadString("A", "k", "-"), "two  lines");
    EXPECT_EQ(TIniFile::Parse(ini.Text()).ReadString("A", "k", "-"), "two  lines");
}

TEST(IniWrite, NewEntryIsFoundByLaterReadsAndWrites)
{
    TIniFile ini;
    ini.WriteString("A", "Key", "1");
    ini.WriteString("a", "KEY", "2");
    EXPECT_EQ(ini.ReadString("A", "key", "-"), "2");
    EXPECT_EQ(ini.Text(), "[A]\r\nKEY=2\r\n\r\n");
}

TEST(IniErase, RemovesEveryDuplicateWithItsLines)
{
    TIniFile ini = TIniFile::Parse("[A]\nk=1\n[B]\nj=2\n[a]\nk=3\n");
    ini.EraseSection("A");
    EXPECT_EQ(ini.Text(), "[B]\r\nj=2\r\n\r\n");
    EXPECT_FALSE(ini.HasSection("A"));
    ini.WriteString("A", "k", "4"); // appended again at the end
    EXPECT_EQ(ini.Text(), "[B]\r\nj=2\r\n\r\n[A]\r\nk=4\r\n\r\n");
}

TEST(IniErase, LookupsStillWorkAfterErasingEarlierSections)
{
    TIniFile ini = TIniFile::Parse("[X1]\n[X2]\n[C]\nk=1\n[D]\nk=2\n");
    ini.EraseSections([](const QString& name) { return name.startsWith('X'); });
    EXPECT_EQ(ini.ReadString("C", "k", "-"), "1");
    EXPECT_EQ(ini.ReadString("D", "k", "-"), "2");
    ini.WriteString("C", "k", "5");
    EXPECT_EQ(ini.Text(), "[C]\r\nk=5\r\n\r\n[D]\r\nk=2\r\n\r\n");
}

// ---- The integer type -----------------------------------------------------------------------

struct IntegerCase
{
    const char* text;
    std::optional<std::int32_t> value;
};

class IniInteger : public testing::TestWithParam<IntegerCase>
{
};

TEST_P(IniInteger, Parses)
{
    EXPECT_EQ(ParseIniInteger(QString::fromUtf8(GetParam().text)), GetParam().value)
        << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Values, IniInteger,
    testing::Values(
        IntegerCase{"0", 0}, IntegerCase{"42", 42}, IntegerCase{"-42", -42}, IntegerCase{"+7", 7},
        IntegerCase{"007", 7}, IntegerCase{"2147483647", 2147483647},
        IntegerCase{"-2147483648", -2147483647 - 1}, IntegerCase{"2147483648", std::nullopt},
        IntegerCase{"-2147483649", std::nullopt}, IntegerCase{"99999999999999999999", std::nullopt},
        IntegerCase{"$FF", 255}, IntegerCase{"$ff", 255}, IntegerCase{"0xFF", 255},
        IntegerCase{"0XfF", 255}, IntegerCase{"-$10", -16}, IntegerCase{"-0x10", -16},
        // Hexadecimal takes all 32 bits and is signed.
        IntegerCase{"$7FFFFFFF", 2147483647}, IntegerCase{"$80000000", -2147483647 - 1},
        IntegerCase{"$FFFFFFFF", -1}, IntegerCase{"0x00000000FF", 255},
        IntegerCase{"$100000000", std::nullopt}, IntegerCase{"", std::nullopt},
        IntegerCase{"-", std::nullopt}, IntegerCase{"+", std::nullopt},
        IntegerCase{"$", std::nullopt}, IntegerCase{"0x", std::nullopt},
        IntegerCase{"x10", std::nullopt}, IntegerCase{"#10", std::nullopt},
        IntegerCase{"1 2", std::nullopt}, IntegerCase{" 1", std::nullopt},
        IntegerCase{"1.0", std::nullopt}, IntegerCase{"1e3", std::nullopt},
        IntegerCase{"12a", std::nullopt}, IntegerCase{"--1", std::nullopt},
        IntegerCase{"$-1", std::nullopt}, IntegerCase{"yes", std::nullopt},
        IntegerCase{"true", std::nullopt}, IntegerCase{"\xd9\xa3", std::nullopt}));

TEST(IniInteger, ReadIntegerAndBoolUseTheDefaultForBadValues)
{
    const TIniFile ini = TIniFile::Parse("[A]\nn=12\nbad=x\nempty=\nt=2\nf=0\nyes=yes\nhex=$0\n");
    EXPECT_EQ(ini.ReadInteger("A", "n", 5), 12);
    EXPECT_EQ(ini.ReadInteger("A", "bad", 5), 5);
    EXPECT_EQ(ini.ReadInteger("A", "empty", 5), 5);
    EXPECT_EQ(ini.ReadInteger("A", "missing", 5), 5);
    EXPECT_TRUE(ini.ReadBool("A", "t", false));
    EXPECT_FALSE(ini.ReadBool("A", "f", true));
    EXPECT_TRUE(ini.ReadBool("A", "yes", true));
    EXPECT_FALSE(ini.ReadBool("A", "yes", false));
    EXPECT_FALSE(ini.ReadBool("A", "hex", true));
}

} // namespace
