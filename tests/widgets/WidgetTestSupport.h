#pragma once

#include "widgets/QtColour.h"
#include "widgets/TAdvToolButton.h"

#include <QApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

#include <gtest/gtest.h>

#include <memory>

// One QApplication for the whole test program (gtest_main has no Qt of its own).
class QtApplicationEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "test_widgets";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<QApplication> m_app;
};

inline constexpr TColor kWindowBack = 0x503020; // the window's background: red 0x20, blue 0x50
inline constexpr TColor kFace = 0xF0FBFF;       // cream
inline constexpr TColor kHighlight = 0x0000FF;  // red
inline constexpr TColor kIconInk = 0xC04000;    // the test glyph's colour
inline constexpr TColor kGrey = 8421504;

inline TColor PixelAt(const QImage& img, int x, int y)
{
    return FromQColor(img.pixelColor(x, y));
}

// A 16 x 16 test glyph: one colour all over, except a white bottom-left pixel (its transparent
// colour).
inline QImage SolidGlyph(TColor ink = kIconInk)
{
    QImage glyph(16, 16, QImage::Format_RGB32);
    glyph.fill(ToQColor(ink));
    glyph.setPixelColor(0, 15, Qt::white);
    return glyph;
}

// The bounding box of the pixels of one colour.
inline QRect BoundsOf(const QImage& img, TColor c)
{
    QRect r;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (PixelAt(img, x, y) == c)
                r |= QRect(x, y, 1, 1);
    return r;
}

// A window of a known background colour holding one 97 x 33 button at its top-left corner.
class ButtonFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window = std::make_unique<QWidget>();
        QPalette pal = window->palette();
        pal.setColor(QPalette::Window, ToQColor(kWindowBack));
        window->setPalette(pal);
        window->setAutoFillBackground(true);
        window->resize(97, 33);
        button = new TQelSpeedButton(window.get());
        button->setGeometry(0, 0, 97, 33);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(12);
        font.setBold(true);
        button->setFont(font);
        button->SetColor(kFace);
        button->SetColorHot(kFace);
        button->SetColorDown(kFace);
    }

    QImage Grab() { return window->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    void Enter()
    {
        QEnterEvent e(QPointF(10, 10), QPointF(10, 10), QPointF(10, 10));
        QCoreApplication::sendEvent(button, &e);
    }
    void Leave()
    {
        QEvent e(QEvent::Leave);
        QCoreApplication::sendEvent(button, &e);
    }
    void Mouse(QEvent::Type type, Qt::MouseButton which, QPoint pos = QPoint(10, 10))
    {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : which;
        QMouseEvent e(type, QPointF(pos), QPointF(pos), which, held, Qt::NoModifier);
        QCoreApplication::sendEvent(button, &e);
    }
    void Press(QPoint pos = QPoint(10, 10))
    {
        Mouse(QEvent::MouseButtonPress, Qt::LeftButton, pos);
    }
    void Release(QPoint pos = QPoint(10, 10))
    {
        Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, pos);
    }
    void MoveTo(QPoint pos)
    {
        QMouseEvent e(QEvent::MouseMove, QPointF(pos), QPointF(pos), Qt::NoButton, Qt::LeftButton,
                      Qt::NoModifier);
        QCoreApplication::sendEvent(button, &e);
    }
    // What the main window's handlers do when a button goes down or up.
    void HighlightOn()
    {
        button->SetBorderColor(kHighlight);
        button->SetBorderDownColor(kHighlight);
    }
    void HighlightOff()
    {
        button->SetBorderColor(kColorNone);
        button->SetBorderDownColor(kColorNone);
    }

    std::unique_ptr<QWidget> window;
    TAdvToolButton* button = nullptr;
};

// The edge of the 97 x 33 button all in one colour.
inline bool EdgeIs(const QImage& img, TColor c)
{
    for (int x = 0; x < img.width(); ++x)
        if (PixelAt(img, x, 0) != c || PixelAt(img, x, img.height() - 1) != c)
            return false;
    for (int y = 0; y < img.height(); ++y)
        if (PixelAt(img, 0, y) != c || PixelAt(img, img.width() - 1, y) != c)
            return false;
    return true;
}
