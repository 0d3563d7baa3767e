// libFuzzer target over the settings reader: bytes -> encoding -> INI syntax -> LoadSettings,
// then SaveSettings' steps on the result. Checks, besides the sanitizers, that what the program
// writes reads back to the same values and is written again byte for byte identically.
#include "model/qelCommandList.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"
#include "settings/SettingsFile.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/support/SettingsState.h"

#include <cstddef>
#include <cstdint>

namespace {

bool SameValues(const TSettingsState& a, const TSettingsState& b, bool masked)
{
    const TGlobalSettings& x = a.Globals;
    const TGlobalSettings& y = b.Globals;
    const TColor mask = masked ? 0xFFFFFFu : 0xFFFFFFFFu;
    if (x.MainTop != y.MainTop || x.MainLeft != y.MainLeft || x.MainHeight != y.MainHeight ||
        x.MainWidth != y.MainWidth || x.MainMaximised != y.MainMaximised ||
        x.MainBorderless != y.MainBorderless || x.ButtonRows != y.ButtonRows ||
        x.ButtonCols != y.ButtonCols || x.FontName != y.FontName || x.FontSize != y.FontSize ||
        (x.BorderHighlightColour & mask) != y.BorderHighlightColour ||
        x.ButtonLayout != y.ButtonLayout || x.AllowEditing != y.AllowEditing ||
        x.AllowWindowMoving != y.AllowWindowMoving ||
        x.AllowWindowResizing != y.AllowWindowResizing ||
        x.SaveWindowPosition != y.SaveWindowPosition || x.SaveWindowSize != y.SaveWindowSize ||
        x.ShowOutputErrors != y.ShowOutputErrors || a.Data.Caption != b.Data.Caption ||
        a.Data.MinimiseToTray != b.Data.MinimiseToTray)
        return false;
    for (std::size_t i = 0; i < 4; ++i)
        if (a.Outputs[i].DeviceIndex != b.Outputs[i].DeviceIndex ||
            a.Outputs[i].Active != b.Outputs[i].Active)
            return false;
    if (a.Input.DeviceIndex != b.Input.DeviceIndex || a.Input.Active != b.Input.Active)
        return false;
    // With Allow Editing the first Rows x Cols buttons are rewritten; without it, all stay.
    const int buttons = x.AllowEditing ? x.ButtonRows * x.ButtonCols : a.CommandList.Count();
    for (int i = 0; i < buttons; ++i) {
        TCommandSet expected;
        expected.Assign(a.CommandList.Get(i));
        for (TCommand* side : {&expected.Press, &expected.Release}) {
            side->ButtonColour &= mask;
            side->TextColour &= mask;
        }
        if (!expected.SameDefinition(b.CommandList.Get(i)))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const TSettingsText text = DecodeSettingsBytes(bytes);

    // The INI layer alone: its written form is a fixed point.
    TIniFile ini = TIniFile::Parse(text.Text);
    const QString normalised = ini.Text();
    FuzzCheck(TIniFile::Parse(normalised).Text() == normalised, "INI text is not a fixed point");

    TSettingsState first;
    ReadSettings(ini, first.Data);
    FuzzCheck(first.CommandList.Count() == 400, "not 400 definitions");
    first.Data.WindowMaximised = first.Globals.MainMaximised;

    WriteSettings(ini, true, first.Data);
    const QByteArray once = EncodeSettingsText(ini.Text(), text.Encoding, text.Bom);

    const TSettingsText reread = DecodeSettingsBytes(once);
    TIniFile second = TIniFile::Parse(reread.Text);
    TSettingsState again;
    ReadSettings(second, again.Data);
    FuzzCheck(SameValues(first, again, first.Globals.AllowEditing), "values changed by a save");

    again.Data.WindowMaximised = again.Globals.MainMaximised;
    WriteSettings(second, true, again.Data);
    const QByteArray twice = EncodeSettingsText(second.Text(), reread.Encoding, reread.Bom);
    FuzzCheck(twice == once, "a written file is not written again identically");
    return 0;
}
