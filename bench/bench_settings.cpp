// Load and save of a settings file with 400 buttons (20 x 20), in microseconds.
#include "model/qelCommandList.h"
#include "settings/GlobalSettings.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"
#include "settings/SettingsFile.h"
#include "tests/support/SettingsState.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// A 20 x 20 grid whose 400 buttons all differ from the defaults, written to `path`.
void WriteFullFile(const QString& path)
{
    TSettingsState s;
    LoadSettings(path, s.Data);
    s.Globals.ButtonRows = 20;
    s.Globals.ButtonCols = 20;
    for (int i = 0; i < s.CommandList.Count(); ++i) {
        TCommandSet& set = s.CommandList.Get(i);
        set.Action = std::uint8_t(i % 3);
        set.HotKey = QStringLiteral("F%1").arg(i % 24 + 1);
        set.Press.Caption = QStringLiteral("Button\\n%1").arg(i + 1);
        set.Press.Msg = {1, std::uint8_t(i % 16), std::uint8_t(i % 128), 100};
        set.Release.Msg = {0, std::uint8_t(i % 16), std::uint8_t(i % 128), 0};
        set.Press.ButtonColour = MakeColor(i % 256, 128, 64);
        set.Release.ImageIndex = i % 135;
    }
    SaveSettings(path, s.Data);
}

void BM_LoadSettings400(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("keyrill.ini"));
    WriteFullFile(path);
    for (auto _ : state) {
        TSettingsState s;
        LoadSettings(path, s.Data);
        benchmark::DoNotOptimize(s.CommandList.Count());
    }
}
BENCHMARK(BM_LoadSettings400)->Unit(benchmark::kMicrosecond);

void BM_SaveSettings400(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("keyrill.ini"));
    WriteFullFile(path);
    TSettingsState s;
    LoadSettings(path, s.Data);
    for (auto _ : state)
        SaveSettings(path, s.Data);
}
BENCHMARK(BM_SaveSettings400)->Unit(benchmark::kMicrosecond);

// The in-memory parts alone, without the file system.
void BM_ParseAndReadSettings400(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("keyrill.ini"));
    WriteFullFile(path);
    TSettingsState s;
    LoadSettings(path, s.Data);
    TIniFile ini;
    WriteSettings(ini, false, s.Data);
    const QString text = ini.Text();
    for (auto _ : state) {
        TSettingsState loaded;
        ReadSettings(TIniFile::Parse(text), loaded.Data);
        benchmark::DoNotOptimize(loaded.CommandList.Count());
    }
}
BENCHMARK(BM_ParseAndReadSettings400)->Unit(benchmark::kMicrosecond);

// SaveSettings without the file system: the text as read, parsed, written and encoded.
void BM_SaveSettings400InMemory(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("keyrill.ini"));
    WriteFullFile(path);
    TSettingsState s;
    LoadSettings(path, s.Data);
    const TSettingsText text = ReadSettingsFile(path);
    for (auto _ : state) {
        TIniFile ini = TIniFile::Parse(text.Text);
        WriteSettings(ini, true, s.Data);
        benchmark::DoNotOptimize(EncodeSettingsText(ini.Text(), text.Encoding, text.Bom));
    }
}
BENCHMARK(BM_SaveSettings400InMemory)->Unit(benchmark::kMicrosecond);

// The durable write alone: a temporary file, its flush to disk and the rename.
void BM_SaveSettings400DurableWrite(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("keyrill.ini"));
    WriteFullFile(path);
    const QByteArray bytes = [&path] {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    for (auto _ : state)
        WriteSettingsFile(path, bytes);
    state.counters["bytes"] = double(bytes.size());
}
BENCHMARK(BM_SaveSettings400DurableWrite)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace
