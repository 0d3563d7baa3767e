#pragma once

#include "KeyrillVersion.h"
#include "MidiService.h"

#include <array>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// The error of the device layer: its message is the text the caller may show or ignore.
class EMidiError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The number of output slots, and so of ports the virtual entry can publish.
inline constexpr int kVirtualPorts = 4;

// One entry of the device list: the device's name and its handle while it is open. The virtual
// entry (the program's own published ports) has one handle per output slot instead: each slot
// on it publishes a port of its own, "Output 1" to "Output 4".
struct TMidiDevice
{
    std::string Name;
    TMidiHandle Handle = kNoMidiHandle;
    bool Virtual = false;
    std::array<TMidiHandle, kVirtualPorts> PortHandles{}; // virtual entry only, output 1 first

    bool IsOpen() const
    {
        for (const TMidiHandle handle : PortHandles)
            if (handle != kNoMidiHandle)
                return true;
        return Handle != kNoMidiHandle;
    }
};

// The MIDI devices present when the list was taken, by index from 0. Handles belong to device
// indices, not to output slots: two slots naming one index share its handle.
class TMidiDevices
{
public:
    virtual ~TMidiDevices() = default; // releases the list only; open devices stay open
    TMidiDevices(const TMidiDevices&) = delete;
    TMidiDevices& operator=(const TMidiDevices&) = delete;

    virtual void Open(int index) = 0;
    virtual void Close(int index) = 0;

    // Filled once at construction and never refreshed; the position is the device index.
    const std::vector<TMidiDevice>& Devices() const { return m_devices; }

protected:
    TMidiDevices() = default;
    std::vector<TMidiDevice> m_devices;
};

// The output devices of the MIDI service. Every failure of the service is raised as an
// EMidiError carrying the service's text for the result code.
//
// Where the service can publish ports of its own, the list ends with one more entry, the virtual
// output (kVirtualOutputName), after every real device, so real devices keep their indices. The
// operations with an output number address that entry's port for the output; on a real device
// the output number changes nothing. The ones without address output 1's port.
class TMidiOutput : public TMidiDevices
{
public:
    // Enumerates the devices; a failing name query raises and leaves no object.
    explicit TMidiOutput(IMidiService& service);

    void Open(int index) override;  // does nothing when the device is open already
    void Close(int index) override; // hands the service a null handle when not open
    // Opens the device first when it has no handle, then sends one short message.
    void Send(int index, std::uint8_t status, std::uint8_t data1, std::uint8_t data2);

    void OpenForOutput(int index, int output);
    void CloseForOutput(int index, int output);
    void SendForOutput(int index, int output, std::uint8_t status, std::uint8_t data1,
                       std::uint8_t data2);

    // The virtual entry's index (the last one), or -1 when the service has no such ports.
    int VirtualIndex() const;

    // The handle at `index` (kNoMidiHandle when closed); raises outside the list.
    TMidiHandle GetHandle(int index) const;
    // 0 does nothing; another code raises the service's text for it, or, when the service has
    // no text, nothing (the operation counts as successful).
    void CheckResult(TMidiResult code) const;

private:
    TMidiHandle& HandleFor(int index, int output); // raises outside the list

    IMidiService& m_service;
};

// The name of the virtual entry in the device list.
inline constexpr const char* kVirtualOutputName = KEYRILL_PRODUCT_NAME " (virtual output)";

// Owner of the program's one TMidiOutput, made on first use.
class TMidiSystem
{
public:
    explicit TMidiSystem(IMidiService& service);
    ~TMidiSystem();
    TMidiSystem(const TMidiSystem&) = delete;
    TMidiSystem& operator=(const TMidiSystem&) = delete;

    // Constructs the device object on the first call. When construction raises, the error goes
    // to the caller, no object remains and the next call tries again.
    TMidiOutput& GetMidiOutput();
    // Whether the device object exists yet (for tests and diagnostics).
    bool HasMidiOutput() const { return m_output != nullptr; }

private:
    IMidiService& m_service;
    std::unique_ptr<TMidiOutput> m_output;
};
