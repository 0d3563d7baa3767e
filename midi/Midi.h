#pragma once

#include "MidiService.h"

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

// One entry of the device list: the device's name and its handle while it is open.
struct TMidiDevice
{
    std::string Name;
    TMidiHandle Handle = kNoMidiHandle;

    bool IsOpen() const { return Handle != kNoMidiHandle; }
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
class TMidiOutput : public TMidiDevices
{
public:
    // Enumerates the devices; a failing name query raises and leaves no object.
    explicit TMidiOutput(IMidiService& service);

    void Open(int index) override;  // does nothing when the device is open already
    void Close(int index) override; // hands the service a null handle when not open
    // Opens the device first when it has no handle, then sends one short message.
    void Send(int index, std::uint8_t status, std::uint8_t data1, std::uint8_t data2);

    // The handle at `index` (kNoMidiHandle when closed); raises outside the list.
    TMidiHandle GetHandle(int index) const;
    // 0 does nothing; another code raises the service's text for it, or, when the service has
    // no text, nothing (the operation counts as successful).
    void CheckResult(TMidiResult code) const;

private:
    IMidiService& m_service;
};

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
