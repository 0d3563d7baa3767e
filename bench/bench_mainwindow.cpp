// The main window's hot paths: a press reaching the MIDI service, also while a thousand messages
// a second light the buttons, the grid layout, the face refresh and the first paint of a full
// 20 x 20 window.
#include "FullWindow.h"
#include "mainwindow/main.h"
#include "midi/Midi.h"
#include "support/FakeMessageBoxes.h"
#include "support/FakeMidiService.h"
#include "support/TestApplication.h"
#include "widgets/TAdvToolButton.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPointingDevice>
#include <qpa/qwindowsysteminterface.h>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace {

using TClock = std::chrono::steady_clock;


// From the press to the last message handed over: the side's own and `more`, sent at once.
void PressToMidi(benchmark::State& state, const char* more, std::size_t messages)
{
    TFullWindow full(0, more);
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
        if (full.service.Sent().size() != messages) {
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
void BM_PressToMidi(benchmark::State& state)
{
    PressToMidi(state, nullptr, 1);
}
BENCHMARK(BM_PressToMidi)->Iterations(2000);

// The same button with ten more messages: a bank select, a program change, a SysEx, notes.
void BM_PressToMidiTenItemList(benchmark::State& state)
{
    PressToMidi(state,
                "B0 00 01; B0 20 00; C0 05; F0 7F 01 02 01 01 31 2E 35 00 32 F7; B0 07 64; "
                "B0 0A 40; 90 40 64; 90 43 64; FA; B0 40 7F",
                11);
}
BENCHMARK(BM_PressToMidiTenItemList)->Iterations(2000);

// Ten fingers on the 20 x 20 grid, each going down on a button of its own while the others hold
// theirs, then lifting one by one: from a finger's touch event reaching the window to its message
// handed to the service (the platform's part before, and the painting after, left out).
void BM_TenFingersPressAndRelease(benchmark::State& state)
{
    TFullWindow full(1);
    full.window->show();
    if (!QTest::qWaitForWindowExposed(full.window.get()))
        state.SkipWithError("the window was never shown");
    QPointingDevice* screen = QTest::createTouchDevice();
    std::vector<QPointF> at;
    for (int finger = 0; finger < 10; ++finger)
        at.push_back(full.window->GridButtons()[std::size_t(finger * 41)]->geometry().center());
    TClock::time_point handedOver;
    full.service.OnCall = [&](const TFakeMidiService::TCall&) { handedOver = TClock::now(); };
    std::vector<double> micros;
    // One event carries every finger down: the one that changes, the others still; it goes
    // through Qt's own delivery, as the platform's events do, without QTest's pause.
    QWindow* handle = full.window->windowHandle();
    const auto touch = [&](int changed, bool down) {
        QList<QWindowSystemInterface::TouchPoint> points;
        for (int finger = 0; finger < 10; ++finger) {
            const bool held = down ? finger < changed : finger > changed;
            if (finger != changed && !held)
                continue;
            QWindowSystemInterface::TouchPoint point;
            point.id = finger;
            point.state = finger != changed ? QEventPoint::Stationary
                          : down            ? QEventPoint::Pressed
                                            : QEventPoint::Released;
            point.area = QRectF(full.window->mapToGlobal(at[std::size_t(finger)]), QSizeF(2, 2));
            points.append(point);
        }
        const TClock::time_point start = TClock::now();
        QWindowSystemInterface::handleTouchEvent<QWindowSystemInterface::SynchronousDelivery>(
            handle, screen, points);
        micros.push_back(std::chrono::duration<double, std::micro>(handedOver - start).count());
    };
    for (auto _ : state) {
        for (int finger = 0; finger < 10; ++finger)
            touch(finger, true);
        for (int finger = 0; finger < 10; ++finger)
            touch(finger, false);
        state.PauseTiming();
        if (full.service.Sent().size() != 20) {
            state.SkipWithError("ten fingers did not send ten presses and ten releases");
            break;
        }
        full.service.ClearRecords();
        QCoreApplication::processEvents(); // the frames drawn
        state.ResumeTiming();
    }
    state.counters["median_us"] = Percentile(micros, 0.5);
    state.counters["p99_us"] = Percentile(micros, 0.99);
}
BENCHMARK(BM_TenFingersPressAndRelease)->Iterations(500);

// Escape with ten fingers holding notes: from the key reaching the window to the last All Sound
// Off handed to the service (ten Note Offs, then two controllers on each of 16 channels).
void BM_PanicWithTenNotesHeld(benchmark::State& state)
{
    TFullWindow full(1);
    full.window->show();
    if (!QTest::qWaitForWindowExposed(full.window.get()))
        state.SkipWithError("the window was never shown");
    TClock::time_point handedOver;
    full.service.OnCall = [&](const TFakeMidiService::TCall&) { handedOver = TClock::now(); };
    std::vector<double> micros;
    for (auto _ : state) {
        state.PauseTiming();
        for (int finger = 0; finger < 10; ++finger) { // the last round's lift sends nothing
            full.window->Player().Release(TPressSource::Touch(finger));
            full.window->Player().Press(1 + finger * 41, TPressSource::Touch(finger));
        }
        full.service.ClearRecords();
        state.ResumeTiming();
        const TClock::time_point pressed = TClock::now();
        QTest::keyClick(full.window.get(), Qt::Key_Escape);
        micros.push_back(std::chrono::duration<double, std::micro>(handedOver - pressed).count());
        if (full.service.Sent().size() != 10 + 32) {
            state.SkipWithError("the panic did not send ten Note Offs and 32 controllers");
            break;
        }
    }
    state.counters["median_us"] = Percentile(micros, 0.5);
    state.counters["p99_us"] = Percentile(micros, 0.99);
}
BENCHMARK(BM_PanicWithTenNotesHeld)->Iterations(500);

// A desk sends a thousand messages a second for ten seconds, each lighting or putting out one of
// the 400 buttons, from a thread of its own as the MIDI system would; meanwhile a press is timed
// every 20 ms, as it is for two seconds before without the messages. Figures: the press latency
// with and without them, and the user-interface thread's time spent taking the messages and
// lighting the buttons (per second of the run), and its wake-ups for them.
void BM_PressUnderFeedbackLoad(benchmark::State& state)
{
    TFullWindow full(1);
    full.window->show();
    if (!QTest::qWaitForWindowExposed(full.window.get()) || !full.window->Input().IsOpen())
        state.SkipWithError("the window was never shown, or the input not opened");
    TQelSpeedButton* button = full.window->findChild<TQelSpeedButton*>("BtTx210");
    TClock::time_point handedOver;
    full.service.OnCall = [&](const TFakeMidiService::TCall&) { handedOver = TClock::now(); };
    // Presses every 20 ms for `duration`: their latencies, in microseconds.
    const auto presses = [&](std::chrono::seconds duration) {
        std::vector<double> micros;
        for (const auto end = TClock::now() + duration; TClock::now() < end;) {
            const TClock::time_point pressed = TClock::now();
            QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
            micros.push_back(
                std::chrono::duration<double, std::micro>(handedOver - pressed).count());
            QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));
            if (full.service.Sent().size() != 2)
                state.SkipWithError("a press and its release did not send two messages");
            full.service.ClearRecords();
            QTest::qWait(20); // the event loop takes the messages and paints meanwhile
        }
        return micros;
    };
    std::atomic<bool> stop{false};
    std::atomic<std::uint64_t> injected{0};
    for (auto _ : state) {
        const std::vector<double> idle = presses(std::chrono::seconds(2));
        const auto started = TClock::now();
        std::thread desk([&] {
            auto next = TClock::now();
            for (int i = 0; !stop.load(); ++i, ++injected) {
                const int n = (i / 2) % 400 + 1;
                const std::uint8_t kind = i % 2 == 0 ? 0x90 : 0x80;
                full.service.Inject(std::uint8_t(kind | n / 128), std::uint8_t(n % 128), 100);
                next += std::chrono::milliseconds(1);
                std::this_thread::sleep_until(next);
            }
        });
        const std::vector<double> loaded = presses(std::chrono::seconds(10));
        stop = true;
        desk.join();
        QTest::qWait(50);
        const TInputQueue& queue = full.window->Input().Queue();
        const double seconds = std::chrono::duration<double>(TClock::now() - started).count();
        state.counters["idle_press_median_us"] = Percentile(idle, 0.5);
        state.counters["idle_press_p99_us"] = Percentile(idle, 0.99);
        state.counters["press_median_us"] = Percentile(loaded, 0.5);
        state.counters["press_p99_us"] = Percentile(loaded, 0.99);
        state.counters["messages_per_s"] = double(queue.Delivered()) / seconds;
        state.counters["feedback_ms_per_s"] =
            std::chrono::duration<double, std::milli>(queue.Busy()).count() / seconds;
        state.counters["wakeups_per_s"] = double(queue.Wakeups()) / seconds;
        state.counters["lost"] = double(injected.load() - queue.Delivered());
    }
}
BENCHMARK(BM_PressUnderFeedbackLoad)->Iterations(1)->Unit(benchmark::kSecond);

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
