#pragma once

#include "GlobalSettings.h"
#include "SettingsFile.h"
#include "midi/DeviceSlot.h"
#include "midi/Outputs.h"
#include "model/Colour.h"
#include "remote/RemoteSettings.h"

#include <QString>

#include <array>
#include <stdexcept>

class TCommandList;
class TIniFile;

// A failure to open or write the settings file; the message is the user-facing text.
class TSettingsError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// What the settings file fills and is written from: the main window's process-wide state.
struct TSettingsData
{
    TGlobalSettings& Globals;
    std::array<TOutput, 4>& Outputs; // index 0 is output 1
    TInput& Input;
    TCommandList& CommandList;
    QString Caption;              // the main window's title: set by loading, read by saving
    bool MinimiseToTray = false;  // the tray icon's active state: set by loading, read by saving
    bool WindowMaximised = false; // read by saving: whether the window is maximised right now
    TRemoteSettings* Remote = nullptr; // null: the "Remote" section is left as the file has it
};

// Reads the whole file (a missing one gives every default) into `data` and returns the file as
// it was read. Bad values take the key's default. Throws TSettingsError when an existing file
// cannot be read.
TSettingsText LoadSettings(const QString& path, TSettingsData& data);

// Writes `data` back into the file, keeping what the program does not own. Throws
// TSettingsError when the file cannot be written; the old file then stays as it was.
void SaveSettings(const QString& path, const TSettingsData& data);
// The same, with what the program does not own taken from `base` instead of the file at `path`
// (a set saved to a new place keeps the sections of the file it was read from).
void SaveSettings(const QString& path, const TSettingsData& data, const TSettingsText& base);

// "#RRGGBB" from a colour (red in the low byte).
QString ColourToHex(TColor colour);
// The inverse; throws std::invalid_argument when a component is missing or not hexadecimal.
TColor HexToColour(const QString& text);

// The steps of LoadSettings and SaveSettings on a file held in memory (tests, fuzzing, benchmarks).
// ReadSettings is LoadSettings' steps 2 to 5; WriteSettings is SaveSettings' steps 2 to 4, with
// `fileExisted` deciding whether the "Button" sections are erased first. WriteSettings throws
// std::out_of_range, after writing the buttons that exist, when `CommandList` holds fewer than
// Button Rows x Button Cols definitions.
void ReadSettings(const TIniFile& ini, TSettingsData& data);
void WriteSettings(TIniFile& ini, bool fileExisted, const TSettingsData& data);
