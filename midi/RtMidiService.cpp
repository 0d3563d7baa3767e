#include "RtMidiService.h"

#include "DeviceWatch.h"
#include "JackPort.h"
#include "KeyrillVersion.h"
#include "model/MidiCatalogue.h"

#include <RtMidi.h>

#include <cctype>
#include <cstdio>
#include <iostream>
#include <map>
#include <sstream>
#include <utility>
#include <vector>

namespace {

const std::string kClientName = KEYRILL_PRODUCT_NAME;
// The client that only lists the devices has no port; under JACK, where client names are unique,
// its own name leaves "Keyrill" to the first port the program opens or publishes.
const std::string kListClientName = KEYRILL_PRODUCT_NAME "-devices";
const std::string kPortName = "Output";
const std::string kInputPortName = "Input";

constexpr TMidiResult kInvalidHandle = 1;
constexpr TMidiResult kSystemExclusive = 2;
constexpr TMidiResult kIndexOutOfRange = 3;
constexpr TMidiResult kFirstDynamicCode = 100; // codes whose text came from RtMidi
constexpr int kDynamicCodes = 64;              // how many such texts are kept

// RtMidi reports errors through this callback once it is installed (instead of throwing and
// printing); each RtMidi object has its own sink, read after every call into it.
struct TErrorSink
{
    bool Raised = false;
    std::string Text;

    void Reset()
    {
        Raised = false;
        Text.clear();
    }
};

void ErrorCallback(RtMidiError::Type type, const std::string& text, void* userData)
{
    if (type == RtMidiError::DEBUG_WARNING)
        return;
    auto* sink = static_cast<TErrorSink*>(userData);
    if (!sink->Raised)
        sink->Text = text;
    sink->Raised = true;
}

// RtMidi writes to std::cerr before it throws from a constructor, where no callback can be in
// place yet; this keeps that text off the terminal (it reaches the caller as the error's text).
class TQuietCerr
{
public:
    TQuietCerr() : m_saved(std::cerr.rdbuf(m_sink.rdbuf())) {}
    ~TQuietCerr() { std::cerr.rdbuf(m_saved); }
    TQuietCerr(const TQuietCerr&) = delete;
    TQuietCerr& operator=(const TQuietCerr&) = delete;

private:
    std::ostringstream m_sink;
    std::streambuf* m_saved;
};

// The channel messages RtMidi hands an input's callback go to the input's sink; anything else
// (system messages, a lone data byte) is not for it.
void Arrived(double, std::vector<unsigned char>* message, void* userData)
{
    if (!message || message->empty())
        return;
    const unsigned char status = (*message)[0];
    if (status < 0x80 || status >= 0xF0)
        return;
    const auto byte = [&](std::size_t at) { return at < message->size() ? (*message)[at] : 0; };
    static_cast<IMidiInputSink*>(userData)->Received(status, byte(1), byte(2));
}

// One RtMidi port, an output or an input, with the sink of its errors (the sink's address must
// not move).
struct TRtPort
{
    TErrorSink Errors;
    std::unique_ptr<RtMidiOut> Out;
    std::unique_ptr<RtMidiIn> In;
    // Under JACK a port of the program's own instead, with what it takes to open it again when
    // the server comes back.
    std::unique_ptr<TJackPort> Jack;
    IMidiInputSink* Sink = nullptr;
    std::string PortName;
    // A device's port: the device's name when it was connected, and whether that connection
    // still stands. A published port has no target.
    enum class TLink { Connected, Gone, Renamed };
    std::string Target;
    TLink Link = TLink::Connected;

    RtMidi& Port() { return Out ? static_cast<RtMidi&>(*Out) : static_cast<RtMidi&>(*In); }
    bool IsInput() const { return In != nullptr || Sink != nullptr; }

    // Creates the RtMidi output, or the input (which hands its messages to `sink`, if given), on
    // `api`; returns the failure text, empty on success.
    std::string Create(RtMidi::Api api, bool input, const std::string& clientName = kClientName,
                       IMidiInputSink* sink = nullptr)
    {
        try {
            TQuietCerr quiet;
            if (input) {
                In = std::make_unique<RtMidiIn>(api, clientName);
                if (sink)
                    In->setCallback(&Arrived, sink);
            } else {
                Out = std::make_unique<RtMidiOut>(api, clientName);
            }
            Port().setErrorCallback(&ErrorCallback, &Errors);
            return {};
        } catch (const RtMidiError& error) {
            Out.reset();
            In.reset();
            return error.getMessage().empty() ? "RtMidi error" : error.getMessage();
        }
    }

    ~TRtPort()
    {
        if (Out && Out->getCurrentApi() == RtMidi::UNIX_JACK) {
            Retire(std::move(Out));
            return;
        }
        // An input is destroyed even under JACK: RtMidi's JACK input closes its client, which
        // ends the process thread, before it frees what that thread reads; its callback, and so
        // the sink, is not called after this.
        try {
            TQuietCerr quiet;
            Out.reset(); // closes the port
            In.reset();
        } catch (...) {
        }
    }

    // RtMidi's JACK output frees its message queue before it stops its JACK client, whose process
    // thread may still be reading that queue: destroying one can crash the program. A JACK output
    // is therefore kept, still connected and idle, until the program ends. Nothing more is sent
    // through it, and anything still queued is delivered. A published port stays visible until
    // then too.
    static void Retire(std::unique_ptr<RtMidiOut> out)
    {
        static auto* retired = new std::vector<std::unique_ptr<RtMidiOut>>;
        out->setErrorCallback([](RtMidiError::Type, const std::string&, void*) {}, nullptr);
        retired->push_back(std::move(out));
    }
};

} // namespace

struct TRtMidiService::TImpl
{
    std::string ApiChoice; // empty: the default order
    bool Started = false;
    RtMidi::Api Api = RtMidi::UNSPECIFIED;
    std::string StartFailure;
    std::unique_ptr<TRtPort> Enumerator;      // lists the outputs
    std::unique_ptr<TRtPort> InputEnumerator; // lists the inputs, made when first asked
    std::unique_ptr<TDeviceWatch> Watch; // the device notices, where the system gives them
    TJackWatch* JackWatch = nullptr;     // the same, under JACK
    bool ListChanged = false;            // notices taken by a send, not yet by the caller

    // The device list as last enumerated: a name, or the failure text of its query.
    struct TEntry
    {
        bool Ok = false;
        std::string Text;
    };
    std::vector<TEntry> Names;
    std::vector<TEntry> InputNames;

    std::vector<TEntry>& NamesOf(const TRtPort& port)
    {
        return port.IsInput() ? InputNames : Names;
    }

    // Whether a port is one the program publishes or connects with: its client is "Keyrill",
    // or JACK's "Keyrill-01" and so on, named in the order they open.
    static bool OwnPort(const std::string& name)
    {
        if (!name.starts_with(kClientName))
            return false;
        std::size_t at = kClientName.size();
        if (at < name.size() && name[at] == '-')
            while (++at < name.size() && std::isdigit(static_cast<unsigned char>(name[at]))) {
            }
        return at < name.size() && name[at] == ':';
    }

    // Takes the port names of `lister` into `names`, the program's own ports left out.
    static int Enumerate(TRtPort& lister, std::vector<TEntry>& names)
    {
        RtMidi& port = lister.Port();
        try {
            lister.Errors.Reset();
            const unsigned count = port.getPortCount();
            for (unsigned at = 0; at < count; ++at) {
                lister.Errors.Reset();
                std::string name = port.getPortName(at);
                if (!lister.Errors.Raised && OwnPort(name))
                    continue;
                if (lister.Errors.Raised)
                    names.push_back({false, lister.Errors.Text});
                else
                    names.push_back({true, std::move(name)});
            }
        } catch (const RtMidiError& error) {
            names.push_back({false, error.getMessage()});
        }
        return int(names.size());
    }

    std::map<TMidiHandle, std::unique_ptr<TRtPort>> Handles;
    TMidiHandle NextHandle = 1;

    std::map<TMidiResult, std::string> Texts{
        {kInvalidHandle, "Invalid MIDI device handle"},
        {kSystemExclusive, "System exclusive messages are not supported"},
        {kIndexOutOfRange, "MIDI device index out of range"},
    };
    int NextDynamic = 0;

    TMidiResult Fail(std::string text)
    {
        const TMidiResult code = kFirstDynamicCode + NextDynamic;
        NextDynamic = (NextDynamic + 1) % kDynamicCodes;
        Texts[code] = std::move(text);
        return code;
    }

    // The chosen API, or else every compiled one, the system's default first.
    std::vector<RtMidi::Api> Candidates() const
    {
        std::vector<RtMidi::Api> apis;
        if (ApiChoice.empty())
            RtMidi::getCompiledApi(apis);
        else if (const RtMidi::Api api = RtMidi::getCompiledApiByName(ApiChoice);
                 api != RtMidi::UNSPECIFIED)
            apis.push_back(api);
        return apis;
    }

    // Picks the first candidate API that starts.
    bool Start()
    {
        if (Started)
            return true;
        const std::vector<RtMidi::Api> apis = Candidates();
        StartFailure.clear();
        for (const RtMidi::Api api : apis) {
            if (api == RtMidi::RTMIDI_DUMMY)
                continue;
            auto out = std::make_unique<TRtPort>();
            std::string failure = out->Create(api, false, kListClientName);
            if (failure.empty()) {
                // JACK connects to its server only here, when first asked for its ports.
                try {
                    out->Out->getPortCount();
                    if (out->Errors.Raised)
                        failure = out->Errors.Text;
                } catch (const RtMidiError& error) {
                    failure = error.getMessage();
                }
            }
            if (failure.empty()) {
                Enumerator = std::move(out);
                Api = api;
                Started = true;
                StartWatch();
                return true;
            }
            StartFailure += (StartFailure.empty() ? "" : "; ") + failure;
        }
        if (StartFailure.empty())
            StartFailure = ApiChoice.empty()
                               ? "No MIDI API is available"
                               : "The MIDI system \"" + ApiChoice + "\" is not part of this build";
        return false;
    }

    void StartWatch()
    {
        if (Api == RtMidi::UNIX_JACK) {
            auto watch = std::make_unique<TJackWatch>();
            if (watch->Start()) {
                JackWatch = watch.get();
                Watch = std::move(watch);
            }
        } else if (Api == RtMidi::LINUX_ALSA) {
            auto watch = std::make_unique<TAlsaWatch>();
            if (watch->Start())
                Watch = std::move(watch);
        }
    }

    // Marks the outputs whose devices the notices say are gone or renamed; true when there was
    // any notice.
    bool Apply(const std::vector<TPortNotice>& notices)
    {
        using TKind = TPortNotice::TKind;
        for (const TPortNotice& notice : notices) {
            if (notice.Kind != TKind::Gone && notice.Kind != TKind::Renamed)
                continue;
            for (auto& [handle, out] : Handles) {
                if (out->Target.empty() || !notice.Affects(out->Target) ||
                    out->Link == TRtPort::TLink::Renamed)
                    continue;
                out->Link =
                    notice.Kind == TKind::Gone ? TRtPort::TLink::Gone : TRtPort::TLink::Renamed;
            }
        }
        return !notices.empty();
    }

    // A new RtMidi output (or, with a sink, input) on the API in use, made ready by `setUp`
    // (which opens its port); a handle for it, or the failure code.
    template <typename F>
    TMidiResult AddHandle(TMidiHandle& handle, F&& setUp, IMidiInputSink* sink = nullptr)
    {
        if (!Started)
            return Fail("No MIDI output service could be started: " + StartFailure);
        if (JackWatch && JackWatch->ServerDown())
            return Fail(JackWatch->FailureText());
        auto out = std::make_unique<TRtPort>();
        std::string failure = out->Create(Api, sink != nullptr, kClientName, sink);
        if (!failure.empty())
            return Fail(std::move(failure));
        try {
            failure = setUp(*out);
            if (failure.empty() && out->Errors.Raised)
                failure = out->Errors.Text;
        } catch (const RtMidiError& error) {
            failure = error.getMessage();
        }
        if (!failure.empty())
            return Fail(std::move(failure));
        handle = NextHandle++;
        Handles.emplace(handle, std::move(out));
        return kMidiOk;
    }

    // Under JACK: a port of the program's own, connected to `target` unless that is empty (a
    // published port); the connection is checked.
    TMidiResult AddJackHandle(TMidiHandle& handle, const std::string& portName,
                              const std::string& target, IMidiInputSink* sink)
    {
        if (JackWatch && JackWatch->ServerDown())
            return Fail(JackWatch->FailureText());
        auto port = std::make_unique<TRtPort>();
        port->Sink = sink;
        port->PortName = portName;
        port->Target = target;
        std::string failure;
        port->Jack = TJackPort::Open(kClientName, portName, sink, failure);
        if (!port->Jack || (!target.empty() && !port->Jack->Connect(target, failure)))
            return Fail(std::move(failure));
        handle = NextHandle++;
        Handles.emplace(handle, std::move(port));
        return kMidiOk;
    }

    bool Down() const { return JackWatch && JackWatch->ServerDown(); }

    // One whole message to an output port (found by the caller, once per send).
    TMidiResult Send(TRtPort& out, const std::uint8_t* bytes, std::size_t size)
    {
        if (Down())
            return Fail(JackWatch->FailureText());
        // A device gone a moment ago is known here before its notice reaches the caller's thread.
        if (Watch && Watch->Pending())
            ListChanged |= Apply(Watch->Take());
        if (!out.Target.empty() && out.Link != TRtPort::TLink::Connected)
            return Fail("The MIDI device \"" + out.Target + "\" is not connected");
        if (Api == RtMidi::UNIX_JACK && !out.Jack)
            return Fail("The JACK port could not be opened again");
        if (out.Jack)
            return out.Jack->Send(bytes, size) ? kMidiOk : Fail("The MIDI output's queue is full");
        try {
            out.Errors.Reset();
            out.Out->sendMessage(bytes, size);
            if (out.Errors.Raised)
                return Fail(out.Errors.Text);
        } catch (const RtMidiError& error) {
            return Fail(error.getMessage());
        }
        return kMidiOk;
    }

    // The server is back: every port is opened again under its name, a device's port as gone
    // until the list taken next connects it.
    // The server has gone: every client of it is closed at once, before a new server may take
    // their names, and because while one is left the JACK library tells a new client nothing.
    // With no process thread left, RtMidi's lister can go too.
    void LetGo()
    {
        if (Enumerator)
            Enumerator->Out.reset();
        Enumerator.reset();
        InputEnumerator.reset();
        for (auto& entry : Handles)
            entry.second->Jack.reset();
        JackWatch->Close();
    }

    bool Revive()
    {
        if (!Down())
            return false;
        LetGo();
        if (!JackWatch->Restart())
            return false;
        auto lister = std::make_unique<TRtPort>();
        if (lister->Create(Api, false, kListClientName).empty())
            Enumerator = std::move(lister);
        for (auto& [handle, port] : Handles) {
            if (!port->PortName.empty()) {
                std::string failure; // a port that does not open fails its sends
                port->Jack = TJackPort::Open(kClientName, port->PortName, port->Sink, failure);
                port->Link = TRtPort::TLink::Gone;
            }
        }
        ListChanged = true;
        return true;
    }

    // The port of `out` that is device `index` of the enumerated list: the same name, and among
    // equal names the same occurrence. -1 when it has gone.
    int FindPort(TRtPort& out, int index)
    {
        const std::vector<TEntry>& names = NamesOf(out);
        int occurrence = 0;
        for (int i = 0; i < index; ++i)
            if (names[i].Ok && names[i].Text == names[index].Text)
                ++occurrence;
        const unsigned count = out.Port().getPortCount();
        for (unsigned port = 0; port < count && !out.Errors.Raised; ++port) {
            if (out.Port().getPortName(port) == names[index].Text && occurrence-- == 0)
                return int(port);
        }
        return -1;
    }

    TMidiResult NameAt(const std::vector<TEntry>& names, int index, std::string& name)
    {
        if (index < 0 || index >= int(names.size()))
            return kIndexOutOfRange;
        if (!names[index].Ok)
            return Fail(names[index].Text);
        name = names[index].Text;
        return kMidiOk;
    }

    // A handle connected to device `index` of `names` (the outputs, or with a sink the inputs).
    TMidiResult OpenDevice(int index, IMidiInputSink* sink, TMidiHandle& handle)
    {
        const std::vector<TEntry>& names = sink ? InputNames : Names;
        if (Started && (index < 0 || index >= int(names.size()) || !names[index].Ok))
            return kIndexOutOfRange;
        if (Started && Api == RtMidi::UNIX_JACK)
            return AddJackHandle(handle, sink ? kInputPortName : kPortName, names[index].Text,
                                 sink);
        return AddHandle(
            handle,
            [&](TRtPort& out) -> std::string {
                const int port = FindPort(out, index);
                if (out.Errors.Raised)
                    return out.Errors.Text;
                if (port < 0)
                    return "The MIDI device \"" + names[index].Text + "\" is no longer present";
                TQuietCerr quiet;
                out.Port().openPort(unsigned(port), sink ? kInputPortName : kPortName);
                out.Target = names[index].Text;
                return {};
            },
            sink);
    }
};

TRtMidiService::TRtMidiService(const std::string& apiName) : m_impl(std::make_unique<TImpl>())
{
    m_impl->ApiChoice = apiName;
}

TRtMidiService::~TRtMidiService() = default;

std::string TRtMidiService::ApiName() const
{
    return m_impl->Started ? RtMidi::getApiName(m_impl->Api) : std::string();
}

int TRtMidiService::DeviceCount()
{
    TImpl& d = *m_impl;
    d.Names.clear();
    if (!d.Start() || d.Down() || !d.Enumerator)
        return 0;
    return TImpl::Enumerate(*d.Enumerator, d.Names);
}

TMidiResult TRtMidiService::DeviceName(int index, std::string& name)
{
    return m_impl->NameAt(m_impl->Names, index, name);
}

TMidiResult TRtMidiService::Open(int index, TMidiHandle& handle)
{
    return m_impl->OpenDevice(index, nullptr, handle);
}

int TRtMidiService::InputCount()
{
    TImpl& d = *m_impl;
    d.InputNames.clear();
    if (!d.Start() || d.Down())
        return 0;
    if (!d.InputEnumerator) {
        auto lister = std::make_unique<TRtPort>();
        if (!lister->Create(d.Api, true, kListClientName).empty())
            return 0;
        d.InputEnumerator = std::move(lister);
    }
    return TImpl::Enumerate(*d.InputEnumerator, d.InputNames);
}

TMidiResult TRtMidiService::InputName(int index, std::string& name)
{
    return m_impl->NameAt(m_impl->InputNames, index, name);
}

TMidiResult TRtMidiService::OpenInput(int index, IMidiInputSink& sink, TMidiHandle& handle)
{
    return m_impl->OpenDevice(index, &sink, handle);
}

int TRtMidiService::DeviceChangeDescriptor()
{
    return m_impl->Watch ? m_impl->Watch->Descriptor() : -1;
}

bool TRtMidiService::TakeDeviceChanges()
{
    TImpl& d = *m_impl;
    if (!d.Watch)
        return false;
    d.Watch->Acknowledge();
    if (d.Down())
        d.LetGo();
    const bool noticed = d.Apply(d.Watch->Take());
    return noticed || std::exchange(d.ListChanged, false);
}

TMidiResult TRtMidiService::Reconnect(TMidiHandle handle, int index)
{
    TImpl& d = *m_impl;
    const auto found = d.Handles.find(handle);
    if (found == d.Handles.end() || found->second->Target.empty())
        return kInvalidHandle;
    TRtPort& out = *found->second;
    const std::vector<TImpl::TEntry>& names = d.NamesOf(out);
    if (index < 0 || index >= int(names.size()) || !names[index].Ok)
        return kIndexOutOfRange;
    const std::string& name = names[index].Text;
    if (out.Link == TRtPort::TLink::Connected && out.Target == name)
        return kMidiOk;
    if (d.Down())
        return d.Fail(d.JackWatch->FailureText());
    if (d.Api == RtMidi::UNIX_JACK && !out.Jack)
        return d.Fail("The JACK port could not be opened again");
    if (out.Jack) {
        // Connected only when JACK says so: a client that is quitting still lists its port.
        if (out.Link != TRtPort::TLink::Gone || out.Target != name)
            out.Jack->DisconnectAll();
        std::string failure;
        if (!out.Jack->Connect(name, failure))
            return d.Fail(std::move(failure));
        out.Target = name;
        out.Link = TRtPort::TLink::Connected;
        return kMidiOk;
    }
    try {
        out.Errors.Reset();
        const int port = d.FindPort(out, index);
        if (port < 0)
            return d.Fail(out.Errors.Raised ? out.Errors.Text
                                            : "The MIDI device \"" + name + "\" is not present");
        TQuietCerr quiet;
        // The same RtMidi port is connected again: under JACK no output may be destroyed while
        // the program runs, and a new one would be one more JACK client per return. RtMidi's
        // JACK ports connect the port they have to the new target, so the port keeps its name and
        // the connections other programs made to it; a port whose old target may still be
        // connected (renamed, not gone), and every ALSA port, is closed first.
        if (d.Api != RtMidi::UNIX_JACK || out.Link != TRtPort::TLink::Gone)
            out.Port().closePort();
        out.Port().openPort(unsigned(port), out.IsInput() ? kInputPortName : kPortName);
        if (out.Errors.Raised)
            return d.Fail(out.Errors.Text);
    } catch (const RtMidiError& error) {
        return d.Fail(error.getMessage());
    }
    out.Target = name;
    out.Link = TRtPort::TLink::Connected;
    return kMidiOk;
}

bool TRtMidiService::ServiceLost()
{
    return m_impl->Down();
}

bool TRtMidiService::Revive()
{
    return m_impl->Revive();
}

bool TRtMidiService::HasVirtualPorts()
{
    // Asked right after the device list is taken, which starts the service (or tried to).
    TImpl& d = *m_impl;
    return d.Started && (d.Api == RtMidi::LINUX_ALSA || d.Api == RtMidi::UNIX_JACK ||
                         d.Api == RtMidi::MACOSX_CORE);
}

TMidiResult TRtMidiService::OpenVirtual(const std::string& portName, TMidiHandle& handle)
{
    return Publish(portName, nullptr, handle);
}

TMidiResult TRtMidiService::OpenVirtualInput(const std::string& portName, IMidiInputSink& sink,
                                             TMidiHandle& handle)
{
    return Publish(portName, &sink, handle);
}

TMidiResult TRtMidiService::Publish(const std::string& portName, IMidiInputSink* sink,
                                    TMidiHandle& handle)
{
    TImpl& d = *m_impl;
    if (!HasVirtualPorts())
        return d.Started ? d.Fail("This MIDI system cannot publish ports of its own")
                         : d.Fail("No MIDI output service could be started: " + d.StartFailure);
    // Under JACK each port is a client of its own, which JACK names "Keyrill", "Keyrill-01", ...
    // in the order they connect; the port keeps the given name.
    if (d.Api == RtMidi::UNIX_JACK)
        return d.AddJackHandle(handle, portName, {}, sink);
    return d.AddHandle(
        handle,
        [&](TRtPort& out) -> std::string {
            TQuietCerr quiet;
            out.Port().openVirtualPort(portName);
            return {};
        },
        sink);
}

int TRtMidiService::ShortMessageLength(std::uint8_t status)
{
    return ::ShortMessageLength(status);
}

TMidiResult TRtMidiService::SendShortMessage(TMidiHandle handle, std::uint32_t packed)
{
    const std::uint8_t bytes[3] = {std::uint8_t(packed & 0xFF), std::uint8_t((packed >> 8) & 0xFF),
                                   std::uint8_t((packed >> 16) & 0xFF)};
    const auto found = m_impl->Handles.find(handle);
    if (found == m_impl->Handles.end() || found->second->IsInput())
        return kInvalidHandle;
    if (bytes[0] == 0xF0 || bytes[0] == 0xF7)
        return kSystemExclusive;
    const int length = ShortMessageLength(bytes[0]);
    if (length == 0) {
        char text[64];
        std::snprintf(text, sizeof text, "Not a MIDI status byte (0x%02X)", unsigned(bytes[0]));
        return m_impl->Fail(text);
    }
    return m_impl->Send(*found->second, bytes, std::size_t(length));
}

TMidiResult TRtMidiService::SendMessage(TMidiHandle handle, const std::uint8_t* bytes,
                                        std::size_t size)
{
    const auto found = m_impl->Handles.find(handle);
    if (found == m_impl->Handles.end() || found->second->IsInput())
        return kInvalidHandle;
    if (size == 0)
        return m_impl->Fail("An empty MIDI message");
    return m_impl->Send(*found->second, bytes, size);
}

TMidiResult TRtMidiService::Close(TMidiHandle handle)
{
    TImpl& d = *m_impl;
    const auto found = d.Handles.find(handle);
    if (found == d.Handles.end())
        return kInvalidHandle;
    d.Handles.erase(found);
    return kMidiOk;
}

bool TRtMidiService::ErrorText(TMidiResult code, std::string& text)
{
    const auto found = m_impl->Texts.find(code);
    if (found == m_impl->Texts.end())
        return false;
    text = found->second;
    return true;
}
