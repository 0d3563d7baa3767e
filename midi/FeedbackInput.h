#pragma once

#include "DeviceFollower.h"
#include "DeviceSlot.h"
#include "InputQueue.h"

#include <functional>
#include <optional>
#include <span>

class IMessageBoxes;
class TMidiInput;
class TMidiSystem;

// The one MIDI input whose messages light the buttons. It opens the slot's device at start-up
// and whenever Configuration applies the slot (switching from the device open before, or closing
// it), follows the device by its name, opens it again by itself when the device comes back, and
// hands what it receives to the handler on this thread. An input that cannot be opened is
// reported as an output's is.
class TFeedbackInput
{
public:
    TFeedbackInput(TMidiSystem& midi, IMessageBoxes& boxes, TInputQueue::THandler handler);
    ~TFeedbackInput(); // closes the input: no message arrives after it
    TFeedbackInput(const TFeedbackInput&) = delete;
    TFeedbackInput& operator=(const TFeedbackInput&) = delete;

    // The slot's values: what the settings file reads and the Configuration dialog edits.
    TInput& Slot() { return m_slot; }
    // The same as the settings file writes it (as the outputs' slots are written).
    TInput SlotToStore();

    // Opens, switches to or closes the slot's device as the slot now says.
    void Apply();
    // Closes the input for good (shutdown).
    void Close();

    bool IsOpen() const; // for tests and diagnostics
    // MIDI Learn: the next channel message received goes to `take` as well (once); an empty
    // function stops listening.
    using TLearner = std::function<void(const TShortMessage&)>;
    void Learn(TLearner take) { m_learner = std::move(take); }
    const TInputQueue& Queue() const { return m_queue; }

private:
    TMidiInput& Devices(); // the input devices, the slot resolved against their list
    void Open(bool report);
    void CloseAll();
    void DevicesChanged();
    void ReportOpenFailure();
    void Learned(std::span<const TShortMessage> messages);

    TMidiSystem& m_midi;
    IMessageBoxes& m_boxes;
    TInput m_slot{};
    std::optional<TInput> m_applied; // the slot as last applied
    TDeviceFollower m_follower;
    TInputQueue m_queue;
    bool m_closed = false;
    int m_listener = 0;
    TLearner m_learner;
};
