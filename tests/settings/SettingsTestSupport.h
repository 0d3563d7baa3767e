#pragma once

#include "model/qelCommandList.h"
#include "settings/GlobalSettings.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <array>

// What the main window owns, as LoadSettings and SaveSettings see it.
struct TSettingsState
{
    TGlobalSettings Globals;
    std::array<TOutput, 4> Outputs{};
    TCommandList CommandList;
    TSettingsData Data{Globals, Outputs, CommandList, {}, false, false};

    // Load from INI text held in memory (steps 2 to 5 of LoadSettings).
    void LoadText(const QString& text) { ReadSettings(TIniFile::Parse(text), Data); }

    // Save onto INI text held in memory (steps 2 to 4 of SaveSettings, then the written form).
    QString SaveText(const QString& text, bool existed = true) const
    {
        TIniFile ini = TIniFile::Parse(text);
        WriteSettings(ini, existed, Data);
        return ini.Text();
    }
};

inline QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<cannot open " + path.toUtf8() + ">";
    return file.readAll();
}

inline void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

inline QByteArray GoldenDefaultFile()
{
    return ReadBytes(QStringLiteral(KEYRILL_SETTINGS_GOLDEN_DIR "/default.ini"));
}

// Prints QStrings and QByteArrays readably in failure messages.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QByteArray& bytes, std::ostream* os)
{
    *os << '"' << bytes.toStdString() << '"';
}
