#pragma once

#include "MidiService.h"

// The one symbol the MIDI module exports: makes its service for an API name ("alsa", "jack" or
// empty for the system's default); the caller owns the result.
using TKeyrillCreateMidiService = IMidiService* (*)(const char* apiName);
#define KEYRILL_MIDI_ENTRY_NAME "KeyrillCreateMidiService"
