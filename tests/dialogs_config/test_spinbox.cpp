#include "dialogs/BoundedSpinBox.h"
#include "support/TestApplication.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct TypedCase
{
    const char* Typed;
    bool EmptyAllowed;
    const char* TextAfterFocusOut;
    int Number;
};

class BoundedSpinBoxTyping : public testing::TestWithParam<TypedCase>
{
};

// What stands in the field once the user has typed and left it.
TEST_P(BoundedSpinBoxTyping, TypedValueIsPulledIntoRangeWhenTheFieldLosesFocus)
{
    TestApplication();
    const TypedCase& c = GetParam();
    TBoundedSpinBox spin;
    spin.SetEmptyAllowed(c.EmptyAllowed);
    if (c.EmptyAllowed) { // the text size field: 8 to 48, step 2
        spin.setRange(8, 48);
        spin.setSingleStep(2);
        spin.setValue(12);
    } else { // rows and columns: 1 to 20
        spin.setRange(1, 20);
        spin.setValue(5);
    }
    spin.lineEdit()->clear();
    QTest::keyClicks(spin.lineEdit(), QString::fromLatin1(c.Typed));
    EXPECT_EQ(spin.Number(), c.Number) << "before leaving the field";
    QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&spin, &focusOut);
    EXPECT_EQ(spin.text(), QString::fromLatin1(c.TextAfterFocusOut));
    EXPECT_EQ(spin.Number(), c.Number);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, BoundedSpinBoxTyping,
    testing::Values(TypedCase{"25", false, "20", 20}, TypedCase{"0", false, "1", 1},
                    TypedCase{"", false, "1", 1}, TypedCase{"7", false, "7", 7},
                    TypedCase{"99999999999", false, "20", 20}, TypedCase{"5", true, "8", 8},
                    TypedCase{"99", true, "48", 48}, TypedCase{"13", true, "13", 13},
                    TypedCase{"", true, "", 0}));

TEST(BoundedSpinBox, RefusesWhatIsNoNumber)
{
    TestApplication();
    TBoundedSpinBox spin;
    spin.setRange(1, 20);
    spin.setValue(4);
    QTest::keyClicks(spin.lineEdit(), "x-");
    EXPECT_EQ(spin.text(), "4");
}

TEST(BoundedSpinBox, StepsBySingleStepWithinTheBounds)
{
    TestApplication();
    TBoundedSpinBox spin;
    spin.setRange(8, 48);
    spin.setSingleStep(2);
    spin.setValue(9);
    spin.stepUp();
    EXPECT_EQ(spin.value(), 11);
    spin.setValue(47);
    spin.stepUp();
    EXPECT_EQ(spin.value(), 48);
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
