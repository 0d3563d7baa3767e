#pragma once

#include <QtGlobal>

#include <memory>
#include <vector>

// The keyboard map of the windowing system: which key symbols a physical key carries, so that a
// hot key can follow the key itself rather than the character that Shift, AltGr or the layout
// make of it. Tests hand in a map of their own.
class IKeyboardMap
{
public:
    virtual ~IKeyboardMap() = default;

    // The key symbols (X11/xkbcommon keysym values) of the key with this native scan code, at
    // every shift level of the first layout, then of each further layout; empty when the key or
    // the map is unknown.
    virtual std::vector<quint32> Symbols(quint32 scanCode) = 0;

    // True when the system sends a held key's repeats as presses alone, so that every release
    // is a real one, whatever a guess from the event timing says.
    virtual bool RepeatsArePressesOnly() const { return false; }
};

// The map of the running windowing system. On X11 it reads Qt's own X connection through
// libxkbcommon and also asks the server for detectable auto-repeat, so that a held key repeats
// as key presses alone. Without an X connection (offscreen, other platforms) it knows no key and
// changes nothing.
std::unique_ptr<IKeyboardMap> MakeSystemKeyboardMap();
