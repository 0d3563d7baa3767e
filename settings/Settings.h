#pragma once

#include "GlobalSettings.h"
#include "midi/Outputs.h"
#include "model/Colour.h"

#include <QString>

#include <array>
#include <stdexcept>

class TCommandList;

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
    TCommandList& CommandList;
    QString Caption;              // the main window's title: set by loading, read by saving
    bool MinimiseToTray = false;  // the tray icon's active state: set by loading, read by saving
    bool WindowMaximised = false; // read by saving: whether the window is maximised right now
};

// Reads the whole file (a missing one gives every default) into `data`. Bad values take the
// key's default. Throws TSettingsError when an existing file cannot be read.
void LoadSettings(const QString& path, TSettingsData& data);

// Writes `data` back into the file, keeping what the program does not own. Throws
// TSettingsError when the file cannot be written; the old file then stays as it was.
void SaveSettings(const QString& path, const TSettingsData& data);

// "#RRGGBB" from a colour (red in the low byte).
QString ColourToHex(TColor colour);
// The inverse; throws std::invalid_argument when a component is missing or not hexadecimal.
TColor HexToColour(const QString& text);
