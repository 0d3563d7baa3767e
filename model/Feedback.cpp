#include "Feedback.h"

#include "qelCommandList.h"

#include <algorithm>
#include <optional>

namespace {

constexpr std::uint8_t Kind(std::uint8_t status)
{
    return status & 0xF0;
}

bool IsChannelMessage(std::uint8_t status)
{
    return status >= 0x80 && status < 0xF0;
}

// Program Change and Channel Pressure go on the wire with one data byte.
bool HasOneDataByte(std::uint8_t status)
{
    return Kind(status) == 0xC0 || Kind(status) == 0xD0;
}

// A side's message as it goes on the wire, when it is a channel message.
std::optional<TShortMessage> WireMessage(const TCommand& side)
{
    std::optional<TShortMessage> message = BuildShortMessage(side.Msg);
    if (!message || !IsChannelMessage(message->Status))
        return std::nullopt;
    if (HasOneDataByte(message->Status))
        message->Data2 = 0;
    return message;
}

enum class TLikeness { Unlike, Same, SameButValue };

TLikeness Compare(TShortMessage in, TShortMessage side)
{
    if (in.Status != side.Status)
        return TLikeness::Unlike;
    if (Kind(in.Status) == 0xC0) // the program is no value: another one is another message
        return in.Data1 == side.Data1 ? TLikeness::Same : TLikeness::Unlike;
    // The value: Channel Pressure's one data byte, or the second one.
    const bool pressure = Kind(in.Status) == 0xD0;
    if (!pressure && in.Data1 != side.Data1)
        return TLikeness::Unlike;
    const std::uint8_t value = pressure ? in.Data1 : in.Data2;
    const std::uint8_t sideValue = pressure ? side.Data1 : side.Data2;
    if (value == sideValue)
        return TLikeness::Same;
    return value != 0 && sideValue != 0 ? TLikeness::SameButValue : TLikeness::Unlike;
}

// A note or a controller of the Press side, switched off.
bool IsOffForm(TShortMessage in, TShortMessage press)
{
    if ((in.Status & 0x0F) != (press.Status & 0x0F) || in.Data1 != press.Data1)
        return false;
    const std::uint8_t kind = Kind(in.Status);
    switch (Kind(press.Status)) {
    case 0x80:
    case 0x90:
        return kind == 0x80 || (kind == 0x90 && in.Data2 == 0);
    case 0xB0:
        return kind == 0xB0 && in.Data2 == 0;
    default:
        return false;
    }
}

} // namespace

TFeedback FeedbackFor(const TCommandSet& definition, TShortMessage message)
{
    if (!IsChannelMessage(message.Status))
        return TFeedback::None;
    if (HasOneDataByte(message.Status))
        message.Data2 = 0;
    const std::optional<TShortMessage> press = WireMessage(definition.Press);
    const std::optional<TShortMessage> release = WireMessage(definition.Release);
    const TLikeness toPress = press ? Compare(message, *press) : TLikeness::Unlike;
    if (toPress == TLikeness::Same)
        return TFeedback::On;
    if (release && Compare(message, *release) == TLikeness::Same)
        return TFeedback::Off;
    if (toPress == TLikeness::SameButValue)
        return TFeedback::On;
    if (press && IsOffForm(message, *press))
        return TFeedback::Off;
    if (press && Kind(press->Status) == 0xC0 && message.Status == press->Status)
        return TFeedback::Off;
    return TFeedback::None;
}

std::vector<TButtonFeedback> MatchFeedback(const TCommandList& list, int count,
                                           TShortMessage message)
{
    std::vector<TButtonFeedback> matches;
    if (!IsChannelMessage(message.Status))
        return matches;
    const int last = std::min(count, list.Count());
    for (int index = 0; index < last; ++index)
        if (const TFeedback effect = FeedbackFor(list.Get(index), message);
            effect != TFeedback::None)
            matches.push_back({index, effect});
    return matches;
}
