// Writes keyrill-widgets-sample.png into the working directory (ctest: the build directory) for a
// person to look at: the button in each of its states and the whole icon set.
#include "WidgetTestSupport.h"

#include "widgets/ImageList.h"

#include <QDir>

#include <cstdio>
#include <functional>

namespace {

class SampleSheet : public ButtonFixture
{
protected:
    QImage Sample(const std::function<void()>& setUp, qreal ratio = 1.0)
    {
        ButtonFixture::TearDown();
        ButtonFixture::SetUp();
        const TImageList& list = Icons();
        button->SetColor(MakeColor(255, 251, 240));
        button->SetColorHot(MakeColor(255, 251, 240));
        button->SetColorDown(MakeColor(255, 200, 120));
        button->SetCaption(QStringLiteral("Kick"));
        button->SetGlyph(list.Glyph(40));
        setUp();
        QImage img(QSize(97, 33) * ratio, QImage::Format_RGB32);
        img.setDevicePixelRatio(ratio);
        img.fill(ToQColor(kWindowBack));
        window->render(&img);
        return img;
    }
    static const TImageList& Icons()
    {
        static const TImageList list;
        return list;
    }
};

TEST_F(SampleSheet, WritesAPictureOfEveryStateAndTheIconSet)
{
    const TImageList& list = Icons();
    auto highlightOnPress = [this] {
        QObject::connect(button, &TAdvToolButton::MouseDown, [this] { HighlightOn(); });
    };
    auto toggle = [this, &list] {
        button->SetGroupIndex(1);
        button->SetAllowAllUp(true);
        button->SetDown(true);
        button->SetColor(MakeColor(120, 200, 255));
        button->SetColorHot(MakeColor(120, 200, 255));
        button->SetCaption(QStringLiteral("Release"));
        button->SetGlyph(list.Glyph(2));
    };
    const std::vector<std::pair<QString, std::function<void()>>> states = {
        {"idle", [] {}},
        {"hovered", [&] { Enter(); }},
        {"held (mouse)",
         [&] {
             highlightOnPress();
             Enter();
             Press();
         }},
        {"hot key, elsewhere", [&] { HighlightOn(); }},
        {"hot key, over it",
         [&] {
             Enter();
             HighlightOn();
         }},
        {"toggled on", [&] { toggle(); }},
        {"toggled, hovered",
         [&] {
             toggle();
             Enter();
         }},
        {"toggled, pressed",
         [&] {
             toggle();
             highlightOnPress();
             Enter();
             Press();
         }},
        {"toggled, hot key",
         [&] {
             toggle();
             HighlightOn();
         }},
        {"icon right", [&] { button->SetLayout(1); }},
        {"icon top",
         [&] {
             button->SetLayout(2);
             button->SetCaption("Top");
         }},
        {"icon bottom",
         [&] {
             button->SetLayout(3);
             button->SetCaption("Bottom");
         }},
        {"two lines",
         [&] {
             button->SetGlyph({});
             button->SetCaption("Long line\nab");
         }},
        {"too wide",
         [&] {
             button->SetCaption("A caption far too wide");
             button->SetGlyph({});
         }},
        {"&mnemonic",
         [&] {
             button->SetCaption("&Mute && go");
             button->SetGlyph(list.Glyph(15));
         }},
        {"icon only",
         [&] {
             button->SetCaption({});
             button->SetGlyph(list.Glyph(0));
         }},
    };

    constexpr int kScale = 2;
    constexpr int kCellW = 97 * kScale + 16, kCellH = 33 * kScale + 22;
    constexpr int kPerRow = 4;
    const int stateRows = int(states.size() + kPerRow - 1) / kPerRow;
    constexpr int kIconScale = 3, kIconCell = 16 * kIconScale + 20, kIconsPerRow = 15;
    const int iconRows = (list.Count() + kIconsPerRow - 1) / kIconsPerRow;
    const int width = std::max(kPerRow * kCellW, kIconsPerRow * kIconCell) + 16;
    const int dprTop = 16 + stateRows * kCellH;
    const int iconsTop = dprTop + 33 * 2 + 40;
    QImage sheet(width, iconsTop + iconRows * (kIconCell + 6) + 16, QImage::Format_RGB32);
    sheet.fill(QColor(0xF0, 0xF0, 0xF0));
    QPainter p(&sheet);
    QFont label(QStringLiteral("DejaVu Sans"));
    label.setPixelSize(11);
    p.setFont(label);

    for (std::size_t i = 0; i < states.size(); ++i) {
        const QImage img = Sample(states[i].second);
        const int x = 8 + int(i % kPerRow) * kCellW, y = 8 + int(i / kPerRow) * kCellH;
        p.drawImage(QRect(x, y, 97 * kScale, 33 * kScale), img); // pixels scaled up unsmoothed
        p.setPen(Qt::black);
        p.drawText(x, y + 33 * kScale + 14, QString(states[i].first).replace("&", "&&"));
    }

    // Device pixel ratio 2, drawn 1:1.
    p.drawText(8, dprTop + 4, QStringLiteral("device pixel ratio 2:"));
    QImage hiDpi = Sample([&] { Enter(); }, 2.0);
    hiDpi.setDevicePixelRatio(1.0); // show its device pixels
    p.drawImage(QPoint(8, dprTop + 10), hiDpi);
    QImage hiDpi2 = Sample([&] { button->SetCaption("Two\nlines"); }, 2.0);
    hiDpi2.setDevicePixelRatio(1.0);
    p.drawImage(QPoint(8 + 97 * 2 + 16, dprTop + 10), hiDpi2);

    for (int i = 0; i < list.Count(); ++i) {
        const int x = 8 + (i % kIconsPerRow) * kIconCell;
        const int y = iconsTop + (i / kIconsPerRow) * (kIconCell + 6);
        p.fillRect(QRect(x, y, 16 * kIconScale, 16 * kIconScale), QColor(255, 251, 240));
        p.drawImage(QRect(x, y, 16 * kIconScale, 16 * kIconScale), list.Icon(i));
        p.setPen(Qt::black);
        p.drawText(QRect(x - 8, y + 16 * kIconScale, kIconCell, 14), Qt::AlignHCenter,
                   QString::number(i));
    }
    p.end();

    const QString path = QDir::current().absoluteFilePath("keyrill-widgets-sample.png");
    ASSERT_TRUE(sheet.save(path));
    std::printf("sample picture: %s\n", qPrintable(path));
}

} // namespace
