#include "Outputs.h"

#include "KeyrillVersion.h"
#include "Midi.h"
#include "platform/MessageBoxes.h"

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

void TOutputs::OpenActiveOutputs()
{
    for (int number = 1; number <= int(m_slots.size()); ++number) {
        const TOutput* slot = Slot(number);
        if (!slot || !slot->Active)
            continue;
        try {
            m_midi.GetMidiOutput().Open(slot->DeviceIndex);
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
            m_midi.GetMidiOutput().Close(slot.DeviceIndex);
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
        m_midi.GetMidiOutput().Send(slot->DeviceIndex, status, data1, data2);
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
