#pragma once

#include "midi/MidiService.h"

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

// A MIDI service for tests: devices are just names, every open, close and send is recorded in
// order, and each operation can be told to fail with a given text.
//
//   TFakeMidiService service({"Synth A", "Synth B"});
//   TMidiSystem midi(service);
//   ... send through TOutputs ...
//   EXPECT_EQ(service.Sent().at(0).Bytes, (TFakeMidiService::TBytes{0x90, 0x3C, 0x64}));
//
//   service.FailOpen = "Device busy";       // every open now fails with that text
//   service.FailOpenDevice = 1;             // ... only the open of device 1
//   service.OnCall = [&](const TFakeMidiService::TCall& call) { ... };  // see the state then
//
//   service.VirtualPorts = true;            // the service can publish ports of its own
//   ... EXPECT_EQ(service.SentToPort("Output 2"), ...);   // Device of such calls: kPortDevice
//
//   service.RemoveDevice("Synth B");        // gone: its handles fail until Reconnect
//   service.AddDevice("Synth B");           // back, at the end; each change leaves a notice
//   QCoreApplication::processEvents();      // on the descriptor, as the real service does
//
//   service.InputNames = {"Desk"};          // inputs: listed, opened, removed and added alike
//   service.Inject(0x90, 0x3C, 0x64);       // arrives on every open input that is connected
class TFakeMidiService : public IMidiService
{
public:
    using TBytes = std::array<std::uint8_t, 3>;

    // The device of the calls and messages on a published port (see PortName).
    static constexpr int kPortDevice = -2;

    // The text with which a null, unknown or already closed handle is refused.
    static constexpr const char* kInvalidHandleText = "Invalid MIDI device handle";

    enum class TCallKind { Open, Close, Send };

    // One call of Open, Close or SendShortMessage, as recorded in `Calls()`.
    struct TCall
    {
        TCallKind Kind;
        int Device;         // device index (-1 when the handle was unknown)
        TMidiHandle Handle; // the handle given (Close, Send) or returned (Open, 0 on failure)
        TBytes Bytes;       // Send only: status, data1, data2 unpacked from the packed value
        TMidiResult Result; // what the service answered (kMidiOk on success)
        std::vector<std::uint8_t> Long; // SendMessage only: every byte (Bytes: the first three)
    };

    // One message that went out (a Send that succeeded).
    struct TSent
    {
        int Device;
        TMidiHandle Handle;
        std::uint32_t Packed; // status + data1 * 256 + data2 * 65536, as handed over
        TBytes Bytes;         // the same, unpacked: status, data1, data2
        std::vector<std::uint8_t> Long; // a message of any length (SendMessage): every byte
    };

    explicit TFakeMidiService(std::vector<std::string> deviceNames = {});
    ~TFakeMidiService() override;
    TFakeMidiService(const TFakeMidiService&) = delete;
    TFakeMidiService& operator=(const TFakeMidiService&) = delete;

    void RemoveDevice(const std::string& name);
    void AddDevice(const std::string& name);
    void RemoveInput(const std::string& name);
    void AddInput(const std::string& name);

    // The input devices, and a message arriving (on the caller's thread) on every open input
    // whose device is there, the published one included.
    std::vector<std::string> InputNames;
    std::optional<std::string> FailOpenInput; // every input's open fails with this text
    void Inject(std::uint8_t status, std::uint8_t data1, std::uint8_t data2 = 0);
    // The inputs open now, by device index (kPortDevice: the published one).
    std::vector<int> OpenInputs() const;

    // Configuration: the devices, read at every DeviceCount / DeviceName.
    std::vector<std::string> DeviceNames;
    // Whether the service can publish ports of its own (OpenVirtual).
    bool VirtualPorts = false;
    std::string Api = "alsa"; // what ApiName answers; empty: no API started

    // Failure injection: when set, the operation fails and its code has this text. The
    // *Device fields restrict a failure to one device index (-1: every device).
    std::optional<std::string> FailEnumeration; // DeviceName fails
    std::optional<std::string> FailOpen;
    int FailOpenDevice = -1;
    std::optional<std::string> FailSend;
    int FailSendDevice = -1;
    std::optional<std::string> FailClose;
    // When true, every failure above (and the invalid-handle refusal) comes with a code for
    // which ErrorText has no text: the device layer then treats the operation as successful.
    bool FailuresHaveNoText = false;

    // Called after every Open, Close and Send is recorded, before the result is returned.
    std::function<void(const TCall&)> OnCall;

    // What happened, in order.
    const std::vector<TCall>& Calls() const { return m_calls; }
    const std::vector<TSent>& Sent() const { return m_sent; }
    int DeviceCountCalls() const { return m_deviceCountCalls; }

    // Queries.
    bool IsOpen(int device) const;    // whether the device has an open handle now
    int OpenCount(int device) const;  // successful opens of the device
    int CloseCount(int device) const; // successful closes of the device
    std::vector<TBytes> SentTo(int device) const;
    // Published ports: the name a handle was published under ("" for a device's handle), the
    // bytes that went out on ports of that name, and the names published now, in order.
    std::string PortName(TMidiHandle handle) const;
    std::vector<TBytes> SentToPort(const std::string& name) const;
    std::vector<std::string> OpenPorts() const;
    void ClearRecords(); // forgets the calls, messages and enumerations (not the open handles)

    // IMidiService
    int DeviceCount() override;
    TMidiResult DeviceName(int index, std::string& name) override;
    TMidiResult Open(int index, TMidiHandle& handle) override;
    TMidiResult SendShortMessage(TMidiHandle handle, std::uint32_t packed) override;
    TMidiResult SendMessage(TMidiHandle handle, const std::uint8_t* bytes,
                            std::size_t size) override;
    TMidiResult Close(TMidiHandle handle) override;
    bool ErrorText(TMidiResult code, std::string& text) override;
    bool HasVirtualPorts() override { return VirtualPorts; }
    std::string ApiName() const override { return Api; }
    TMidiResult OpenVirtual(const std::string& portName, TMidiHandle& handle) override;
    int DeviceChangeDescriptor() override { return m_notice[0]; }
    bool TakeDeviceChanges() override;
    TMidiResult Reconnect(TMidiHandle handle, int index) override;
    int InputCount() override { return int(InputNames.size()); }
    TMidiResult InputName(int index, std::string& name) override;
    TMidiResult OpenInput(int index, IMidiInputSink& sink, TMidiHandle& handle) override;
    TMidiResult OpenVirtualInput(const std::string& portName, IMidiInputSink& sink,
                                 TMidiHandle& handle) override;

private:
    void Remove(std::vector<std::string>& names, std::map<TMidiHandle, int>& handles,
                const std::string& name);
    TMidiResult AddInput(int device, IMidiInputSink& sink, TMidiHandle& handle);

    TMidiResult Failure(TMidiResult code) const;
    TMidiResult Record(TCall call);
    TMidiResult Deliver(TCall call, std::uint32_t packed); // a send, short or whole

    std::vector<TCall> m_calls;
    std::vector<TSent> m_sent;
    int m_deviceCountCalls = 0;
    std::map<TMidiHandle, int> m_handles; // open handle -> device index (-1: the device went)
    std::map<TMidiHandle, int> m_inputs;  // the same for the inputs
    std::map<TMidiHandle, IMidiInputSink*> m_sinks;
    int m_notice[2] = {-1, -1};           // the descriptor's pipe
    TMidiHandle m_nextHandle = 0x100;
    std::map<TMidiHandle, std::string> m_portNames; // every handle ever published, kept
};
