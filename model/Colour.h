#pragma once

#include <cstdint>

// A colour as the program stores it: red in the low byte, then green, then blue.
using TColor = std::uint32_t;

// "No colour": a face or frame of this colour is not drawn.
inline constexpr TColor kColorNone = 0x1FFFFFFF;

// The default face colour, named "Cream" in the colour lists.
inline constexpr TColor kColorCream = 15793151;

inline constexpr int ColorRed(TColor c) { return int(c & 0xFF); }
inline constexpr int ColorGreen(TColor c) { return int((c >> 8) & 0xFF); }
inline constexpr int ColorBlue(TColor c) { return int((c >> 16) & 0xFF); }
inline constexpr TColor MakeColor(int r, int g, int b)
{
    return TColor(r & 0xFF) | (TColor(g & 0xFF) << 8) | (TColor(b & 0xFF) << 16);
}
