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
        m_devices.push_back({std::move(name), kNoMidiHandle});
    }
}

TMidiHandle TMidiOutput::GetHandle(int index) const
{
    if (index < 0 || index >= int(m_devices.size()))
        throw EMidiError(Format("%s: Device index out of bounds! (%d)", "TMidiOutput", index));
    return m_devices[std::size_t(index)].Handle;
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
    if (GetHandle(index) != kNoMidiHandle)
        return;
    TMidiHandle handle = kNoMidiHandle;
    CheckResult(m_service.Open(index, handle));
    m_devices[std::size_t(index)].Handle = handle;
}

void TMidiOutput::Close(int index)
{
    const TMidiHandle handle = GetHandle(index);
    CheckResult(m_service.Close(handle));
    m_devices[std::size_t(index)].Handle = kNoMidiHandle;
}

void TMidiOutput::Send(int index, std::uint8_t status, std::uint8_t data1, std::uint8_t data2)
{
    if (index < 0 || index >= int(m_devices.size()))
        throw EMidiError(Format("List index out of bounds (%d)", index));
    if (!m_devices[std::size_t(index)].IsOpen())
        Open(index);
    const TShortMessage message{status, data1, data2};
    CheckResult(m_service.SendShortMessage(GetHandle(index), message.Packed()));
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
