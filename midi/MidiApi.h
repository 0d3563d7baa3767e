#pragma once

#include <string>

// Which MIDI system the program uses, from the environment variable KEYRILL_MIDI_API: "alsa" or
// "jack" picks that one; unset or empty means RtMidi's own order (ALSA, then JACK). An unknown
// value gives the default order and an error text for standard error that names the accepted
// values.
struct TMidiApiChoice
{
    std::string Api;   // "alsa", "jack", or empty for the default order
    std::string Error; // empty unless the value was unknown
};

inline constexpr const char* kMidiApiVariable = "KEYRILL_MIDI_API";

// `value` is the variable's value, null when it is not set.
TMidiApiChoice ChooseMidiApi(const char* value);
