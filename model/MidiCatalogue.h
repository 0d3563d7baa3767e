#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

struct TMidiMsg;

// The fixed vocabulary of message kinds and button actions. Indices are stored in
// settings files, so the order of every table is part of the file format.
inline constexpr int kMsgKindCount = 8;
inline constexpr int kActionCount = 3;

inline constexpr std::array<std::string_view, kMsgKindCount> MsgNames{
    "Note Off",       "Note On",          "After Touch", "Control Change",
    "Program Change", "Channel Pressure", "Pitch Wheel", "System"};

inline constexpr std::uint8_t kNoteOnKind = 1; // "Note On" in MsgNames

inline constexpr std::array<std::uint8_t, kMsgKindCount> MsgStatus{0x80, 0x90, 0xA0, 0xB0,
                                                                   0xC0, 0xD0, 0xE0, 0xF0};

inline constexpr std::array<std::string_view, kMsgKindCount> MsgChannelLabels{
    "Channel", "Channel", "Channel", "Channel", "Channel", "N/A", "N/A", "System Lo"};

inline constexpr std::array<std::string_view, kMsgKindCount> MsgData1Labels{
    "Note", "Note", "Note", "Controller", "Program", "Channel", "Pitch Lo", "Byte 1"};

inline constexpr std::array<std::string_view, kMsgKindCount> MsgData2Labels{
    "Velocity", "Velocity", "Velocity", "Value", "N/A", "N/A", "Pitch Hi", "Byte 2"};

inline constexpr std::array<std::string_view, kActionCount> ActionNames{
    "Press", "Press / Release", "Toggle Action"};

enum TAction : std::uint8_t { actPress = 0, actPressRelease = 1, actToggle = 2 };

// One short message as handed to the MIDI output: three bytes, status first.
struct TShortMessage
{
    std::uint8_t Status = 0;
    std::uint8_t Data1 = 0;
    std::uint8_t Data2 = 0;

    // status + data1 * 256 + data2 * 65536: the status byte is the least significant.
    constexpr std::uint32_t Packed() const
    {
        return std::uint32_t(Status) | (std::uint32_t(Data1) << 8) | (std::uint32_t(Data2) << 16);
    }
    friend constexpr bool operator==(const TShortMessage&, const TShortMessage&) = default;
};

// How many bytes a short message of this status byte has on the wire: 1 to 3, or 0 when the
// byte cannot start one (a data byte, or F0 / F7 of system exclusive).
constexpr int ShortMessageLength(std::uint8_t status)
{
    if (status < 0x80 || status == 0xF0 || status == 0xF7)
        return 0;
    if (status < 0xC0 || (status >= 0xE0 && status < 0xF0) || status == 0xF2)
        return 3;
    if (status < 0xE0 || status == 0xF1 || status == 0xF3)
        return 2;
    return 1; // 0xF6 and the real-time bytes 0xF8 to 0xFF (and the undefined 0xF4, 0xF5)
}

// The bytes as a short message, when they are exactly one: a status byte and its data bytes.
constexpr std::optional<TShortMessage> AsShortMessage(std::span<const std::uint8_t> bytes)
{
    if (bytes.empty() || bytes.size() > 3 ||
        std::size_t(ShortMessageLength(bytes[0])) != bytes.size())
        return std::nullopt;
    return TShortMessage{bytes[0], bytes.size() > 1 ? bytes[1] : std::uint8_t(0),
                         bytes.size() > 2 ? bytes[2] : std::uint8_t(0)};
}

// Builds the message of kind `kind` on stored channel `channel`. The channel is added to the
// kind's status byte modulo 256 (so channel 16 carries into the high nibble) and both data bytes
// are passed on unmasked. A kind outside the catalogue (only a hand-edited settings file holds
// one) has no message: nothing is sent for it.
std::optional<TShortMessage> BuildShortMessage(int kind, std::uint8_t channel, std::uint8_t data1,
                                               std::uint8_t data2);
std::optional<TShortMessage> BuildShortMessage(const TMidiMsg& msg);
