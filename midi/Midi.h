#pragma once

#include "KeyrillVersion.h"
#include "MidiService.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
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
// on it publishes a port of its own, "Output 1" to "Output 4". The virtual input has one port,
// the first.
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

class QSocketNotifier;
class QTimer;

// The MIDI devices of one direction present when the list was taken, by index from 0. Handles
// belong to device indices, not to output slots: two slots naming one index share its handle.
// Every failure of the service is raised as an EMidiError carrying the service's text for the
// result code.
//
// Where the service can publish ports of its own, the list ends with one more entry, the virtual
// one, after every real device, so real devices keep their indices.
class TMidiDevices
{
public:
    virtual ~TMidiDevices() = default; // releases the list only; open devices stay open
    TMidiDevices(const TMidiDevices&) = delete;
    TMidiDevices& operator=(const TMidiDevices&) = delete;

    virtual void Open(int index) = 0;
    virtual void Close(int index) = 0;

    // Filled at construction and taken again when the service reports that devices came or
    // went (Refresh); the position is the device index.
    const std::vector<TMidiDevice>& Devices() const { return m_devices; }

    // The virtual entry's index (the last one), or -1 when the service has no such ports.
    int VirtualIndex() const;
    // The index of the real device that a stored name (and the index stored with it) means now,
    // by the rules of FindDeviceByName; -1 when it is not present.
    int FindDevice(const std::string& name, int storedIndex) const;

    // Takes the list again, after the service reported that devices came or went. A handle
    // follows its device by name to its new index; the handle of a device that has gone is kept
    // aside until a device of that name is back, which then gets it, reconnected (no new handle
    // per return). Returns whether the list changed; when it cannot be taken, the old one stays.
    bool Refresh();
    // Counts the lists taken: changes with every Refresh that changed the list.
    unsigned Generation() const { return m_generation; }

    // The handle at `index` (kNoMidiHandle when closed); raises outside the list.
    TMidiHandle GetHandle(int index) const;
    // 0 does nothing; another code raises the service's text for it, or, when the service has
    // no text, nothing (the operation counts as successful).
    void CheckResult(TMidiResult code) const;

protected:
    enum class TDirection { Outputs, Inputs };
    // Takes the list; a failing name query raises and leaves no object.
    TMidiDevices(IMidiService& service, TDirection direction);
    // Removes every handle from the list and from those kept aside, and returns them.
    std::vector<TMidiHandle> TakeHandles();

    IMidiService& m_service;
    std::vector<TMidiDevice> m_devices;

private:
    std::vector<TMidiDevice> Enumerate() const;

    // The handle of a device that went away, with the name and index it had.
    struct TAsideHandle
    {
        std::string Name;
        int Index;
        TMidiHandle Handle;
    };

    TDirection m_direction;
    std::vector<TAsideHandle> m_aside;
    unsigned m_generation = 1;
};

// The output devices of the MIDI service. The operations with an output number address the
// virtual entry's port for the output; on a real device the output number changes nothing. The
// ones without address output 1's port.
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
    // One whole message of any length; a short one goes as the short message it is.
    void SendForOutput(int index, int output, std::span<const std::uint8_t> bytes);

private:
    TMidiHandle& HandleFor(int index, int output); // raises outside the list
};

// The input devices of the MIDI service, the sources of messages. An open input hands what it
// receives to the sink, on the service's own thread; the virtual entry publishes the program's
// own input port ("Input").
class TMidiInput : public TMidiDevices
{
public:
    explicit TMidiInput(IMidiService& service);

    // Where every input opened from now on delivers; an open input keeps the sink it was
    // opened with until it is closed.
    void SetSink(IMidiInputSink* sink) { m_sink = sink; }

    void Open(int index) override;  // does nothing when the device is open already
    void Close(int index) override; // returns once the sink is called no more; raises when closed
    // Closes every input this object has open, those whose device is away included; failures
    // are ignored (a handle the service no longer knows is closed all the same).
    void CloseAll();
    // Whether an input of the list is open now.
    bool AnyOpen() const;

private:
    TMidiHandle& HandleAt(int index); // raises outside the list

    IMidiInputSink* m_sink = nullptr;
};

// The names of the virtual entries in the device lists.
inline constexpr const char* kVirtualOutputName = KEYRILL_PRODUCT_NAME " (virtual output)";
inline constexpr const char* kVirtualInputName = KEYRILL_PRODUCT_NAME " (virtual input)";

// Owner of the program's one TMidiOutput and one TMidiInput, each made on first use.
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
    // The same for the input devices.
    TMidiInput& GetMidiInput();
    bool HasMidiInput() const { return m_input != nullptr; }

    // Called on this thread after the service's notice of a device change has been handled
    // (the list taken again, returned devices reconnected). The id is for RemoveDevicesListener.
    int AddDevicesListener(std::function<void()> listener);
    void RemoveDevicesListener(int id);
    // Handles the service's notice: what the notifier on its descriptor runs, queued on the
    // thread that made the device object, never on the service's own threads.
    void DevicesMayHaveChanged();

private:
    template <typename TDevices> TDevices& MadeOnce(std::unique_ptr<TDevices>& devices);
    void WatchDevices();
    void TakeListsAgain(); // and tells the listeners

    IMidiService& m_service;
    std::unique_ptr<TMidiOutput> m_output;
    std::unique_ptr<TMidiInput> m_input;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::unique_ptr<QTimer> m_revive; // while the MIDI system is away
    std::vector<std::pair<int, std::function<void()>>> m_listeners;
    int m_nextListener = 1;
};
