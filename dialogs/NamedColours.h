#pragma once

#include "model/Colour.h"

#include <array>

class QComboBox;

// The 20 named colours that every colour list of the dialogs offers, in list order. There is no
// entry for a custom colour: a value outside this set shows as no selection.
struct TNamedColour
{
    const char* Name;
    TColor Value;
};

inline constexpr std::array<TNamedColour, 20> kNamedColours{{
    {"Black", 0x000000}, {"Maroon", 0x000080},      {"Green", 0x008000},
    {"Olive", 0x008080}, {"Navy", 0x800000},        {"Purple", 0x800080},
    {"Teal", 0x808000},  {"Gray", 0x808080},        {"Silver", 0xC0C0C0},
    {"Red", 0x0000FF},   {"Lime", 0x00FF00},        {"Yellow", 0x00FFFF},
    {"Blue", 0xFF0000},  {"Fuchsia", 0xFF00FF},     {"Aqua", 0xFFFF00},
    {"White", 0xFFFFFF}, {"Money Green", 0xC0DCC0}, {"Sky Blue", 0xF0CAA6},
    {"Cream", 0xF0FBFF}, {"Medium Gray", 0xA4A0A0},
}};

// Position of a colour in the list, or -1 when it is not one of the 20.
int NamedColourIndex(TColor value);

// Fills a drop-down with the 20 colours, each with its swatch and name, and no selection.
void FillColourList(QComboBox* list);

// Selects the entry of a colour (none when it is not one of the 20).
void SelectColour(QComboBox* list, TColor value);

// The colour of the selected entry; `keep` when nothing is selected, so a colour that the list
// cannot show is never replaced silently.
TColor SelectedColour(const QComboBox* list, TColor keep);
