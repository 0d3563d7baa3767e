// The remote over the loopback: a finger's frame from a client on a thread of its own to the
// message handed to the MIDI service, alone and beside fifteen other clients pressing 20 times a
// second each, with the local mouse press timed meanwhile.
#include "FullWindow.h"
#include "mainwindow/main.h"
#include "midi/Midi.h"
#include "remote/RemoteServer.h"
#include "support/FakeMessageBoxes.h"
#include "support/FakeMidiService.h"
#include "support/TestApplication.h"
#include "widgets/TAdvToolButton.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QWebSocket>

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>

namespace {

using TClock = std::chrono::steady_clock;
const QString kToken = QStringLiteral("benchbenchbenchbenchbenchbench00");

// Clients living on a thread of their own, as a phone's browser is another computer.
class TClients : public QObject
{
public:
    void Open(quint16 port, int count)
    {
        for (int i = 0; i < count; ++i) {
            auto* socket = new QWebSocket(QStringLiteral("http://127.0.0.1:%1").arg(port),
                                          QWebSocketProtocol::VersionLatest, this);
            socket->open(QUrl(QStringLiteral("ws://127.0.0.1:%1/ws?token=%2").arg(port).arg(kToken)));
            m_sockets.push_back(socket);
        }
    }
    bool Open() const
    {
        return std::all_of(m_sockets.begin(), m_sockets.end(), [](QWebSocket* s) {
            return s->state() == QAbstractSocket::ConnectedState;
        });
    }
    void Send(int client, const QString& frame) { m_sockets[std::size_t(client)]->sendTextMessage(frame); }

private:
    std::vector<QWebSocket*> m_sockets;
};

struct TClientThread
{
    explicit TClientThread(quint16 port, int count)
    {
        clients.moveToThread(&thread);
        thread.start();
        QMetaObject::invokeMethod(&clients, [=, this] { clients.Open(port, count); });
        opened = QTest::qWaitFor(
            [this] {
                bool open = false;
                QMetaObject::invokeMethod(&clients, [&] { open = clients.Open(); },
                                          Qt::BlockingQueuedConnection);
                return open;
            },
            10000);
    }
    ~TClientThread()
    {
        QMetaObject::invokeMethod(
            &clients,
            [this] {
                qDeleteAll(clients.children());
                clients.moveToThread(qApp->thread());
            },
            Qt::BlockingQueuedConnection);
        thread.quit();
        thread.wait();
    }
    void Send(int client, const QString& frame)
    {
        QMetaObject::invokeMethod(&clients, [=, this] { clients.Send(client, frame); });
    }
    QThread thread;
    TClients clients;
    bool opened = false;
};

QString Down(int finger, int number)
{
    return QStringLiteral(R"({"t":"down","f":%1,"n":%2})").arg(finger).arg(number);
}
QString Up(int finger)
{
    return QStringLiteral(R"({"t":"up","f":%1})").arg(finger);
}

// One probe press and release from client 0 on button 399: its latency in microseconds.
double ProbePress(TClientThread& clients, TClock::time_point& handedOver,
                  std::atomic<bool>& probeSent)
{
    probeSent = false;
    const TClock::time_point sent = TClock::now();
    clients.Send(0, Down(1, 399));
    if (!QTest::qWaitFor([&] { return probeSent.load(); }, 5000))
        return -1;
    const double micros = std::chrono::duration<double, std::micro>(handedOver - sent).count();
    clients.Send(0, Up(1));
    return micros;
}

// The window with its remote on, `count` clients connected, and the time the last message was
// handed to the MIDI service; `probeSent` turns true at the probe's Note On (button 399).
struct TRemoteRig
{
    explicit TRemoteRig(int count)
        : clients((full.window->Remote().Apply({true, 0, kToken}), full.window->Remote().Port()),
                  count)
    {
        full.service.OnCall = [this](const TFakeMidiService::TCall& call) {
            handedOver = TClock::now();
            if (call.Kind == TFakeMidiService::TCallKind::Send && call.Bytes.at(0) >= 0x90 &&
                call.Bytes.at(1) == 399 % 128)
                probeSent = true;
        };
    }
    double Probe() { return ProbePress(clients, handedOver, probeSent); }

    TFullWindow full{1};
    TClientThread clients;
    TClock::time_point handedOver;
    std::atomic<bool> probeSent{false};
};

void BM_RemotePressToMidi(benchmark::State& state)
{
    TRemoteRig rig(1);
    if (!rig.clients.opened)
        state.SkipWithError("the client did not connect");
    std::vector<double> micros;
    for (auto _ : state) {
        micros.push_back(rig.Probe());
        state.PauseTiming();
        QTest::qWait(10); // the release, and the pace a client may keep (200 frames a second)
        state.ResumeTiming();
    }
    if (std::count(micros.begin(), micros.end(), -1.0) > 0)
        state.SkipWithError("a remote press was lost");
    state.counters["median_us"] = Percentile(micros, 0.5);
    state.counters["p99_us"] = Percentile(micros, 0.99);
}
BENCHMARK(BM_RemotePressToMidi)->Iterations(500)->Unit(benchmark::kMillisecond);

// Fifteen clients press and release a button of their own 20 times a second each for 10 s; the
// probe client and the local mouse are timed every 20 ms meanwhile.
void BM_RemoteUnderSixteenClients(benchmark::State& state)
{
    TRemoteRig rig(16);
    TQelSpeedButton* button = rig.full.window->findChild<TQelSpeedButton*>("BtTx210");
    std::vector<double> remote;
    std::vector<double> local;
    std::vector<double> quiet; // the local press before the load, on the same machine state
    const auto press = [&](std::vector<double>& into) {
        const TClock::time_point pressed = TClock::now();
        QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
        into.push_back(
            std::chrono::duration<double, std::micro>(rig.handedOver - pressed).count());
        QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::qWait(20);
    };
    for (auto _ : state) {
        for (const auto end = TClock::now() + std::chrono::seconds(3); TClock::now() < end;)
            press(quiet);
        QTimer load;
        int tick = 0;
        QObject::connect(&load, &QTimer::timeout, [&] {
            for (int c = 1; c < 16; ++c)
                rig.clients.Send(c, tick % 2 == 0 ? Down(1, c) : Up(1));
            ++tick;
        });
        load.start(25); // a press and a release per client every 50 ms
        for (const auto end = TClock::now() + std::chrono::seconds(10); TClock::now() < end;) {
            remote.push_back(rig.Probe());
            press(local);
        }
    }
    state.counters["remote_median_us"] = Percentile(remote, 0.5);
    state.counters["remote_p99_us"] = Percentile(remote, 0.99);
    state.counters["quiet_median_us"] = Percentile(quiet, 0.5);
    state.counters["local_median_us"] = Percentile(local, 0.5);
    state.counters["local_p99_us"] = Percentile(local, 0.99);
    state.counters["sent"] = double(rig.full.service.Sent().size());
}
BENCHMARK(BM_RemoteUnderSixteenClients)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
