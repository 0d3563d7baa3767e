#include "CommandLine.h"

#include "KeyrillVersion.h"
#include "midi/Midi.h"
#include "midi/MidiApi.h"
#include "midi/MidiModule.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>

namespace {

constexpr const char* kUsage = R"(Usage: keyrill [SETTINGS-FILE]
       keyrill --help | --version | --list-outputs | --list-inputs

Keyrill turns a window of on-screen buttons into a MIDI controller.

Arguments:
  SETTINGS-FILE   the settings file, read at start and written when the window closes
                  (created then if it does not exist). With no argument, or with more
                  than one, the default settings file is used. A file whose name starts
                  with "-" is given as ./-name.

Options, each only as the single argument:
  -h, --help      show this help and exit
  --version       show the program's version and exit
  --list-outputs  list the MIDI output devices and exit: one per line, numbered from 0
                  as the Configuration dialog lists them (the number is the "MIDI Device"
                  of an output in the settings file), after the MIDI API that found them
  --list-inputs   list the MIDI input devices and exit, in the same form (the number is
                  the "MIDI Device" of the input)

Default settings file:
  keyrill.ini beside the program (the program's path with ".ini") when it exists or can
  be created there; otherwise keyrill.ini in the user's configuration folder,
  $XDG_CONFIG_HOME/keyrill/ (~/.config/keyrill/ when XDG_CONFIG_HOME is not set).

Environment:
  KEYRILL_MIDI_API     the MIDI API to use: alsa or jack. Unset: ALSA, and JACK when
                       ALSA cannot start. An unknown value is reported on standard
                       error and the default order is used.
  KEYRILL_DEBUG        1: show the MIDI libraries' (ALSA's, JACK's) own messages on
                       standard error.
  JACK_DEFAULT_SERVER  the JACK server to connect to (JACK's own variable).
  XDG_CONFIG_HOME      where the user's configuration folder is.
  QT_QPA_PLATFORM, DISPLAY, WAYLAND_DISPLAY
                       where the window is shown (Qt's own variables).
)";

} // namespace

TCommandLineOption ParseCommandLineOption(const std::vector<std::string>& arguments)
{
    if (arguments.size() != 1)
        return TCommandLineOption::None;
    const std::string& argument = arguments.front();
    if (argument == "--help" || argument == "-h")
        return TCommandLineOption::Help;
    if (argument == "--version")
        return TCommandLineOption::Version;
    if (argument == "--list-outputs")
        return TCommandLineOption::ListOutputs;
    if (argument == "--list-inputs")
        return TCommandLineOption::ListInputs;
    if (argument.starts_with('-'))
        return TCommandLineOption::Unknown;
    return TCommandLineOption::None;
}

void PrintUsage(std::ostream& out)
{
    out << kUsage;
}

void PrintVersion(std::ostream& out)
{
    out << KEYRILL_PRODUCT_NAME " " KEYRILL_VERSION "\n";
}

namespace {

// The device objects the program's Configuration dialog reads, so the numbering agrees.
int ListDevices(IMidiService& service, bool inputs, std::ostream& out, std::ostream& err)
{
    const char* const kind = inputs ? "input" : "output";
    TMidiSystem midi(service);
    try {
        const auto& devices =
            inputs ? midi.GetMidiInput().Devices() : midi.GetMidiOutput().Devices();
        const std::string api = service.ApiName();
        if (api.empty()) {
            err << "keyrill: no MIDI " << kind << " service could be started\n";
            return 1;
        }
        out << "MIDI API: " << api << '\n';
        if (devices.empty())
            out << "No MIDI " << kind << " devices\n";
        for (std::size_t index = 0; index < devices.size(); ++index)
            out << index << ": " << devices[index].Name << '\n';
        return out.good() ? 0 : 1;
    } catch (const EMidiError& error) {
        err << "keyrill: the MIDI " << kind << " devices could not be listed: " << error.what()
            << '\n';
        return 1;
    }
}

} // namespace

int ListOutputs(IMidiService& service, std::ostream& out, std::ostream& err)
{
    return ListDevices(service, false, out, err);
}

int ListInputs(IMidiService& service, std::ostream& out, std::ostream& err)
{
    return ListDevices(service, true, out, err);
}

std::optional<int> RunCommandLineOption(int argc, char* argv[])
{
    const std::vector<std::string> arguments(argv + std::min(argc, 1), argv + argc);
    const TCommandLineOption option = ParseCommandLineOption(arguments);
    switch (option) {
    case TCommandLineOption::None:
        return std::nullopt;
    case TCommandLineOption::Help:
        PrintUsage(std::cout);
        break;
    case TCommandLineOption::Version:
        PrintVersion(std::cout);
        break;
    case TCommandLineOption::Unknown:
        std::cerr << "keyrill: unknown option " << arguments.front() << "\n\n";
        PrintUsage(std::cerr);
        return kUsageExitCode;
    case TCommandLineOption::ListOutputs:
    case TCommandLineOption::ListInputs: {
        // The same MIDI system as a normal start would use.
        const TMidiApiChoice api = ChooseMidiApi(std::getenv(kMidiApiVariable));
        if (!api.Error.empty())
            std::cerr << api.Error << '\n';
        TMidiModuleService service(api.Api, TMidiModuleService::DefaultPaths());
        return ListDevices(service, option == TCommandLineOption::ListInputs, std::cout, std::cerr);
    }
    }
    std::cout.flush();
    return std::cout.good() ? 0 : 1;
}
