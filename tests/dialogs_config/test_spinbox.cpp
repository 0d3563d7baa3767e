#include "dialogs/BoundedSpinBox.h"
#include "support/TestApplication.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>

namespace {

struct TypedCase
{
    int Minimum, Maximum;
    bool EmptyAllowed;
    const char* Typed;
    const char* TextAfterFocusOut;
    int Number;
};

void PrintTo(const TypedCase& c, std::ostream* os)
{
    *os << '"' << c.Typed << "\" into " << c.Minimum << ".." << c.Maximum
        << (c.EmptyAllowed ? ", emptiness allowed" : "");
}

class BoundedSpinBoxTyping : public testing::TestWithParam<TypedCase>
{
};

// What the typed text counts as while it is typed, and what stands in the field once the user
// has left it for another control.
TEST_P(BoundedSpinBoxTyping, TypedTextCountsAsAValueInRangeAndShowsItOnFocusOut)
{
    TestApplication();
    const TypedCase& c = GetParam();
    QWidget window;
    auto* spin = new TBoundedSpinBox(&window);
    auto* other = new QLineEdit(&window);
    spin->SetEmptyAllowed(c.EmptyAllowed);
    spin->setRange(c.Minimum, c.Maximum);
    spin->setValue(c.Minimum + 1); // so that falling back to the minimum shows
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    spin->setFocus();
    spin->lineEdit()->clear();
    QTest::keyClicks(spin->lineEdit(), QString::fromLatin1(c.Typed));
    EXPECT_EQ(spin->Number(), c.Number) << "before leaving the field";
    other->setFocus();
    EXPECT_EQ(spin->text(), QString::fromLatin1(c.TextAfterFocusOut));
    EXPECT_EQ(spin->Number(), c.Number);
    EXPECT_EQ(spin->value(), std::clamp(c.Number, c.Minimum, c.Maximum));
}

INSTANTIATE_TEST_SUITE_P(
    Fields, BoundedSpinBoxTyping,
    testing::Values(
        // rows and columns, channel, output, note and velocity
        TypedCase{1, 20, false, "25", "20", 20}, TypedCase{1, 20, false, "0", "1", 1},
        TypedCase{1, 20, false, "", "1", 1}, TypedCase{1, 20, false, "7", "7", 7},
        TypedCase{1, 20, false, " 7 ", "7", 7}, TypedCase{1, 20, false, "99999999999", "20", 20},
        TypedCase{0, 127, false, "200", "127", 127}, TypedCase{0, 127, false, "-5", "0", 0},
        TypedCase{1, 4, false, "9", "4", 4}, TypedCase{1, 4, false, "-", "1", 1},
        TypedCase{0, 127, false, "64", "64", 64}, TypedCase{1, 16, false, "+3", "3", 3},
        TypedCase{0, 127, false, "99999999999999999999", "127", 127},
        TypedCase{0, 127, false, "-99999999999999999999", "0", 0},
        // the text size: emptiness allowed, standing for 0
        TypedCase{8, 48, true, "5", "8", 8}, TypedCase{8, 48, true, "99", "48", 48},
        TypedCase{8, 48, true, "13", "13", 13}, TypedCase{8, 48, true, "", "", 0},
        TypedCase{8, 48, true, "  ", "", 0}, TypedCase{8, 48, true, "-", "8", 8}));

TEST(BoundedSpinBox, RefusesKeystrokesThatMakeNoWholeNumber)
{
    TestApplication();
    struct Case
    {
        const char* typed;
        const char* shown;
    };
    for (const Case& c : {Case{"4x-", "4"}, Case{"a2.5x", "25"}, Case{"-+3", "-3"}}) {
        TBoundedSpinBox spin;
        spin.setRange(1, 4);
        spin.setValue(2);
        spin.lineEdit()->clear();
        QTest::keyClicks(&spin, c.typed);
        EXPECT_EQ(spin.text(), c.shown) << c.typed;
    }
}

TEST(BoundedSpinBox, ArrowsStepBySingleStepAndStopAtTheBounds)
{
    TestApplication();
    struct Case
    {
        int minimum, maximum, step, start;
        Qt::Key key;
        int after;
    };
    for (const Case& c : {Case{1, 4, 1, 4, Qt::Key_Up, 4}, Case{1, 4, 1, 1, Qt::Key_Down, 1},
                          Case{8, 48, 2, 9, Qt::Key_Up, 11}, Case{8, 48, 2, 47, Qt::Key_Up, 48},
                          Case{8, 48, 2, 9, Qt::Key_Down, 8}}) {
        TBoundedSpinBox spin;
        spin.setRange(c.minimum, c.maximum);
        spin.setSingleStep(c.step);
        spin.setValue(c.start);
        QTest::keyClick(&spin, c.key);
        EXPECT_EQ(spin.value(), c.after) << c.start << " " << c.key;
    }
}

TEST(BoundedSpinBox, AnEmptiedFieldStaysEmptyWhenItsPageIsHiddenAndShownAgain)
{
    TestApplication();
    QWidget page;
    auto* spin = new TBoundedSpinBox(&page);
    spin->SetEmptyAllowed(true);
    spin->setRange(8, 48);
    spin->setValue(10);
    page.show();
    spin->lineEdit()->clear();
    QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(spin, &focusOut);
    page.hide();
    page.show();
    EXPECT_EQ(spin->text(), "");
    EXPECT_EQ(spin->Number(), 0);
}

} // namespace
