#include "Outputs.h"

#include "KeyrillVersion.h"
#include "Midi.h"
#include "platform/MessageBoxes.h"

#include <algorithm>
#include <exception>

TOutputs::TOutputs(TMidiSystem& midi, IMessageBoxes& boxes, const bool& showOutputErrors,
                   std::function<QPoint()> errorBoxOrigin)
    : m_midi(midi), m_boxes(boxes), m_showOutputErrors(showOutputErrors),
      m_errorBoxOrigin(std::move(errorBoxOrigin))
{
    m_listener = m_midi.AddDevicesListener([this] { DevicesChanged(); });
}

TOutputs::~TOutputs()
{
    m_midi.RemoveDevicesListener(m_listener);
}

void TOutputs::CreateOutputs()
{
    m_slots.fill(TOutput{});
    m_exist = true;
}

TOutput* TOutputs::Slot(int number)
{
    if (!m_exist || number < 1 || number > int(m_slots.size()))
        return nullptr;
    return &m_slots[std::size_t(number - 1)];
}

TMidiOutput& TOutputs::Devices()
{
    TMidiOutput& devices = m_midi.GetMidiOutput();
    if (!m_follower.Current(devices))
        m_follower.Resolve(devices, m_slots);
    return devices;
}

std::array<TOutput, 4> TOutputs::SlotsToStore()
{
    if (!m_midi.HasMidiOutput())
        return m_slots; // nothing was resolved
    const TMidiOutput& devices = Devices();
    std::array<TOutput, 4> stored = m_slots;
    m_follower.ToStore(devices, stored);
    return stored;
}

void TOutputs::OpenActiveOutputs()
{
    const bool needed = std::any_of(m_slots.begin(), m_slots.end(), [](const TOutput& slot) {
        return slot.Active || slot.DeviceIndex == kStoredVirtualOutput;
    });
    if (m_exist && needed) {
        try {
            Devices();
        } catch (const std::exception&) {
            // The device list failed; opening each active slot reports it.
        }
    }
    for (int number = 1; number <= int(m_slots.size()); ++number) {
        const TOutput* slot = Slot(number);
        if (!slot || !slot->Active)
            continue;
        try {
            TMidiOutput& devices = Devices();
            if (TDeviceFollower::DeviceAbsent(*slot, devices))
                throw EMidiError("The MIDI device \"" + slot->DeviceName + "\" is not present");
            devices.OpenForOutput(slot->DeviceIndex, number);
        } catch (const std::exception&) {
            m_boxes.Show(QStringLiteral(KEYRILL_PRODUCT_NAME),
                         QStringLiteral("The MIDI device specified for output %1 could not be "
                                        "opened.")
                             .arg(number),
                         TBoxIcon::None);
        }
    }
}

void TOutputs::DevicesChanged()
{
    if (!m_exist)
        return;
    // A device that came back is opened now, not at the next press: under JACK a connection is
    // live only from the next process cycle, and the first press must not be lost to that.
    for (int number = 1; number <= int(m_slots.size()); ++number) {
        const TOutput& slot = m_slots[std::size_t(number - 1)];
        try {
            TMidiOutput& devices = Devices();
            if (slot.Active && !TDeviceFollower::DeviceAbsent(slot, devices)) {
                devices.OpenForOutput(slot.DeviceIndex, number); // nothing when open already
                PayOwed(devices, number);
            }
        } catch (const std::exception&) {
            // The next send to the slot reports it.
        }
    }
}

void TOutputs::CloseOutputs()
{
    if (!m_exist)
        return;
    for (int number = int(m_slots.size()); number >= 1; --number) {
        const TOutput& slot = m_slots[std::size_t(number - 1)];
        if (!slot.Active)
            continue;
        try {
            TMidiOutput& devices = Devices();
            // The index may be another device's now.
            if (!TDeviceFollower::DeviceAbsent(slot, devices))
                devices.CloseForOutput(slot.DeviceIndex, number);
        } catch (const std::exception&) {
            // Shutdown goes on: a shared device's second close fails here by design.
        }
    }
    m_exist = false;
}

bool TOutputs::PayOwed(TMidiOutput& devices, int output)
{
    TOwedReleases& owed = m_owed[std::size_t(output - 1)];
    const TOutput& slot = m_slots[std::size_t(output - 1)];
    owed.Pay([&](const TShortMessage& message) {
        try {
            devices.SendForOutput(slot.DeviceIndex, output, message.Status, message.Data1,
                                  message.Data2);
            m_sounding.Sent(output, message);
            return true;
        } catch (const std::exception&) {
            return false;
        }
    });
    return owed.Empty();
}

bool TOutputs::SendMidiMessage(int output, std::uint8_t status, std::uint8_t data1,
                               std::uint8_t data2, TKind kind)
{
    return Send(
        output,
        [&](TMidiOutput& devices, const TOutput& slot) {
            devices.SendForOutput(slot.DeviceIndex, output, status, data1, data2);
        },
        TShortMessage{status, data1, data2}, kind == TKind::Release, true);
}

bool TOutputs::SendMidiMessage(int output, std::span<const std::uint8_t> bytes, TKind kind,
                               bool report)
{
    return Send(
        output,
        [&](TMidiOutput& devices, const TOutput& slot) {
            devices.SendForOutput(slot.DeviceIndex, output, bytes);
        },
        AsShortMessage(bytes), kind == TKind::Release, report);
}

void TOutputs::Silence()
{
    std::array<bool, 4> failed{};
    const auto send = [&](int output, std::uint8_t status, std::uint8_t data1) {
        const std::uint8_t bytes[] = {status, data1, 0};
        if (!SendMidiMessage(output, bytes, TKind::Other, false))
            failed[std::size_t(output - 1)] = true;
    };
    for (int output = 1; output <= int(m_slots.size()); ++output)
        for (const auto& [channel, note] : m_sounding.Take(output))
            send(output, std::uint8_t(0x80 | channel), std::uint8_t(note));
    for (int output = 1; output <= int(m_slots.size()); ++output) {
        if (!m_slots[std::size_t(output - 1)].Active)
            continue;
        for (int channel = 0; channel < 16; ++channel) {
            send(output, std::uint8_t(0xB0 | channel), 123);
            send(output, std::uint8_t(0xB0 | channel), 120);
        }
    }
    for (int output = 1; output <= int(m_slots.size()); ++output)
        if (failed[std::size_t(output - 1)])
            ShowSendError(output, m_slots[std::size_t(output - 1)].DeviceIndex);
}

template <typename TSend>
bool TOutputs::Send(int output, TSend&& send, std::optional<TShortMessage> message, bool owed,
                    bool report)
{
    if (!m_exist)
        return true;
    const TOutput* slot = Slot(output);
    try {
        if (slot && !slot->Active)
            return true;
        if (!slot)
            throw EMidiError("Output number out of range");
        TMidiOutput& devices = Devices();
        if (slot->DeviceIndex == kStoredVirtualOutput)
            m_follower.Resolve(devices, m_slots); // the device list failed at start-up
        // A press while the device is away fails, and is not kept for its return.
        if (TDeviceFollower::DeviceAbsent(*slot, devices))
            throw EMidiError("The MIDI device is not connected");
        // What is owed goes first: a Release never overtakes an earlier one.
        if (!PayOwed(devices, output))
            throw EMidiError("The MIDI device is not connected");
        send(devices, *slot);
        if (message)
            m_sounding.Sent(output, *message);
        return true;
    } catch (...) {
        // A failed Release is owed only when it is a short message.
        if (owed && message && slot)
            m_owed[std::size_t(output - 1)].Owe(*message);
        if (report)
            ShowSendError(output, slot ? slot->DeviceIndex : -1);
        return false;
    }
}

void TOutputs::ShowSendError(int output, std::int32_t deviceIndex) noexcept
{
    if (!m_showOutputErrors)
        return;
    try {
        const QString text = QStringLiteral("MIDI port error on output %1.(MIDI Device # %2)")
                                 .arg(output)
                                 .arg(deviceIndex);
        m_boxes.Show(QStringLiteral("Error"), text, TBoxIcon::Error,
                     m_errorBoxOrigin ? m_errorBoxOrigin() : QPoint());
    } catch (...) {
        // A box that cannot be shown must not take the caller down with it.
    }
}
