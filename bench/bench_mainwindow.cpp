// The main window's hot paths: a press reaching the MIDI service, the grid layout, the face
// refresh and the first paint of a full 20 x 20 window.
#include "mainwindow/main.h"
#include "midi/Midi.h"
#include "support/FakeMessageBoxes.h"
#include "support/FakeMidiService.h"
#include "support/TestApplication.h"
#include "widgets/TAdvToolButton.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>

namespace {

using TClock = std::chrono::steady_clock;

// A shown 20 x 20 window whose every button sends Note On on an active output 1.
struct TFullWindow
{
    TFullWindow()
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        TestApplication();
        QByteArray text = "[General]\nButton Rows=20\nButton Cols=20\n"
                          "[Windows]\nMain Width=1000\nMain Height=800\n"
                          "[Output 1]\nMIDI Device=0\nActive=1\n";
        for (int n = 1; n <= 400; ++n)
            text += QStringLiteral("[Button %1]\nMessage=1\nNote=%2\nVelocity=100\n")
                        .arg(n)
                        .arg(n % 128)
                        .toUtf8();
        QFile file(dir.filePath("bench.ini"));
        file.open(QIODevice::WriteOnly);
        file.write(text);
        file.close();
        window = std::make_unique<TfmMain>(
            TPlatform{midi, boxes, {file.fileName()}, dir.filePath("keyrill"), QString()});
    }

    QTemporaryDir dir;
    TFakeMidiService service{{"Bench Synth"}};
    TMidiSystem midi{service};
    TFakeMessageBoxes boxes;
    std::unique_ptr<TfmMain> window;
};

double Percentile(std::vector<double> samples, double p)
{
    std::sort(samples.begin(), samples.end());
    return samples[std::size_t(p * double(samples.size() - 1))];
}

void BM_PressToMidi(benchmark::State& state)
{
    TFullWindow full;
    full.window->show();
    if (!QTest::qWaitForWindowExposed(full.window.get()))
        state.SkipWithError("the window was never shown");
    TQelSpeedButton* button = full.window->findChild<TQelSpeedButton*>("BtTx210");
    TClock::time_point pressed;
    TClock::time_point handedOver;
    full.service.OnCall = [&](const TFakeMidiService::TCall&) { handedOver = TClock::now(); };
    std::vector<double> micros;
    for (auto _ : state) {
        pressed = TClock::now();
        QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
        micros.push_back(std::chrono::duration<double, std::micro>(handedOver - pressed).count());
        state.PauseTiming();
        if (full.service.Sent().size() != 1) {
            state.SkipWithError("the press sent no message");
            break;
        }
        QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));
        full.service.ClearRecords();
        state.ResumeTiming();
    }
    state.counters["median_us"] = Percentile(micros, 0.5);
    state.counters["p99_us"] = Percentile(micros, 0.99);
}
BENCHMARK(BM_PressToMidi)->Iterations(2000);

void BM_LayoutOf400Buttons(benchmark::State& state)
{
    TFullWindow full;
    for (auto _ : state)
        full.window->actResizeButtonsExecute();
}
BENCHMARK(BM_LayoutOf400Buttons)->Unit(benchmark::kMicrosecond);

void BM_RefreshOf400Buttons(benchmark::State& state)
{
    TFullWindow full;
    for (auto _ : state)
        full.window->RefreshButtons();
}
BENCHMARK(BM_RefreshOf400Buttons)->Unit(benchmark::kMicrosecond);

void BM_FirstPaintOf20x20Window(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        TFullWindow full;
        QImage image(full.window->size(), QImage::Format_ARGB32_Premultiplied);
        state.ResumeTiming();
        full.window->render(&image);
        benchmark::DoNotOptimize(image.bits());
    }
}
BENCHMARK(BM_FirstPaintOf20x20Window)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace
