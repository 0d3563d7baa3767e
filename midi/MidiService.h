#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A result of the MIDI service: 0 is success, anything else a failure whose text the service
// may give (`ErrorText`).
using TMidiResult = int;
inline constexpr TMidiResult kMidiOk = 0;
// What a service without ports of its own answers to OpenVirtual (it has no text for it).
inline constexpr TMidiResult kMidiNoVirtualPorts = -1;
// What a service without inputs answers to OpenInput and OpenVirtualInput.
inline constexpr TMidiResult kMidiNoInputs = -3;

// An open device as the service knows it; kNoMidiHandle is "no handle" (a closed device).
using TMidiHandle = std::uint64_t;
inline constexpr TMidiHandle kNoMidiHandle = 0;

// Where an open input delivers its messages: called on the MIDI service's own thread, one call at
// a time, so it must neither block nor take long. Only channel messages come here, as three
// bytes (a missing second data byte as 0).
class IMidiInputSink
{
public:
    virtual void Received(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) noexcept = 0;

protected:
    ~IMidiInputSink() = default;
};

// The platform seam: what the device layer (TMidiOutput, TMidiInput) needs of the operating
// system's MIDI service. Nothing here throws; every failure is a result code.
class IMidiService
{
public:
    virtual ~IMidiService() = default;

    // Number of output devices present now (0 when the service cannot start).
    virtual int DeviceCount() = 0;
    // Product name of the device at `index` (0 .. DeviceCount() - 1).
    virtual TMidiResult DeviceName(int index, std::string& name) = 0;
    // Opens the device at `index`, without callbacks; on success `handle` is set.
    virtual TMidiResult Open(int index, TMidiHandle& handle) = 0;
    // Sends one short message, packed as status + data1 * 256 + data2 * 65536.
    virtual TMidiResult SendShortMessage(TMidiHandle handle, std::uint32_t packed) = 0;
    // Sends one whole message of any length (a system-exclusive one from F0 to F7).
    virtual TMidiResult SendMessage(TMidiHandle handle, const std::uint8_t* bytes,
                                    std::size_t size) = 0;
    // Closes a handle; an unknown or null handle is refused with the invalid-handle text.
    virtual TMidiResult Close(TMidiHandle handle) = 0;
    // The text of a failure code; false when the service has none for it.
    virtual bool ErrorText(TMidiResult code, std::string& text) = 0;

    // Whether the service can publish output ports of the program's own, which any other program
    // may connect to at any time (none on Windows). Asked after DeviceCount.
    virtual bool HasVirtualPorts() { return false; }
    // Publishes one such port named `portName`; on success `handle` is set, and sending and
    // closing work as on any handle.
    virtual TMidiResult OpenVirtual(const std::string& portName, TMidiHandle& handle)
    {
        (void)portName;
        (void)handle;
        return kMidiNoVirtualPorts;
    }
    // The system MIDI API in use ("alsa", "jack"), or empty while none has started.
    virtual std::string ApiName() const { return {}; }

    // Devices that come and go during the run. The descriptor (asked after DeviceCount; -1 when
    // the service does not tell) becomes readable when devices may have appeared, gone or been
    // renamed; the caller then calls TakeDeviceChanges on its own thread, which consumes the
    // notices and answers whether the device list should be taken again. From the moment a
    // handle's device has gone, every send on the handle fails, until Reconnect points it at a
    // device of the latest list again.
    virtual int DeviceChangeDescriptor() { return -1; }
    virtual bool TakeDeviceChanges() { return false; }
    // Keeps `handle` and connects it to device `index` of the latest list; nothing happens when
    // it is connected to that device already.
    virtual TMidiResult Reconnect(TMidiHandle handle, int index)
    {
        (void)handle;
        (void)index;
        return kMidiOk;
    }

    // Whether the MIDI system itself has gone (the JACK server stopped): no notice comes until
    // Revive reaches it again, which is for the caller to try now and then, never on a send.
    // Revive keeps every handle: a device's is reconnected by Reconnect, a published port is
    // published again.
    virtual bool ServiceLost() { return false; }
    virtual bool Revive() { return false; }

    // Input devices, the sources of messages, listed as the outputs are (InputCount first). A
    // handle of an input is closed by Close, which returns once its sink is called no more, and
    // is reconnected by Reconnect with an index of the input list.
    virtual int InputCount() { return 0; }
    virtual TMidiResult InputName(int index, std::string& name)
    {
        (void)index;
        (void)name;
        return kMidiNoInputs;
    }
    virtual TMidiResult OpenInput(int index, IMidiInputSink& sink, TMidiHandle& handle)
    {
        (void)index;
        (void)sink;
        (void)handle;
        return kMidiNoInputs;
    }
    // Publishes an input port of the program's own (where HasVirtualPorts says so).
    virtual TMidiResult OpenVirtualInput(const std::string& portName, IMidiInputSink& sink,
                                         TMidiHandle& handle)
    {
        (void)portName;
        (void)sink;
        (void)handle;
        return kMidiNoInputs;
    }
};
