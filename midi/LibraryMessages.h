#pragma once

// Without a running MIDI service, ALSA and JACK print a dozen lines of their own internals on
// every start ("ALSA lib seq_hw.c ...", "Cannot connect to server socket ..."), drowning the
// program's own line. This sends their error and info output to the program's diagnostics
// instead: shown on standard error only when KEYRILL_DEBUG=1, otherwise dropped. Called once,
// before the first ALSA or JACK call.
void RouteLibraryMessages();

// The environment variable that shows the libraries' messages.
inline constexpr const char* kDebugVariable = "KEYRILL_DEBUG";
