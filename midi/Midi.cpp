#include "Midi.h"

#include "model/MidiCatalogue.h"

#include <cstdio>
#include <cstring>

namespace {

std::string Format(const char* format, const char* text, int number)
{
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, format, text, number);
    return buffer;
}

std::string Format(const char* format, int number)
{
    char buffer[80];
    std::snprintf(buffer, sizeof buffer, format, number);
    return buffer;
}

// The virtual entry's port of an output: only the slots' numbers reach here, anything else
// shares output 1's port.
int PortOf(int output)
{
    return output >= 1 && output <= kVirtualPorts ? output : 1;
}

} // namespace

TMidiOutput::TMidiOutput(IMidiService& service) : m_service(service)
{
    const int count = m_service.DeviceCount();
    m_devices.reserve(count > 0 ? std::size_t(count) : 0);
    for (int index = 0; index < count; ++index) {
        std::string name;
        CheckResult(m_service.DeviceName(index, name));
        // The name runs up to its first zero byte, as the platform's name field does.
        name.resize(std::strlen(name.c_str()));
        TMidiDevice device;
        device.Name = std::move(name);
        m_devices.push_back(std::move(device));
    }
    if (m_service.HasVirtualPorts()) {
        TMidiDevice device;
        device.Name = kVirtualOutputName;
        device.Virtual = true;
        m_devices.push_back(std::move(device));
    }
}

int TMidiOutput::VirtualIndex() const
{
    return !m_devices.empty() && m_devices.back().Virtual ? int(m_devices.size()) - 1 : -1;
}

TMidiHandle TMidiOutput::GetHandle(int index) const
{
    if (index < 0 || index >= int(m_devices.size()))
        throw EMidiError(Format("%s: Device index out of bounds! (%d)", "TMidiOutput", index));
    const TMidiDevice& device = m_devices[std::size_t(index)];
    return device.Virtual ? device.PortHandles[0] : device.Handle;
}

TMidiHandle& TMidiOutput::HandleFor(int index, int output)
{
    GetHandle(index); // raises outside the list
    TMidiDevice& device = m_devices[std::size_t(index)];
    if (!device.Virtual)
        return device.Handle;
    return device.PortHandles[std::size_t(PortOf(output) - 1)];
}

void TMidiOutput::CheckResult(TMidiResult code) const
{
    if (code == kMidiOk)
        return;
    std::string text;
    if (m_service.ErrorText(code, text))
        throw EMidiError(text);
}

void TMidiOutput::Open(int index)
{
    OpenForOutput(index, 1);
}

void TMidiOutput::Close(int index)
{
    CloseForOutput(index, 1);
}

void TMidiOutput::Send(int index, std::uint8_t status, std::uint8_t data1, std::uint8_t data2)
{
    SendForOutput(index, 1, status, data1, data2);
}

void TMidiOutput::OpenForOutput(int index, int output)
{
    TMidiHandle& slot = HandleFor(index, output);
    if (slot != kNoMidiHandle)
        return;
    TMidiHandle handle = kNoMidiHandle;
    if (m_devices[std::size_t(index)].Virtual) {
        CheckResult(m_service.OpenVirtual("Output " + std::to_string(PortOf(output)), handle));
    } else {
        CheckResult(m_service.Open(index, handle));
    }
    slot = handle;
}

void TMidiOutput::CloseForOutput(int index, int output)
{
    TMidiHandle& slot = HandleFor(index, output);
    CheckResult(m_service.Close(slot));
    slot = kNoMidiHandle;
}

void TMidiOutput::SendForOutput(int index, int output, std::uint8_t status, std::uint8_t data1,
                                std::uint8_t data2)
{
    if (index < 0 || index >= int(m_devices.size()))
        throw EMidiError(Format("List index out of bounds (%d)", index));
    if (HandleFor(index, output) == kNoMidiHandle)
        OpenForOutput(index, output);
    const TShortMessage message{status, data1, data2};
    CheckResult(m_service.SendShortMessage(HandleFor(index, output), message.Packed()));
}

TMidiSystem::TMidiSystem(IMidiService& service) : m_service(service)
{}

TMidiSystem::~TMidiSystem() = default;

TMidiOutput& TMidiSystem::GetMidiOutput()
{
    if (!m_output)
        m_output = std::make_unique<TMidiOutput>(m_service);
    return *m_output;
}
