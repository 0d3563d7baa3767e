#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

class IMidiService;

// The options that answer on the terminal and end the program before any window exists. They
// count only as the single argument: any other single argument is the settings file, and two or
// more arguments mean the default settings file. A single argument that starts with "-" but is
// no option is a mistyped one, not a settings file (a file of such a name is given as "./-name").
enum class TCommandLineOption { None, Help, Version, ListOutputs, ListInputs, Unknown };

// `arguments` without the program's own name.
TCommandLineOption ParseCommandLineOption(const std::vector<std::string>& arguments);

void PrintUsage(std::ostream& out);
void PrintVersion(std::ostream& out);

// The MIDI output devices as the Configuration dialog lists them, index from 0, and the MIDI API
// that found them (asked after the list is taken). Returns the exit code: 0, or 1 with the
// reason on `err` when no MIDI service could be started or the list could not be read.
// The exit code of a mistyped option: the usage goes to standard error.
inline constexpr int kUsageExitCode = 2;

int ListOutputs(IMidiService& service, std::ostream& out, std::ostream& err);
// The same for the MIDI input devices, numbered as the "MIDI Device" of the input counts them.
int ListInputs(IMidiService& service, std::ostream& out, std::ostream& err);

// Runs the option given on the real command line, if there is one, and returns the program's
// exit code; std::nullopt when the program is to start as usual.
std::optional<int> RunCommandLineOption(int argc, char* argv[]);
