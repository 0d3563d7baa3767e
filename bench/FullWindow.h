#pragma once

// The window the benchmarks time: the full grid on the fake MIDI service.
#include "mainwindow/main.h"
#include "midi/Midi.h"
#include "remote/WebSocketLink.h"
#include "support/FakeMessageBoxes.h"
#include "support/FakeMidiService.h"
#include "support/TestApplication.h"

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <memory>
#include <vector>

// A shown 20 x 20 window whose every button sends Note On on an active output 1 (with `action`
// 1, Note On and then Note Off: channel and note tell the 400 apart), listening to the input.
struct TFullWindow
{
    explicit TFullWindow(int action = 0, const char* more = nullptr)
    {
        service.InputNames = {"Bench Desk"};
        qputenv("QT_QPA_PLATFORM", "offscreen");
        TestApplication();
        QByteArray text = "[General]\nButton Rows=20\nButton Cols=20\n"
                          "[Windows]\nMain Width=1000\nMain Height=800\n"
                          "[Output 1]\nMIDI Device=0\nActive=1\n"
                          "[Input]\nMIDI Device=0\nActive=1\n";
        const QString moreKey = more ? QStringLiteral("More Messages=%1\n").arg(more) : QString();
        for (int n = 1; n <= 400; ++n)
            text += QStringLiteral("[Button %1]\nAction=%2\nMessage=1\nChannel=%3\nNote=%4\n"
                                   "Velocity=100\n%5[Button %1 Release]\nChannel=%3\nNote=%4\n")
                        .arg(n)
                        .arg(action)
                        .arg(action == 0 ? 0 : n / 128)
                        .arg(n % 128)
                        .arg(moreKey)
                        .toUtf8();
        QFile file(dir.filePath("bench.ini"));
        file.open(QIODevice::WriteOnly);
        file.write(text);
        file.close();
        TPlatform platform{midi, boxes, {file.fileName()}, dir.filePath("keyrill"), QString()};
        platform.RemoteLinks = &MakeWebSocketLink;
        window = std::make_unique<TfmMain>(platform);
    }

    QTemporaryDir dir;
    TFakeMidiService service{{"Bench Synth"}};
    TMidiSystem midi{service};
    TFakeMessageBoxes boxes;
    std::unique_ptr<TfmMain> window;
};

inline double Percentile(std::vector<double> samples, double p)
{
    std::sort(samples.begin(), samples.end());
    return samples.empty() ? 0 : samples[std::size_t(p * double(samples.size() - 1))];
}
