#include "Midi.h"

#include "DeviceNames.h"
#include "model/MidiCatalogue.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

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

TMidiDevices::TMidiDevices(IMidiService& service, TDirection direction)
    : m_service(service), m_direction(direction)
{
    m_devices = Enumerate();
}

std::vector<TMidiDevice> TMidiDevices::Enumerate() const
{
    const bool outputs = m_direction == TDirection::Outputs;
    std::vector<TMidiDevice> devices;
    const int count = outputs ? m_service.DeviceCount() : m_service.InputCount();
    devices.reserve(count > 0 ? std::size_t(count) + 1 : 1);
    for (int index = 0; index < count; ++index) {
        std::string name;
        CheckResult(outputs ? m_service.DeviceName(index, name) : m_service.InputName(index, name));
        // The name runs up to its first zero byte, as the platform's name field does.
        name.resize(std::strlen(name.c_str()));
        TMidiDevice device;
        device.Name = std::move(name);
        devices.push_back(std::move(device));
    }
    if (m_service.HasVirtualPorts()) {
        TMidiDevice device;
        device.Name = outputs ? kVirtualOutputName : kVirtualInputName;
        device.Virtual = true;
        devices.push_back(std::move(device));
    }
    return devices;
}

int TMidiDevices::VirtualIndex() const
{
    return !m_devices.empty() && m_devices.back().Virtual ? int(m_devices.size()) - 1 : -1;
}

namespace {

std::vector<std::string> RealNames(const std::vector<TMidiDevice>& devices)
{
    std::vector<std::string> names;
    for (const TMidiDevice& device : devices)
        if (!device.Virtual)
            names.push_back(device.Name);
    return names;
}

} // namespace

int TMidiDevices::FindDevice(const std::string& name, int storedIndex) const
{
    return FindDeviceByName(RealNames(m_devices), name, storedIndex);
}

bool TMidiDevices::Refresh()
{
    std::vector<TMidiDevice> fresh;
    try {
        fresh = Enumerate();
    } catch (const EMidiError&) {
        return false;
    }
    const bool changed = RealNames(fresh) != RealNames(m_devices);
    for (std::size_t index = 0; index < m_devices.size(); ++index) {
        TMidiDevice& old = m_devices[index];
        if (old.Virtual && !fresh.empty() && fresh.back().Virtual)
            fresh.back().PortHandles = old.PortHandles;
        else if (!old.Virtual && old.Handle != kNoMidiHandle)
            m_aside.push_back({old.Name, int(index), old.Handle});
    }
    // Each handle goes to a device of its name that has none yet: a device taken is left out of
    // the names searched.
    std::vector<std::string> free = RealNames(fresh);
    for (auto aside = m_aside.begin(); aside != m_aside.end();) {
        const int index = FindDeviceByName(free, aside->Name, aside->Index);
        if (index < 0) {
            ++aside;
            continue;
        }
        fresh[std::size_t(index)].Handle = aside->Handle;
        free[std::size_t(index)].clear();
        aside = m_aside.erase(aside);
    }
    m_devices = std::move(fresh);
    // A handle whose device went and came back between two notices is reconnected too; the
    // service does nothing for one that stayed connected. A refusal shows at the next send.
    for (int index = 0; index < int(m_devices.size()); ++index) {
        const TMidiDevice& device = m_devices[std::size_t(index)];
        if (!device.Virtual && device.Handle != kNoMidiHandle)
            m_service.Reconnect(device.Handle, index);
    }
    if (changed)
        ++m_generation;
    return changed;
}

TMidiHandle TMidiDevices::GetHandle(int index) const
{
    if (index < 0 || index >= int(m_devices.size()))
        throw EMidiError(Format("%s: Device index out of bounds! (%d)",
                                m_direction == TDirection::Outputs ? "TMidiOutput" : "TMidiInput",
                                index));
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

void TMidiDevices::CheckResult(TMidiResult code) const
{
    if (code == kMidiOk)
        return;
    std::string text;
    if (m_service.ErrorText(code, text))
        throw EMidiError(text);
}

TMidiOutput::TMidiOutput(IMidiService& service) : TMidiDevices(service, TDirection::Outputs)
{}

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

void TMidiOutput::SendForOutput(int index, int output, std::span<const std::uint8_t> bytes)
{
    if (bytes.empty())
        throw EMidiError("An empty MIDI message");
    if (const auto message = AsShortMessage(bytes)) {
        SendForOutput(index, output, message->Status, message->Data1, message->Data2);
        return;
    }
    if (index < 0 || index >= int(m_devices.size()))
        throw EMidiError(Format("List index out of bounds (%d)", index));
    if (HandleFor(index, output) == kNoMidiHandle)
        OpenForOutput(index, output);
    CheckResult(m_service.SendMessage(HandleFor(index, output), bytes.data(), bytes.size()));
}

TMidiInput::TMidiInput(IMidiService& service) : TMidiDevices(service, TDirection::Inputs)
{}

TMidiHandle& TMidiInput::HandleAt(int index)
{
    GetHandle(index); // raises outside the list
    TMidiDevice& device = m_devices[std::size_t(index)];
    return device.Virtual ? device.PortHandles[0] : device.Handle;
}

void TMidiInput::Open(int index)
{
    TMidiHandle& slot = HandleAt(index);
    if (slot != kNoMidiHandle)
        return;
    if (!m_sink)
        throw EMidiError("No receiver for the MIDI input");
    TMidiHandle handle = kNoMidiHandle;
    const TMidiResult result = m_devices[std::size_t(index)].Virtual
                                   ? m_service.OpenVirtualInput("Input", *m_sink, handle)
                                   : m_service.OpenInput(index, *m_sink, handle);
    CheckResult(result);
    // Unlike a send, an input that did not open is no success even when the service has no
    // text for its failure: nothing would ever arrive.
    if (result != kMidiOk || handle == kNoMidiHandle)
        throw EMidiError("The MIDI input could not be opened");
    slot = handle;
}

void TMidiInput::Close(int index)
{
    TMidiHandle& slot = HandleAt(index);
    CheckResult(m_service.Close(slot));
    slot = kNoMidiHandle;
}

void TMidiInput::CloseAll()
{
    for (const TMidiHandle handle : TakeHandles())
        m_service.Close(handle);
}

bool TMidiInput::AnyOpen() const
{
    return std::any_of(m_devices.begin(), m_devices.end(),
                       [](const TMidiDevice& device) { return device.IsOpen(); });
}

std::vector<TMidiHandle> TMidiDevices::TakeHandles()
{
    std::vector<TMidiHandle> handles;
    for (TMidiDevice& device : m_devices)
        for (TMidiHandle* handle : {&device.Handle, &device.PortHandles[0], &device.PortHandles[1],
                                    &device.PortHandles[2], &device.PortHandles[3]})
            if (*handle != kNoMidiHandle)
                handles.push_back(std::exchange(*handle, kNoMidiHandle));
    for (const TAsideHandle& aside : std::exchange(m_aside, {}))
        handles.push_back(aside.Handle);
    return handles;
}

TMidiSystem::TMidiSystem(IMidiService& service) : m_service(service)
{}

TMidiSystem::~TMidiSystem() = default;

template <typename TDevices> TDevices& TMidiSystem::MadeOnce(std::unique_ptr<TDevices>& devices)
{
    if (!devices) {
        devices = std::make_unique<TDevices>(m_service); // raises: no object, tried again later
        WatchDevices();
    }
    return *devices;
}

TMidiOutput& TMidiSystem::GetMidiOutput()
{
    return MadeOnce(m_output);
}

TMidiInput& TMidiSystem::GetMidiInput()
{
    return MadeOnce(m_input);
}

void TMidiSystem::WatchDevices()
{
    // The service tells of device changes on a descriptor of its own: watching it from the event
    // loop hands each notice to this thread as a queued event, and costs a send nothing.
    const int descriptor = m_service.DeviceChangeDescriptor();
    if (m_notifier || descriptor < 0 || !QCoreApplication::instance())
        return;
    m_notifier = std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                     [this] { DevicesMayHaveChanged(); });
}

int TMidiSystem::AddDevicesListener(std::function<void()> listener)
{
    m_listeners.emplace_back(m_nextListener, std::move(listener));
    return m_nextListener++;
}

void TMidiSystem::RemoveDevicesListener(int id)
{
    std::erase_if(m_listeners, [id](const auto& entry) { return entry.first == id; });
}

void TMidiSystem::DevicesMayHaveChanged()
{
    if (!m_service.TakeDeviceChanges() || (!m_output && !m_input))
        return;
    TakeListsAgain();
    if (!m_service.ServiceLost() || !QCoreApplication::instance())
        return;
    // Without a server there is no notice: it is looked for once a second until it is back.
    if (!m_revive) {
        m_revive = std::make_unique<QTimer>();
        m_revive->setInterval(1000);
        QObject::connect(m_revive.get(), &QTimer::timeout, m_revive.get(), [this] {
            if (!m_service.Revive())
                return;
            m_revive->stop();
            TakeListsAgain();
        });
    }
    if (!m_revive->isActive())
        m_revive->start();
}

void TMidiSystem::TakeListsAgain()
{
    if (m_output)
        m_output->Refresh();
    if (m_input)
        m_input->Refresh();
    const auto listeners = m_listeners; // a listener may remove itself
    for (const auto& [id, listener] : listeners)
        listener();
}
