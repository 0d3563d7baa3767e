#pragma once

#include "model/Colour.h"

#include <QString>

#include <cstdint>

// The process-wide settings, each named after its key in the settings file. Zero, empty or false
// until the settings are loaded; the main window owns the one instance.
struct TGlobalSettings
{
    // Section "Windows"
    int MainTop = 0;
    int MainLeft = 0;
    int MainHeight = 0;
    int MainWidth = 0;
    bool MainMaximised = false;
    bool MainBorderless = false;

    // Section "General"
    int ButtonRows = 0;
    int ButtonCols = 0;
    QString FontName;
    int FontSize = 0;
    TColor BorderHighlightColour = 0;
    std::uint8_t ButtonLayout = 0;
    bool AllowEditing = false;
    bool AllowWindowMoving = false;
    bool AllowWindowResizing = false;
    bool SaveWindowPosition = false;
    bool SaveWindowSize = false;
    bool ShowOutputErrors = false;
    bool GlobalHotKeys = false;
};
