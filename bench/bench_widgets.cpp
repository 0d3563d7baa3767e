// Painting cost of the grid button: one 97 x 33 button, and a full 20 x 20 grid, into an image.
#include "widgets/ImageList.h"
#include "widgets/TAdvToolButton.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

void EnsureApplication()
{
    if (QApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "keyrill_bench";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
}

void SetUpButton(TAdvToolButton& b, const TImageList& icons, int n)
{
    b.resize(97, 33);
    b.SetColor(0xF0FBFF);
    b.SetColorHot(0xF0FBFF);
    b.SetColorDown(0xC0E0FF);
    b.SetCaption(QStringLiteral("Button %1\nline two").arg(n));
    b.SetGlyph(icons.Glyph(n % icons.Count()));
}

void BM_PaintOneButton(benchmark::State& state)
{
    EnsureApplication();
    const TImageList icons;
    TQelSpeedButton b;
    SetUpButton(b, icons, 7);
    QImage img(97, 33, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        b.render(&img);
        benchmark::DoNotOptimize(img.constBits());
    }
}
BENCHMARK(BM_PaintOneButton)->Unit(benchmark::kMicrosecond);

void BM_Paint400Buttons(benchmark::State& state)
{
    EnsureApplication();
    const TImageList icons;
    QWidget grid;
    grid.resize(20 * 97, 20 * 33);
    for (int i = 0; i < 400; ++i) {
        auto* b = new TQelSpeedButton(&grid);
        SetUpButton(*b, icons, i);
        b->move((i / 20) * 97, (i % 20) * 33);
    }
    QImage img(grid.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        grid.render(&img);
        benchmark::DoNotOptimize(img.constBits());
    }
}
BENCHMARK(BM_Paint400Buttons)->Unit(benchmark::kMicrosecond);

} // namespace
