#pragma once

#include "MidiService.h"

#include <memory>
#include <string>
#include <vector>

class QLibrary;

// The program's MIDI service, kept in a module of its own (keyrill-midi.so: RtMidi, ALSA and
// JACK) that is loaded at the first call, not at start-up: linking those libraries into the
// program cost a noticeable part of the time to the first frame, and a set without an active
// output never needs them. Without the module every call fails with a text that says so.
class TMidiModuleService : public IMidiService
{
public:
    // `apiName` as for the RtMidi service ("alsa", "jack" or empty); `modulePaths` are tried in
    // order.
    TMidiModuleService(std::string apiName, std::vector<std::string> modulePaths);
    ~TMidiModuleService() override;
    TMidiModuleService(const TMidiModuleService&) = delete;
    TMidiModuleService& operator=(const TMidiModuleService&) = delete;

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

    static std::vector<std::string> DefaultPaths(); // as ModulePaths() gives them

    // The failure code of every call while the module is missing.
    static constexpr TMidiResult kModuleMissing = -2;

private:
    IMidiService* Service(); // loads on first use; null when the module is missing
    std::string MissingText() const;

    std::string m_apiName;
    std::vector<std::string> m_paths;
    bool m_tried = false;
    std::string m_loadError;
    std::unique_ptr<QLibrary> m_library;
    std::unique_ptr<IMidiService> m_service;
};
