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
{}

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

void TOutputs::ResolveStoredVirtualOutput()
{
    const auto stored = [](const TOutput& slot) {
        return slot.DeviceIndex == kStoredVirtualOutput;
    };
    if (!m_exist || std::none_of(m_slots.begin(), m_slots.end(), stored))
        return;
    try {
        const int index = m_midi.GetMidiOutput().VirtualIndex();
        if (index < 0)
            return; // no virtual ports here: the slot fails to open like any missing device
        for (TOutput& slot : m_slots)
            if (stored(slot))
                slot.DeviceIndex = index;
    } catch (const std::exception&) {
        // The device list failed; opening the slot reports it.
    }
}

std::array<TOutput, 4> TOutputs::SlotsToStore() const
{
    std::array<TOutput, 4> stored = m_slots;
    if (!m_midi.HasMidiOutput())
        return stored; // nothing was resolved
    const int index = m_midi.GetMidiOutput().VirtualIndex();
    for (TOutput& slot : stored)
        if (index >= 0 && slot.DeviceIndex == index)
            slot.DeviceIndex = kStoredVirtualOutput;
    return stored;
}

void TOutputs::OpenActiveOutputs()
{
    ResolveStoredVirtualOutput();
    for (int number = 1; number <= int(m_slots.size()); ++number) {
        const TOutput* slot = Slot(number);
        if (!slot || !slot->Active)
            continue;
        try {
            m_midi.GetMidiOutput().OpenForOutput(slot->DeviceIndex, number);
        } catch (const std::exception&) {
            m_boxes.Show(QStringLiteral(KEYRILL_PRODUCT_NAME),
                         QStringLiteral("The MIDI device specified for output %1 could not be "
                                        "opened.")
                             .arg(number),
                         TBoxIcon::None);
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
            m_midi.GetMidiOutput().CloseForOutput(slot.DeviceIndex, number);
        } catch (const std::exception&) {
            // Shutdown goes on: a shared device's second close fails here by design.
        }
    }
    m_exist = false;
}

void TOutputs::SendMidiMessage(int output, std::uint8_t status, std::uint8_t data1,
                               std::uint8_t data2)
{
    if (!m_exist)
        return;
    const TOutput* slot = Slot(output);
    try {
        if (slot && !slot->Active)
            return;
        if (!slot)
            throw EMidiError("Output number out of range");
        if (slot->DeviceIndex == kStoredVirtualOutput)
            ResolveStoredVirtualOutput(); // the device list failed at start-up
        m_midi.GetMidiOutput().SendForOutput(slot->DeviceIndex, output, status, data1, data2);
    } catch (const std::exception&) {
        ShowSendError(output, slot ? slot->DeviceIndex : -1);
    } catch (...) {
        ShowSendError(output, slot ? slot->DeviceIndex : -1);
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
