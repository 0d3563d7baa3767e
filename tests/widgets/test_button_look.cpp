// What a button looks like in each state: pixels of an off-screen grab.
#include "WidgetTestSupport.h"

#include <QFontMetrics>

namespace {

[[maybe_unused]] auto* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

using ButtonLook = ButtonFixture;

TEST_F(ButtonLook, IdleIconOnlyButtonHasIconAt41_9InEveryLayout)
{
    button->SetGlyph(SolidGlyph());
    for (int layout = 0; layout <= 3; ++layout) {
        button->SetLayout(layout);
        EXPECT_EQ(BoundsOf(Grab(), kIconInk), QRect(41, 9, 16, 16)) << "layout " << layout;
    }
}

TEST_F(ButtonLook, HoveredIconLiftsTo40_8AndHeldIconIsBackAt41_9)
{
    button->SetGlyph(SolidGlyph());
    Enter();
    EXPECT_EQ(BoundsOf(Grab(), kIconInk).topLeft(), QPoint(40, 8));
    QObject::connect(button, &TAdvToolButton::MouseDown, [this] { HighlightOn(); });
    Press();
    EXPECT_EQ(button->State(), TAdvToolButton::TState::Down);
    EXPECT_EQ(BoundsOf(Grab(), kIconInk).topLeft(), QPoint(41, 9));
}

TEST_F(ButtonLook, IconTransparentColourIsItsBottomLeftPixel)
{
    QImage glyph(16, 16, QImage::Format_RGB32);
    glyph.fill(QColor(0, 255, 0)); // the key colour: bottom-left
    glyph.setPixelColor(5, 5, ToQColor(kIconInk));
    button->SetGlyph(glyph);
    const QImage img = Grab();
    EXPECT_EQ(BoundsOf(img, kIconInk), QRect(46, 14, 1, 1));
    EXPECT_EQ(BoundsOf(img, MakeColor(0, 255, 0)), QRect());
    EXPECT_EQ(PixelAt(img, 41, 9), kFace);
}

TEST_F(ButtonLook, FocusIsOutlinedInTheCaptionColourOnlyOnceTheKeyboardMovedIt)
{
    button->setFocusPolicy(Qt::TabFocus);
    window->show();
    QApplication::setActiveWindow(window.get());
    const QImage untouched = Grab();
    button->setFocus(Qt::ActiveWindowFocusReason);
    EXPECT_EQ(Grab(), untouched);
    button->clearFocus();
    button->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(BoundsOf(Grab(), 0), QRect(2, 2, 93, 29));
}

TEST_F(ButtonLook, IdleButtonShowsOnePixelRingOfWindowBackground)
{
    const QImage img = Grab();
    EXPECT_TRUE(EdgeIs(img, kWindowBack));
    EXPECT_EQ(PixelAt(img, 1, 1), kFace);
    EXPECT_EQ(PixelAt(img, 95, 31), kFace);
    EXPECT_EQ(BoundsOf(img, kFace), QRect(1, 1, 95, 31));
}

TEST_F(ButtonLook, HoveredButtonShowsNoFrame)
{
    button->SetColorHot(0x00FF00);
    Enter();
    const QImage img = Grab();
    EXPECT_TRUE(EdgeIs(img, kWindowBack));
    EXPECT_EQ(BoundsOf(img, 0x00FF00), QRect(1, 1, 95, 31));
}

TEST_F(ButtonLook, HeldWithMouseShowsHighlightFrameAroundDownColour)
{
    button->SetColorDown(0x00FF00);
    QObject::connect(button, &TAdvToolButton::MouseDown, [this] { HighlightOn(); });
    Enter();
    Press();
    const QImage img = Grab();
    EXPECT_TRUE(EdgeIs(img, kHighlight));
    EXPECT_EQ(BoundsOf(img, 0x00FF00), QRect(1, 1, 95, 31));
}

TEST_F(ButtonLook, HeldByHotKeyPointerElsewhereShowsFrameAroundNormalFace)
{
    HighlightOn();
    const QImage img = Grab();
    EXPECT_TRUE(EdgeIs(img, kHighlight));
    EXPECT_EQ(BoundsOf(img, kFace), QRect(1, 1, 95, 31));
}

TEST_F(ButtonLook, HeldByHotKeyPointerOverItShowsNoFrame)
{
    button->SetGlyph(SolidGlyph());
    Enter();
    HighlightOn();
    const QImage img = Grab();
    EXPECT_TRUE(EdgeIs(img, kFace));
    EXPECT_EQ(PixelAt(img, 0, 0), kFace);
    // Content area R1 (95 x 31 at 1, 1) and the hover lift.
    EXPECT_EQ(BoundsOf(img, kIconInk).topLeft(), QPoint(40, 8));
}

TEST_F(ButtonLook, ToggledOnShowsGreyFaceOnceThePointerHasLeft)
{
    button->SetGroupIndex(1);
    button->SetAllowAllUp(true);
    button->SetColorHot(0x00FF00);
    Enter();
    Press();
    Release();
    ASSERT_TRUE(button->Down());
    EXPECT_EQ(BoundsOf(Grab(), 0x00FF00), QRect(1, 1, 95, 31)); // hovered: ColorHot
    Leave();
    const QImage img = Grab();
    EXPECT_TRUE(EdgeIs(img, kWindowBack));
    EXPECT_EQ(BoundsOf(img, kGrey), QRect(1, 1, 95, 31));
}

TEST_F(ButtonLook, ToggledOnHeldByHotKeyShowsFramedGreyOverWholeButton)
{
    button->SetGroupIndex(1);
    button->SetAllowAllUp(true);
    button->SetDown(true);
    button->SetGlyph(SolidGlyph());
    HighlightOn();
    const QImage img = Grab();
    EXPECT_TRUE(EdgeIs(img, kHighlight));
    EXPECT_EQ(PixelAt(img, 1, 1), kGrey);
    // Content area R0: 97 x 33.
    EXPECT_EQ(BoundsOf(img, kIconInk).topLeft(), QPoint(41, 9));
}

TEST_F(ButtonLook, NoneColourDrawsNothing)
{
    button->SetColor(kColorNone);
    const QImage img = Grab();
    EXPECT_EQ(BoundsOf(img, kWindowBack), QRect(0, 0, 97, 33));
}

TEST_F(ButtonLook, TwoLineCaptionIsCentredOnOneVerticalAxis)
{
    button->SetFontColor(0);
    button->SetCaption(QStringLiteral("Long caption\nab"));
    const QRect box = button->CaptionRect();
    const QFontMetrics fm(button->font());
    EXPECT_EQ(box.width(), fm.horizontalAdvance(QStringLiteral("Long caption")));
    EXPECT_EQ(box.height(), 2 * fm.height());
    const QImage img = Grab();
    const QRect first = BoundsOf(img.copy(0, box.top(), 97, fm.height()), 0);
    const QRect second = BoundsOf(img.copy(0, box.top() + fm.height(), 97, fm.height()), 0);
    ASSERT_TRUE(first.isValid() && second.isValid());
    EXPECT_GT(first.width(), 2 * second.width());
    const double axis1 = first.left() + first.width() / 2.0;
    const double axis2 = second.left() + second.width() / 2.0;
    EXPECT_NEAR(axis1, axis2, 1.5);
    EXPECT_NEAR(axis1, 48.5, 2.0);
}

TEST_F(ButtonLook, CaptionIsMeasuredAgainAfterAFontOrCaptionChange)
{
    button->SetCaption(QStringLiteral("Wide"));
    const QRect before = button->CaptionRect(); // measured, and kept for the next paint
    QFont big = button->font();
    big.setPixelSize(40);
    button->setFont(big);
    EXPECT_EQ(button->CaptionRect().width(), QFontMetrics(big).horizontalAdvance("Wide"));
    EXPECT_GT(button->CaptionRect().height(), before.height());
    button->SetCaption(QStringLiteral("Wide\nWide"));
    EXPECT_EQ(button->CaptionRect().height(), 2 * QFontMetrics(big).height());
}

TEST_F(ButtonLook, CaptionWiderThanButtonIsCentredAndCutOffOnBothSides)
{
    button->SetFontColor(0);
    // Full blocks: the ink covers the whole caption box.
    button->SetCaption(QString(16, QChar(0x2588)));
    const QRect box = button->CaptionRect();
    ASSERT_GT(box.width(), 97 + 20);
    EXPECT_LE(std::abs(box.left() + box.right() - 96), 1);          // centred on the button
    EXPECT_EQ(box.height(), QFontMetrics(button->font()).height()); // one line: not wrapped
    const QImage img = Grab();
    const QRect ink = BoundsOf(img, 0);
    EXPECT_EQ(ink.left(), 0);
    EXPECT_EQ(ink.right(), 96);
    EXPECT_LE(ink.height(), box.height());
    EXPECT_EQ(PixelAt(img, 48, 0), kWindowBack); // above the line: nothing wraps there
}

TEST_F(ButtonLook, CaptionAndIconStandByLayout)
{
    button->SetFontColor(0);
    button->SetCaption(QStringLiteral("Go"));
    button->SetGlyph(SolidGlyph());
    const int tw = QFontMetrics(button->font()).horizontalAdvance(QStringLiteral("Go"));
    const int th = QFontMetrics(button->font()).height();
    const int m = (93 - (16 + 4 + tw) + 1) / 2;

    button->SetLayout(TAdvToolButton::blGlyphLeft);
    EXPECT_EQ(button->GlyphRect().topLeft(), QPoint(2 + m, 9));
    EXPECT_EQ(button->CaptionRect().left(), 2 + m + 20);
    button->SetLayout(TAdvToolButton::blGlyphRight);
    EXPECT_EQ(button->GlyphRect().left(), 2 + 93 - m - 16);
    EXPECT_EQ(button->CaptionRect().left(), 2 + 93 - m - 16 - 4 - tw);
    const int mv = (29 - (16 + 4 + th) + 1) / 2;
    button->SetLayout(TAdvToolButton::blGlyphTop);
    EXPECT_EQ(button->GlyphRect().topLeft(), QPoint(41, 2 + mv));
    EXPECT_EQ(button->CaptionRect().top(), 2 + mv + 20);
    button->SetLayout(TAdvToolButton::blGlyphBottom);
    EXPECT_EQ(button->GlyphRect().top(), 2 + 29 - mv - 16);
    EXPECT_EQ(button->CaptionRect().top(), 2 + 29 - mv - 16 - 4 - th);
    button->SetLayout(7); // undefined: drawn as icon left
    EXPECT_EQ(button->GlyphRect().topLeft(), QPoint(2 + m, 9));
    // The icon is drawn where the layout puts it.
    button->SetLayout(TAdvToolButton::blGlyphLeft);
    EXPECT_EQ(BoundsOf(Grab(), kIconInk), button->GlyphRect());
}

TEST_F(ButtonLook, CaptionWithoutIconIsCentredWithoutSpacing)
{
    button->SetCaption(QStringLiteral("Go"));
    const int tw = QFontMetrics(button->font()).horizontalAdvance(QStringLiteral("Go"));
    for (int layout = 0; layout <= 3; ++layout) {
        button->SetLayout(layout);
        EXPECT_EQ(button->CaptionRect().left(), 2 + (93 - tw + 1) / 2) << layout;
    }
}

TEST_F(ButtonLook, AmpersandUnderlinesNextCharacterAndTwoDrawOne)
{
    button->SetFontColor(0);
    const QFontMetrics fm(button->font());
    button->SetCaption(QStringLiteral("&&"));
    EXPECT_EQ(button->CaptionRect().width(), fm.horizontalAdvance(QLatin1Char('&')));

    button->SetCaption(QStringLiteral("x"));
    const QImage plain = Grab();
    button->SetCaption(QStringLiteral("&x"));
    EXPECT_EQ(button->CaptionRect().width(), fm.horizontalAdvance(QLatin1Char('x')));
    const QImage underlined = Grab();
    const QRect plainInk = BoundsOf(plain, 0);
    const QRect underlinedInk = BoundsOf(underlined, 0);
    // The same letter, with a line below it and no ampersand beside it.
    EXPECT_EQ(underlinedInk.top(), plainInk.top());
    EXPECT_GT(underlinedInk.bottom(), plainInk.bottom());
    EXPECT_LE(underlinedInk.width(), plainInk.width() + 2);
}

TEST_F(ButtonLook, DrawsCrisplyAtDevicePixelRatioTwo)
{
    button->SetGlyph(SolidGlyph());
    QImage img(97 * 2, 33 * 2, QImage::Format_RGB32);
    img.setDevicePixelRatio(2.0);
    img.fill(ToQColor(kWindowBack));
    button->render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    img.setDevicePixelRatio(1.0);
    EXPECT_EQ(BoundsOf(img, kFace).united(BoundsOf(img, kIconInk)), QRect(2, 2, 190, 62));
    EXPECT_EQ(PixelAt(img, 1, 1), kWindowBack);
    const QRect icon = BoundsOf(img, kIconInk);
    EXPECT_EQ(icon.topLeft(), QPoint(82, 18));
    EXPECT_GE(icon.width(), 30);
}

} // namespace
