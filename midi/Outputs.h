#pragma once

#include "DeviceFollower.h"
#include "DeviceSlot.h"
#include "SoundingNotes.h"
#include "model/MidiCatalogue.h"

#include <QPoint>

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

class IMessageBoxes;
class TMidiOutput;
class TMidiSystem;

// The Releases an output owes: those that failed while its device was away, in order, sent when
// it is back so that no note keeps sounding through the loss. Presses are never kept.
class TOwedReleases
{
public:
    static constexpr std::size_t kMost = 256; // beyond: a device away for long, the oldest kept

    void Owe(const TShortMessage& message)
    {
        if (m_owed.size() < kMost)
            m_owed.push_back(message);
    }
    bool Empty() const { return m_owed.empty(); }
    // Hands each in order to `send` while it succeeds; the rest stays owed.
    template <typename Send> void Pay(Send&& send)
    {
        while (!m_owed.empty() && send(m_owed.front()))
            m_owed.pop_front();
    }

private:
    std::deque<TShortMessage> m_owed;
};

// One output slot: which MIDI device an output number means and whether it sends at all.
using TOutput = TDeviceSlot;

// What the settings file stores for the virtual output instead of its index.
inline constexpr std::int32_t kStoredVirtualOutput = kStoredVirtualDevice;

// The four output slots, numbered 1 to 4, and the one routine through which every message is
// sent. A failed send ends here, with a message box when output errors are shown. A slot whose
// named device is not present fails to open and to send; when the device comes back during the
// run, the slot finds it and opens it again by itself.
class TOutputs
{
public:
    // `showOutputErrors` is read at every failed send; `errorBoxOrigin` gives the screen position
    // of the main window's client area, where the send error box is placed.
    TOutputs(TMidiSystem& midi, IMessageBoxes& boxes, const bool& showOutputErrors,
             std::function<QPoint()> errorBoxOrigin);
    ~TOutputs();
    TOutputs(const TOutputs&) = delete;
    TOutputs& operator=(const TOutputs&) = delete;

    void CreateOutputs();
    void OpenActiveOutputs();
    void CloseOutputs();
    // A Release (the second side of a press) that fails is owed to the slot's device until it
    // is back; any other message that fails is lost.
    enum class TKind { Other, Release };
    // Returns whether the message went out.
    bool SendMidiMessage(int output, std::uint8_t status, std::uint8_t data1, std::uint8_t data2,
                         TKind kind = TKind::Other);
    // One whole message of any length (system exclusive included). Returns whether it went
    // out; a failure is shown only when `report` is true (a list reports once, not per item).
    // A failed Release is owed only when it is a short message.
    bool SendMidiMessage(int output, std::span<const std::uint8_t> bytes, TKind kind, bool report);

    // Panic: a Note Off for every note still sounding, then All Notes Off (CC 123) and All
    // Sound Off (CC 120) on the 16 channels of every active output. An output that fails is
    // reported once.
    void Silence();

    // The slot with the given number, or nullptr outside 1..4 or while the slots don't exist.
    TOutput* Slot(int number);

    // The four slots' values, index 0 for output 1 (what the settings file reads).
    std::array<TOutput, 4>& Slots() { return m_slots; }
    // The same values as the settings file writes them: a slot on the virtual output holds
    // kStoredVirtualOutput, a slot on a present device that device's name and index, a slot
    // whose device is absent what it was given. Slots still holding kStoredVirtualOutput from
    // the file get the virtual output's index when the devices are first opened or used.
    std::array<TOutput, 4> SlotsToStore();

private:
    TMidiOutput& Devices(); // the device object, with the slots resolved against its list
    void DevicesChanged();
    // Sends what the slot owes; false when some stays owed.
    bool PayOwed(TMidiOutput& devices, int output);
    void ShowSendError(int output, std::int32_t deviceIndex) noexcept;
    template <typename TSend>
    bool Send(int output, TSend&& send, std::optional<TShortMessage> message, bool owed,
              bool report);

    TMidiSystem& m_midi;
    IMessageBoxes& m_boxes;
    const bool& m_showOutputErrors;
    std::function<QPoint()> m_errorBoxOrigin;
    std::array<TOutput, 4> m_slots{};
    std::array<TOwedReleases, 4> m_owed;
    TSoundingNotes m_sounding;
    bool m_exist = false; // between CreateOutputs and CloseOutputs
    TDeviceFollower m_follower;
    int m_listener = 0;
};
