#pragma once

#include "model/Colour.h"

#include <QColor>

// The one place where the program's colour values (red in the low byte) meet Qt's colours.
// kColorNone has no QColor: callers test for it before converting.
inline QColor ToQColor(TColor c)
{
    return QColor(ColorRed(c), ColorGreen(c), ColorBlue(c));
}

inline TColor FromQColor(const QColor& c)
{
    return MakeColor(c.red(), c.green(), c.blue());
}
