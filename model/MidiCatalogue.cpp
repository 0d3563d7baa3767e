#include "MidiCatalogue.h"

#include "qelCommandList.h"

std::optional<TShortMessage> BuildShortMessage(int kind, std::uint8_t channel, std::uint8_t data1,
                                               std::uint8_t data2)
{
    if (kind < 0 || kind >= kMsgKindCount)
        return std::nullopt;
    const auto status = std::uint8_t((MsgStatus[std::size_t(kind)] + channel) % 256);
    return TShortMessage{status, data1, data2};
}

std::optional<TShortMessage> BuildShortMessage(const TMidiMsg& msg)
{
    return BuildShortMessage(msg.Message, msg.Channel, msg.Note, msg.Velocity);
}
