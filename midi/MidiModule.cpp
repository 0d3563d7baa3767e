#include "MidiModule.h"

#include "MidiModuleEntry.h"
#include "platform/ModulePaths.h"

#include <QFileInfo>
#include <QLibrary>

#include <cstdio>

TMidiModuleService::TMidiModuleService(std::string apiName, std::vector<std::string> modulePaths)
    : m_apiName(std::move(apiName)), m_paths(std::move(modulePaths))
{
}

// The service goes before the library; the library stays loaded (RtMidi and JACK keep threads
// and handlers of their own to the end of the process).
TMidiModuleService::~TMidiModuleService() = default;

std::vector<std::string> TMidiModuleService::DefaultPaths()
{
    return ModulePaths(KEYRILL_MIDI_MODULE);
}

IMidiService* TMidiModuleService::Service()
{
    if (m_tried)
        return m_service.get();
    m_tried = true;
    for (const std::string& path : m_paths) {
        if (!QFileInfo::exists(QString::fromStdString(path)))
            continue;
        auto library = std::make_unique<QLibrary>(QString::fromStdString(path));
        const auto create = reinterpret_cast<TKeyrillCreateMidiService>(
            library->resolve(KEYRILL_MIDI_ENTRY_NAME));
        if (!create) {
            m_loadError = library->errorString().toStdString();
            continue;
        }
        m_service.reset(create(m_apiName.c_str()));
        m_library = std::move(library);
        return m_service.get();
    }
    if (m_loadError.empty())
        m_loadError = "not found";
    // Said once on standard error too: the boxes that follow only say that outputs fail.
    std::fprintf(stderr, "keyrill: %s\n", MissingText().c_str());
    return nullptr;
}

std::string TMidiModuleService::MissingText() const
{
    return "MIDI support (" KEYRILL_MIDI_MODULE ") could not be loaded: " + m_loadError;
}

int TMidiModuleService::DeviceCount()
{
    IMidiService* service = Service();
    return service ? service->DeviceCount() : 0;
}

TMidiResult TMidiModuleService::DeviceName(int index, std::string& name)
{
    IMidiService* service = Service();
    return service ? service->DeviceName(index, name) : kModuleMissing;
}

TMidiResult TMidiModuleService::Open(int index, TMidiHandle& handle)
{
    IMidiService* service = Service();
    return service ? service->Open(index, handle) : kModuleMissing;
}

TMidiResult TMidiModuleService::SendShortMessage(TMidiHandle handle, std::uint32_t packed)
{
    IMidiService* service = Service();
    return service ? service->SendShortMessage(handle, packed) : kModuleMissing;
}

TMidiResult TMidiModuleService::SendMessage(TMidiHandle handle, const std::uint8_t* bytes,
                                            std::size_t size)
{
    IMidiService* service = Service();
    return service ? service->SendMessage(handle, bytes, size) : kModuleMissing;
}

TMidiResult TMidiModuleService::Close(TMidiHandle handle)
{
    IMidiService* service = Service();
    return service ? service->Close(handle) : kModuleMissing;
}

bool TMidiModuleService::ErrorText(TMidiResult code, std::string& text)
{
    if (IMidiService* service = Service())
        return service->ErrorText(code, text);
    if (code != kModuleMissing)
        return false;
    text = MissingText();
    return true;
}

bool TMidiModuleService::HasVirtualPorts()
{
    IMidiService* service = Service();
    return service && service->HasVirtualPorts();
}

TMidiResult TMidiModuleService::OpenVirtual(const std::string& portName, TMidiHandle& handle)
{
    IMidiService* service = Service();
    return service ? service->OpenVirtual(portName, handle) : kModuleMissing;
}

std::string TMidiModuleService::ApiName() const
{
    return m_service ? m_service->ApiName() : std::string();
}

int TMidiModuleService::DeviceChangeDescriptor()
{
    IMidiService* service = Service();
    return service ? service->DeviceChangeDescriptor() : -1;
}

bool TMidiModuleService::TakeDeviceChanges()
{
    IMidiService* service = Service();
    return service && service->TakeDeviceChanges();
}

TMidiResult TMidiModuleService::Reconnect(TMidiHandle handle, int index)
{
    IMidiService* service = Service();
    return service ? service->Reconnect(handle, index) : kModuleMissing;
}

bool TMidiModuleService::ServiceLost()
{
    IMidiService* service = Service();
    return service && service->ServiceLost();
}

bool TMidiModuleService::Revive()
{
    IMidiService* service = Service();
    return service && service->Revive();
}

int TMidiModuleService::InputCount()
{
    IMidiService* service = Service();
    return service ? service->InputCount() : 0;
}

TMidiResult TMidiModuleService::InputName(int index, std::string& name)
{
    IMidiService* service = Service();
    return service ? service->InputName(index, name) : kModuleMissing;
}

TMidiResult TMidiModuleService::OpenInput(int index, IMidiInputSink& sink, TMidiHandle& handle)
{
    IMidiService* service = Service();
    return service ? service->OpenInput(index, sink, handle) : kModuleMissing;
}

TMidiResult TMidiModuleService::OpenVirtualInput(const std::string& portName, IMidiInputSink& sink,
                                                 TMidiHandle& handle)
{
    IMidiService* service = Service();
    return service ? service->OpenVirtualInput(portName, sink, handle) : kModuleMissing;
}
