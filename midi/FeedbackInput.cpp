#include "FeedbackInput.h"

#include "KeyrillVersion.h"
#include "Midi.h"
#include "platform/MessageBoxes.h"

#include <exception>
#include <utility>

TFeedbackInput::TFeedbackInput(TMidiSystem& midi, IMessageBoxes& boxes,
                               TInputQueue::THandler handler)
    : m_midi(midi), m_boxes(boxes),
      m_queue([this, handler = std::move(handler)](std::span<const TShortMessage> messages) {
          Learned(messages);
          handler(messages);
      })
{
    m_listener = m_midi.AddDevicesListener([this] { DevicesChanged(); });
}

TFeedbackInput::~TFeedbackInput()
{
    m_midi.RemoveDevicesListener(m_listener);
    Close();
    if (m_midi.HasMidiInput())
        m_midi.GetMidiInput().SetSink(nullptr);
}

void TFeedbackInput::Learned(std::span<const TShortMessage> messages)
{
    if (!m_learner)
        return;
    for (const TShortMessage& message : messages)
        if (message.Status >= 0x80 && message.Status < 0xF0) {
            std::exchange(m_learner, {})(message);
            return;
        }
}

TMidiInput& TFeedbackInput::Devices()
{
    TMidiInput& devices = m_midi.GetMidiInput();
    devices.SetSink(&m_queue);
    if (!m_follower.Current(devices))
        m_follower.Resolve(devices, std::span(&m_slot, 1));
    return devices;
}

TInput TFeedbackInput::SlotToStore()
{
    if (!m_midi.HasMidiInput())
        return m_slot; // nothing was resolved
    const TMidiInput& devices = Devices();
    TInput stored = m_slot;
    m_follower.ToStore(devices, std::span(&stored, 1));
    return stored;
}

void TFeedbackInput::Apply()
{
    if (m_closed)
        return;
    // A failure is told when the user asked for something new (and at start-up), not again at
    // every Apply of other settings while the device is away.
    const bool changed = !m_applied || *m_applied != m_slot;
    m_applied = m_slot;
    Open(changed);
}

void TFeedbackInput::Open(bool report)
{
    if (!m_slot.Active && !m_midi.HasMidiInput())
        return; // nothing open, and no reason to ask the MIDI system for its inputs
    try {
        TMidiInput& devices = Devices();
        if (!m_slot.Active) {
            devices.CloseAll();
            return;
        }
        if (TDeviceFollower::DeviceAbsent(m_slot, devices))
            throw EMidiError("The MIDI device \"" + m_slot.DeviceName + "\" is not present");
        if (devices.GetHandle(m_slot.DeviceIndex) != kNoMidiHandle)
            return;         // open already: no gap in what arrives
        devices.CloseAll(); // one input at a time: a switch closes the one open before
        devices.Open(m_slot.DeviceIndex);
    } catch (const std::exception&) {
        if (report)
            ReportOpenFailure();
    }
}

void TFeedbackInput::Close()
{
    m_closed = true;
    if (m_midi.HasMidiInput())
        m_midi.GetMidiInput().CloseAll();
}

bool TFeedbackInput::IsOpen() const
{
    return m_midi.HasMidiInput() && m_midi.GetMidiInput().AnyOpen();
}

void TFeedbackInput::DevicesChanged()
{
    // A device that came back is listened to again; one that was never there gets opened now.
    if (!m_closed && m_slot.Active)
        Open(false);
}

void TFeedbackInput::ReportOpenFailure()
{
    m_boxes.Show(QStringLiteral(KEYRILL_PRODUCT_NAME),
                 QStringLiteral("The MIDI device specified for the input could not be opened."),
                 TBoxIcon::None);
}
