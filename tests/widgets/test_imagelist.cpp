// The built-in icon set and the program icon.
#include "widgets/ImageList.h"

#include <QSet>

#include <gtest/gtest.h>

namespace {

TEST(ImageList, Holds135IconsOf16By16WithUniqueNames)
{
    const TImageList list;
    ASSERT_EQ(list.Count(), 135);
    QSet<QString> names;
    for (int i = 0; i < list.Count(); ++i) {
        EXPECT_EQ(list.Icon(i).size(), QSize(16, 16)) << i;
        EXPECT_FALSE(list.Name(i).isEmpty()) << i;
        names.insert(list.Name(i));
    }
    EXPECT_EQ(names.size(), 135);
}

TEST(ImageList, OrderIsTheReleasedOne)
{
    // Settings files store these indices: the order never changes.
    const TImageList list;
    EXPECT_EQ(list.Name(0), QStringLiteral("play"));
    EXPECT_EQ(list.Name(2), QStringLiteral("stop"));
    EXPECT_EQ(list.Name(3), QStringLiteral("record"));
    EXPECT_EQ(list.Name(99), QStringLiteral("digit_0"));
    EXPECT_EQ(list.Name(108), QStringLiteral("digit_9"));
    EXPECT_EQ(list.Name(109), QStringLiteral("letter_a"));
    EXPECT_EQ(list.Name(134), QStringLiteral("letter_z"));
}

TEST(ImageList, OutsideIndicesGiveNoIcon)
{
    const TImageList list;
    EXPECT_TRUE(list.Icon(-1).isNull());
    EXPECT_TRUE(list.Icon(135).isNull());
    EXPECT_TRUE(list.Glyph(-1).isNull());
    EXPECT_TRUE(list.Glyph(135).isNull());
    EXPECT_TRUE(list.Name(135).isEmpty());
}

TEST(ImageList, EveryIconHasOneBitAlphaATransparentBottomLeftAndNoWhite)
{
    const TImageList list;
    for (int i = 0; i < list.Count(); ++i) {
        const QImage icon = list.Icon(i).convertToFormat(QImage::Format_ARGB32);
        EXPECT_EQ(qAlpha(icon.pixel(0, 15)), 0) << list.Name(i).toStdString();
        int opaque = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const QRgb px = icon.pixel(x, y);
                EXPECT_TRUE(qAlpha(px) == 0 || qAlpha(px) == 255);
                if (qAlpha(px) == 255) {
                    ++opaque;
                    EXPECT_NE(px | 0xFF000000, 0xFFFFFFFFu) << list.Name(i).toStdString();
                }
            }
        EXPECT_GT(opaque, 12) << list.Name(i).toStdString();
    }
}

TEST(ImageList, GlyphIsTheIconOnWhiteWithWhiteBottomLeft)
{
    const TImageList list;
    for (int i = 0; i < list.Count(); ++i) {
        const QImage glyph = list.Glyph(i);
        ASSERT_EQ(glyph.size(), QSize(16, 16));
        EXPECT_EQ(glyph.pixel(0, 15) | 0xFF000000, 0xFFFFFFFFu) << list.Name(i).toStdString();
        const QImage icon = list.Icon(i).convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                if (qAlpha(icon.pixel(x, y)) == 255) {
                    EXPECT_EQ(glyph.pixel(x, y) | 0xFF000000, icon.pixel(x, y));
                }
    }
}

TEST(ProgramIcon, HasSeveralSizes)
{
    const QIcon icon = KeyrillIcon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_GE(icon.availableSizes().size(), 3);
    EXPECT_FALSE(icon.pixmap(64, 64).isNull());
}

} // namespace
