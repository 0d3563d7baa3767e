// libFuzzer target over the settings reader alone: bytes -> encoding -> INI syntax ->
// LoadSettings. Several times faster than the round trip, so a campaign spends most of its
// executions here; the round trip (fuzz_settings.cpp) replays the same corpus.
#include "settings/IniFile.h"
#include "settings/Settings.h"
#include "settings/SettingsFile.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/support/SettingsState.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const TSettingsText text = DecodeSettingsBytes(bytes);

    const TIniFile ini = TIniFile::Parse(text.Text);
    const QString normalised = ini.Text();
    FuzzCheck(TIniFile::Parse(normalised).Text() == normalised, "INI text is not a fixed point");

    // Whatever the file holds, the program gets values inside the ranges it relies on.
    TSettingsState state;
    ReadSettings(ini, state.Data);
    const TGlobalSettings& g = state.Globals;
    FuzzCheck(state.CommandList.Count() == 400, "not 400 definitions");
    FuzzCheck(g.ButtonRows >= 1 && g.ButtonRows <= 20 && g.ButtonCols >= 1 && g.ButtonCols <= 20,
              "grid size out of range");
    for (int i = 0; i < state.CommandList.Count(); ++i)
        FuzzCheck(state.CommandList.Get(i).Action <= 2, "action out of range");
    return 0;
}
