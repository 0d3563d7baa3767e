#pragma once

#include "model/qelCommandList.h"
#include "settings/GlobalSettings.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"

#include <array>

// What the main window owns, as LoadSettings and SaveSettings see it.
struct TSettingsState
{
    TGlobalSettings Globals;
    std::array<TOutput, 4> Outputs{};
    TInput Input{};
    TCommandList CommandList;
    TSettingsData Data{Globals, Outputs, Input, CommandList, {}, false, false};

    // Load from INI text held in memory (LoadSettings without the file).
    void LoadText(const QString& text) { ReadSettings(TIniFile::Parse(text), Data); }

    // Save onto INI text held in memory (SaveSettings without the file): the written form.
    QString SaveText(const QString& text, bool existed = true) const
    {
        TIniFile ini = TIniFile::Parse(text);
        WriteSettings(ini, existed, Data);
        return ini.Text();
    }
};
