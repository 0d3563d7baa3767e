#include "dialogs/FontList.h"
#include "support/TestApplication.h"

#include <QComboBox>
#include <QFontDatabase>

#include <gtest/gtest.h>

namespace {

TEST(FontList, LeavesOutDefaultAndVerticalNamesAndSortsAlphabetically)
{
    EXPECT_EQ(ListedFontNames(
                  {"Verdana", "@MS Gothic", "Default", "arial", "Courier", "Arial", "MS Gothic"}),
              (QStringList{"Arial", "arial", "Courier", "MS Gothic", "Verdana"}));
}

TEST(FontList, EveryInstalledFontDrawnInItsOwnTypefaceAfterAMarkOfItsKind)
{
    TestApplication();
    QComboBox list;
    FillFontList(&list);
    const QStringList installed = ListedFontNames(QFontDatabase::families());
    ASSERT_FALSE(installed.isEmpty()); // the test machine has fonts (fonts-dejavu-core)
    ASSERT_EQ(list.count(), installed.size());
    EXPECT_EQ(list.currentIndex(), -1);
    for (int i = 0; i < list.count(); ++i) {
        EXPECT_EQ(list.itemText(i), installed[i]);
        const QFont font = list.itemData(i, Qt::FontRole).value<QFont>();
        EXPECT_EQ(font.family(), installed[i]);
        EXPECT_EQ(font.pointSize(), 12);
        const QImage mark = list.itemIcon(i).pixmap(16, 16).toImage();
        const QImage expected = FontKindMark(FontKind(installed[i])).pixmap(16, 16).toImage();
        EXPECT_FALSE(mark.isNull());
        EXPECT_EQ(mark, expected) << installed[i].toStdString();
    }
}

TEST(FontList, KindsHaveMarksThatTellThemApart)
{
    TestApplication();
    const QImage outline = FontKindMark(TFontKind::Outline).pixmap(16, 16).toImage();
    const QImage fixed = FontKindMark(TFontKind::FixedPitch).pixmap(16, 16).toImage();
    const QImage bitmap = FontKindMark(TFontKind::Bitmap).pixmap(16, 16).toImage();
    EXPECT_NE(outline, fixed);
    EXPECT_NE(outline, bitmap);
    EXPECT_NE(fixed, bitmap);
}

TEST(FontList, SelectingMatchesLetterCaseAsideAddsAnUnknownNameAndEmptySelectsNothing)
{
    TestApplication();
    QComboBox list;
    list.addItems({"Alpha Sans", "Beta Serif"});
    SelectFont(&list, "beta serif");
    EXPECT_EQ(list.currentIndex(), 1);
    SelectFont(&list, "Gamma Mono");
    EXPECT_EQ(list.count(), 3);
    EXPECT_EQ(SelectedFont(&list), "Gamma Mono");
    SelectFont(&list, "");
    EXPECT_EQ(list.currentIndex(), -1);
    EXPECT_EQ(SelectedFont(&list), "");
}

} // namespace
