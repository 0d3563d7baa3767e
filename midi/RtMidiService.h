#pragma once

#include "MidiService.h"

#include <memory>
#include <string>

// The MIDI service of this platform, over RtMidi. By default it uses the system's default MIDI
// API and, when that cannot start (no ALSA sequencer), RtMidi's other compiled APIs in turn (JACK
// on Linux); given an API's name ("alsa", "jack") it uses that one only. A handle is one open
// RtMidi output or input (under JACK a port of the program's own, TJackPort, whose connections are
// checked), connected to the device's port or publishing a port of its own. No RtMidi error leaves
// this class: each becomes the text of a failure code.
class TRtMidiService : public IMidiService
{
public:
    explicit TRtMidiService(const std::string& apiName = {});
    ~TRtMidiService() override;
    TRtMidiService(const TRtMidiService&) = delete;
    TRtMidiService& operator=(const TRtMidiService&) = delete;

    int DeviceCount() override;
    TMidiResult DeviceName(int index, std::string& name) override;
    TMidiResult Open(int index, TMidiHandle& handle) override;
    TMidiResult SendShortMessage(TMidiHandle handle, std::uint32_t packed) override;
    TMidiResult SendMessage(TMidiHandle handle, const std::uint8_t* bytes,
                            std::size_t size) override;
    TMidiResult Close(TMidiHandle handle) override;
    bool ErrorText(TMidiResult code, std::string& text) override;
    bool HasVirtualPorts() override;
    TMidiResult OpenVirtual(const std::string& portName, TMidiHandle& handle) override;

    std::string ApiName() const override;
    int DeviceChangeDescriptor() override;
    bool TakeDeviceChanges() override;
    TMidiResult Reconnect(TMidiHandle handle, int index) override;
    bool ServiceLost() override;
    bool Revive() override;
    int InputCount() override;
    TMidiResult InputName(int index, std::string& name) override;
    TMidiResult OpenInput(int index, IMidiInputSink& sink, TMidiHandle& handle) override;
    TMidiResult OpenVirtualInput(const std::string& portName, IMidiInputSink& sink,
                                 TMidiHandle& handle) override;

    // How many bytes of a short message go on the wire for this status byte: 1 to 3, or 0 when
    // the status cannot start a short message (a data byte, or 0xF0 / 0xF7 of system exclusive).
    static int ShortMessageLength(std::uint8_t status);

private:
    struct TImpl;
    TMidiResult Publish(const std::string& portName, IMidiInputSink* sink, TMidiHandle& handle);

    std::unique_ptr<TImpl> m_impl;
};
