// The MIDI module's entry: the RtMidi service, made for the program that loaded the module.
#include "LibraryMessages.h"
#include "MidiModuleEntry.h"
#include "RtMidiService.h"

#include <QtGlobal>

#include <type_traits>

extern "C" Q_DECL_EXPORT IMidiService* KeyrillCreateMidiService(const char* apiName)
{
    RouteLibraryMessages();
    return new TRtMidiService(apiName ? apiName : "");
}

// The type the loader expects, checked where the function is defined.
static_assert(std::is_same_v<decltype(&KeyrillCreateMidiService), TKeyrillCreateMidiService>);
