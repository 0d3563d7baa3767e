#include "FakeMidiService.h"

#include <algorithm>
#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr TMidiResult kInvalidHandle = 1;
constexpr TMidiResult kIndexOutOfRange = 2;
constexpr TMidiResult kEnumerationFailed = 10;
constexpr TMidiResult kOpenFailed = 11;
constexpr TMidiResult kSendFailed = 12;
constexpr TMidiResult kCloseFailed = 13;
constexpr TMidiResult kNotConnected = 14;
constexpr TMidiResult kOpenInputFailed = 15;
constexpr TMidiResult kNoText = 99;

TFakeMidiService::TBytes Unpack(std::uint32_t packed)
{
    return {std::uint8_t(packed & 0xFF), std::uint8_t((packed >> 8) & 0xFF),
            std::uint8_t((packed >> 16) & 0xFF)};
}
} // namespace

TFakeMidiService::TFakeMidiService(std::vector<std::string> deviceNames)
    : DeviceNames(std::move(deviceNames))
{
    if (::pipe2(m_notice, O_CLOEXEC | O_NONBLOCK) != 0)
        m_notice[0] = m_notice[1] = -1;
}

TFakeMidiService::~TFakeMidiService()
{
    ::close(m_notice[0]);
    ::close(m_notice[1]);
}

void TFakeMidiService::Remove(std::vector<std::string>& names, std::map<TMidiHandle, int>& handles,
                              const std::string& name)
{
    const auto found = std::find(names.begin(), names.end(), name);
    if (found == names.end())
        return;
    const int index = int(found - names.begin());
    names.erase(found);
    for (auto& [handle, device] : handles)
        if (device >= 0)
            device = device == index ? -1 : device - (device > index ? 1 : 0);
    [[maybe_unused]] const ssize_t written = ::write(m_notice[1], "-", 1);
}

void TFakeMidiService::RemoveDevice(const std::string& name)
{
    Remove(DeviceNames, m_handles, name);
}

void TFakeMidiService::RemoveInput(const std::string& name)
{
    Remove(InputNames, m_inputs, name);
}

void TFakeMidiService::AddDevice(const std::string& name)
{
    DeviceNames.push_back(name);
    [[maybe_unused]] const ssize_t written = ::write(m_notice[1], "+", 1);
}

void TFakeMidiService::AddInput(const std::string& name)
{
    InputNames.push_back(name);
    [[maybe_unused]] const ssize_t written = ::write(m_notice[1], "+", 1);
}

TMidiResult TFakeMidiService::InputName(int index, std::string& name)
{
    if (index < 0 || index >= int(InputNames.size()))
        return Failure(kIndexOutOfRange);
    name = InputNames[std::size_t(index)];
    return kMidiOk;
}

TMidiResult TFakeMidiService::AddInput(int device, IMidiInputSink& sink, TMidiHandle& handle)
{
    if (FailOpenInput)
        return Failure(kOpenInputFailed);
    handle = m_nextHandle++;
    m_inputs[handle] = device;
    m_sinks[handle] = &sink;
    return kMidiOk;
}

TMidiResult TFakeMidiService::OpenInput(int index, IMidiInputSink& sink, TMidiHandle& handle)
{
    if (index < 0 || index >= int(InputNames.size()))
        return Failure(kIndexOutOfRange);
    return AddInput(index, sink, handle);
}

TMidiResult TFakeMidiService::OpenVirtualInput(const std::string&, IMidiInputSink& sink,
                                               TMidiHandle& handle)
{
    return VirtualPorts ? AddInput(kPortDevice, sink, handle) : kMidiNoInputs;
}

void TFakeMidiService::Inject(std::uint8_t status, std::uint8_t data1, std::uint8_t data2)
{
    for (const auto& [handle, device] : m_inputs)
        if (device != -1)
            m_sinks.at(handle)->Received(status, data1, data2);
}

std::vector<int> TFakeMidiService::OpenInputs() const
{
    std::vector<int> devices;
    for (const auto& [handle, device] : m_inputs)
        devices.push_back(device);
    return devices;
}

bool TFakeMidiService::TakeDeviceChanges()
{
    char bytes[16];
    bool changed = false;
    while (::read(m_notice[0], bytes, sizeof bytes) > 0)
        changed = true;
    return changed;
}

TMidiResult TFakeMidiService::Reconnect(TMidiHandle handle, int index)
{
    if (const auto input = m_inputs.find(handle); input != m_inputs.end()) {
        if (index < 0 || index >= int(InputNames.size()))
            return Failure(kInvalidHandle);
        input->second = index;
        return kMidiOk;
    }
    const auto found = m_handles.find(handle);
    if (found == m_handles.end() || index < 0 || index >= int(DeviceNames.size()))
        return Failure(kInvalidHandle);
    found->second = index;
    return kMidiOk;
}

TMidiResult TFakeMidiService::Failure(TMidiResult code) const
{
    return FailuresHaveNoText ? kNoText : code;
}

TMidiResult TFakeMidiService::Record(TCall call)
{
    m_calls.push_back(call);
    if (OnCall)
        OnCall(m_calls.back());
    return call.Result;
}

int TFakeMidiService::DeviceCount()
{
    ++m_deviceCountCalls;
    return int(DeviceNames.size());
}

TMidiResult TFakeMidiService::DeviceName(int index, std::string& name)
{
    if (FailEnumeration)
        return Failure(kEnumerationFailed);
    if (index < 0 || index >= int(DeviceNames.size()))
        return Failure(kIndexOutOfRange);
    name = DeviceNames[std::size_t(index)];
    return kMidiOk;
}

TMidiResult TFakeMidiService::Open(int index, TMidiHandle& handle)
{
    TCall call{TCallKind::Open, index, kNoMidiHandle, {}, kMidiOk, {}};
    if (index < 0 || index >= int(DeviceNames.size()))
        call.Result = Failure(kIndexOutOfRange);
    else if (FailOpen && (FailOpenDevice == -1 || FailOpenDevice == index))
        call.Result = Failure(kOpenFailed);
    else {
        call.Handle = handle = m_nextHandle++;
        m_handles[call.Handle] = index;
    }
    return Record(call);
}

TMidiResult TFakeMidiService::OpenVirtual(const std::string& portName, TMidiHandle& handle)
{
    TCall call{TCallKind::Open, kPortDevice, kNoMidiHandle, {}, kMidiOk, {}};
    if (!VirtualPorts)
        call.Result = kMidiNoVirtualPorts;
    else if (FailOpen && (FailOpenDevice == -1 || FailOpenDevice == kPortDevice))
        call.Result = Failure(kOpenFailed);
    else {
        call.Handle = handle = m_nextHandle++;
        m_handles[call.Handle] = kPortDevice;
        m_portNames[call.Handle] = portName;
    }
    return Record(call);
}

TMidiResult TFakeMidiService::SendShortMessage(TMidiHandle handle, std::uint32_t packed)
{
    return Deliver({TCallKind::Send, -1, handle, Unpack(packed), kMidiOk, {}}, packed);
}

TMidiResult TFakeMidiService::SendMessage(TMidiHandle handle, const std::uint8_t* bytes,
                                          std::size_t size)
{
    TCall call{TCallKind::Send, -1, handle, {}, kMidiOk, {}};
    call.Long.assign(bytes, bytes + size);
    std::copy_n(bytes, std::min<std::size_t>(size, 3), call.Bytes.begin());
    return Deliver(std::move(call), 0);
}

TMidiResult TFakeMidiService::Deliver(TCall call, std::uint32_t packed)
{
    const auto found = m_handles.find(call.Handle);
    call.Device = found == m_handles.end() ? -1 : found->second;
    if (found == m_handles.end())
        call.Result = Failure(kInvalidHandle);
    else if (found->second == -1)
        call.Result = Failure(kNotConnected);
    else if (FailSend && (FailSendDevice < 0 || FailSendDevice == call.Device))
        call.Result = Failure(kSendFailed);
    else
        m_sent.push_back({call.Device, call.Handle, packed, call.Bytes, call.Long});
    return Record(call);
}

TMidiResult TFakeMidiService::Close(TMidiHandle handle)
{
    if (m_inputs.erase(handle) > 0) {
        m_sinks.erase(handle);
        return kMidiOk;
    }
    const auto found = m_handles.find(handle);
    TCall call{
        TCallKind::Close, found == m_handles.end() ? -1 : found->second, handle, {}, kMidiOk, {}};
    if (found == m_handles.end())
        call.Result = Failure(kInvalidHandle);
    else if (FailClose)
        call.Result = Failure(kCloseFailed);
    else
        m_handles.erase(found);
    return Record(call);
}

bool TFakeMidiService::ErrorText(TMidiResult code, std::string& text)
{
    switch (code) {
    case kInvalidHandle:
        text = kInvalidHandleText;
        return true;
    case kIndexOutOfRange:
        text = "Device index out of range";
        return true;
    case kEnumerationFailed:
        text = FailEnumeration.value_or("");
        return true;
    case kOpenFailed:
        text = FailOpen.value_or("");
        return true;
    case kSendFailed:
        text = FailSend.value_or("");
        return true;
    case kCloseFailed:
        text = FailClose.value_or("");
        return true;
    case kNotConnected:
        text = "The MIDI device is not connected";
        return true;
    case kOpenInputFailed:
        text = FailOpenInput.value_or("");
        return true;
    default:
        return false;
    }
}

bool TFakeMidiService::IsOpen(int device) const
{
    return std::any_of(m_handles.begin(), m_handles.end(),
                       [device](const auto& entry) { return entry.second == device; });
}

int TFakeMidiService::OpenCount(int device) const
{
    return int(std::count_if(m_calls.begin(), m_calls.end(), [device](const TCall& call) {
        return call.Kind == TCallKind::Open && call.Device == device && call.Result == kMidiOk;
    }));
}

int TFakeMidiService::CloseCount(int device) const
{
    return int(std::count_if(m_calls.begin(), m_calls.end(), [device](const TCall& call) {
        return call.Kind == TCallKind::Close && call.Device == device && call.Result == kMidiOk;
    }));
}

std::vector<TFakeMidiService::TBytes> TFakeMidiService::SentTo(int device) const
{
    std::vector<TBytes> bytes;
    for (const TSent& sent : m_sent)
        if (sent.Device == device)
            bytes.push_back(sent.Bytes);
    return bytes;
}

std::string TFakeMidiService::PortName(TMidiHandle handle) const
{
    const auto found = m_portNames.find(handle);
    return found == m_portNames.end() ? std::string() : found->second;
}

std::vector<TFakeMidiService::TBytes> TFakeMidiService::SentToPort(const std::string& name) const
{
    std::vector<TBytes> bytes;
    for (const TSent& sent : m_sent)
        if (sent.Device == kPortDevice && PortName(sent.Handle) == name)
            bytes.push_back(sent.Bytes);
    return bytes;
}

std::vector<std::string> TFakeMidiService::OpenPorts() const
{
    std::vector<std::string> names;
    for (const auto& [handle, device] : m_handles)
        if (device == kPortDevice)
            names.push_back(PortName(handle));
    return names;
}

void TFakeMidiService::ClearRecords()
{
    m_calls.clear();
    m_sent.clear();
    m_deviceCountCalls = 0;
}
