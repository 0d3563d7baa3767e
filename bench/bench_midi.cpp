// SendMidiMessage down to the MIDI service: on the recording fake, and over a private JACK
// server to a receiving port (RtMidi's JACK output queues the message for the process cycle);
// and how soon a device port that comes back under JACK gets the presses again.
#include "midi/Midi.h"
#include "midi/Outputs.h"
#include "midi/RtMidiService.h"
#include "platform/MessageBoxes.h"
#include "support/FakeMidiService.h"
#include "support/JackServer.h"
#include "support/TestApplication.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QString>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

namespace {

// Counts the boxes a failed send would show; the benchmarks report it (it should stay 0).
class TCountingBoxes : public IMessageBoxes
{
public:
    void Show(const QString&, const QString&, TBoxIcon, std::optional<QPoint>) override { ++Count; }
    int Ask(const QString&, const QString&, TBoxIcon, const QStringList&) override
    {
        ++Count;
        return -1;
    }
    QString AskSaveFileName(const QString&, const QString&, const QString&) override { return {}; }
    int Count = 0;
};

void BM_SendMidiMessage_Fake(benchmark::State& state)
{
    TFakeMidiService service({"Fake Synth"});
    TMidiSystem midi(service);
    TCountingBoxes boxes;
    bool showOutputErrors = true;
    TOutputs outputs(midi, boxes, showOutputErrors, [] { return QPoint(); });
    outputs.CreateOutputs();
    outputs.Slots()[0] = {0, true};
    outputs.OpenActiveOutputs();

    std::int64_t sent = 0;
    for (auto _ : state) {
        outputs.SendMidiMessage(1, 0x90, 0x3C, 0x64);
        if (++sent % 65536 == 0) { // keep the fake's record from growing without end
            state.PauseTiming();
            service.ClearRecords();
            state.ResumeTiming();
        }
    }
    state.counters["error_boxes"] = boxes.Count;
    outputs.CloseOutputs();
}
BENCHMARK(BM_SendMidiMessage_Fake);

void BM_SendMidiMessage_Jack(benchmark::State& state)
{
    TJackServer server;
    TJackMidiReceiver receiver;
    TRtMidiService service;
    TMidiSystem midi(service);
    TCountingBoxes boxes;
    bool showOutputErrors = true;
    TOutputs outputs(midi, boxes, showOutputErrors, [] { return QPoint(); });
    outputs.CreateOutputs();
    const int index = midi.GetMidiOutput().FindDevice(receiver.PortName(), 0);
    if (index < 0) {
        state.SkipWithError("the receiver's port is not in the device list");
        return;
    }
    outputs.Slots()[0] = {index, true};
    outputs.OpenActiveOutputs();
    if (!receiver.WaitForConnections()) {
        state.SkipWithError("the output never connected to the receiver");
        return;
    }

    // RtMidi's JACK queue holds about 2,000 short messages until the next process cycle
    // (256 frames, 5.3 ms): every 1,000 sends the clock stops while the queue drains.
    std::int64_t sent = 0;
    for (auto _ : state) {
        outputs.SendMidiMessage(1, 0x90, 0x3C, 0x64);
        if (++sent % 1000 == 0) {
            state.PauseTiming();
            receiver.WaitFor(std::size_t(sent), std::chrono::seconds(2));
            state.ResumeTiming();
        }
    }
    receiver.WaitFor(std::size_t(sent), std::chrono::seconds(2));
    state.counters["error_boxes"] = boxes.Count;
    state.counters["received"] = double(receiver.Count());
    outputs.CloseOutputs();
}
BENCHMARK(BM_SendMidiMessage_Jack)->Iterations(200000);

// The receiver goes one way (argument 0: its client quits; 1: it unregisters its port and
// registers it again; 2: the JACK server stops and another starts) and comes back under its name;
// from the moment it exists, a player presses once a millisecond until a press arrives. The time
// includes the JACK cycle (5.3 ms) that delivers it; without a server, the program looks for one
// once a second.
void BM_ReconnectAfterDeviceReturns_Jack(benchmark::State& state)
{
    using TClock = std::chrono::steady_clock;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TestApplication(); // the device notices reach the outputs through its event loop
    auto server = std::make_unique<TJackServer>();
    auto receiver = std::make_unique<TJackMidiReceiver>();
    const std::string name = receiver->PortName();
    TRtMidiService service;
    TMidiSystem midi(service);
    TCountingBoxes boxes;
    bool showOutputErrors = false;
    TOutputs outputs(midi, boxes, showOutputErrors, [] { return QPoint(); });
    outputs.CreateOutputs();
    outputs.Slots()[0] = {midi.GetMidiOutput().FindDevice(name, 0), true, name};
    outputs.OpenActiveOutputs();
    if (!receiver->WaitForConnections()) {
        state.SkipWithError("the output never connected to the receiver");
        return;
    }
    const auto until = [](auto done) {
        const auto deadline = TClock::now() + std::chrono::seconds(5);
        while (!done() && TClock::now() < deadline)
            QCoreApplication::processEvents();
        return done();
    };
    const int way = int(state.range(0));
    double presses = 0;
    std::vector<double> times;
    for (auto _ : state) {
        if (way == 1) {
            receiver->Clear();
            receiver->UnregisterPort();
        } else {
            receiver.reset();
        }
        if (way == 2)
            server.reset();
        if (!until([&] { return midi.GetMidiOutput().FindDevice(name, 0) < 0; })) {
            state.SkipWithError("the device's end was never noticed");
            break;
        }
        if (way == 2)
            server = std::make_unique<TJackServer>();
        if (way == 1)
            receiver->RegisterPort();
        else
            receiver = std::make_unique<TJackMidiReceiver>();
        const TClock::time_point back = TClock::now();
        const bool arrived = until([&] {
            outputs.SendMidiMessage(1, 0x90, 0x3C, 0x64);
            ++presses;
            return receiver->WaitFor(1, std::chrono::milliseconds(1));
        });
        if (!arrived) {
            state.SkipWithError("no press arrived after the device came back");
            break;
        }
        times.push_back(std::chrono::duration<double>(TClock::now() - back).count());
        state.SetIterationTime(times.back());
    }
    state.counters["presses"] = benchmark::Counter(presses, benchmark::Counter::kAvgIterations);
    if (!times.empty()) {
        std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
        state.counters["median_ms"] = times[times.size() / 2] * 1000;
    }
    receiver.reset();
    outputs.CloseOutputs();
}
BENCHMARK(BM_ReconnectAfterDeviceReturns_Jack)
    ->ArgName("way")
    ->DenseRange(0, 2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

} // namespace
