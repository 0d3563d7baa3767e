#include "ShowControl.h"

namespace {

constexpr std::uint8_t kTimedGo = 0x04, kSet = 0x06, kFire = 0x07;

bool CueText(const QString& text)
{
    for (QChar c : text)
        if (!c.isDigit() && c != u'.')
            return false;
    return true;
}

bool TakesNothing(std::uint8_t command)
{
    return command >= 0x08 && command <= 0x0A;
}

std::optional<int> Number(const QString& text, int most)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value >= 0 && value <= most ? std::optional<int>(value) : std::nullopt;
}

void Add14Bits(std::vector<std::uint8_t>& bytes, int value)
{
    bytes.push_back(std::uint8_t(value & 0x7F));
    bytes.push_back(std::uint8_t(value >> 7));
}

void AddText(std::vector<std::uint8_t>& bytes, const QString& text)
{
    for (QChar c : text)
        bytes.push_back(std::uint8_t(c.unicode()));
}

} // namespace

QString ShowCueProblem(const TShowCue& cue)
{
    if (cue.Device > 0x7F || cue.Format > 0x7F || cue.Command < 0x01 || cue.Command > 0x0B)
        return QStringLiteral("device, command format and command are below 128");
    if (cue.Command == kSet) {
        if (!Number(cue.Number, 16383) || !Number(cue.List, 16383))
            return QStringLiteral("SET takes a control number and a value, 0 to 16383");
        return {};
    }
    if (cue.Command == kFire)
        return Number(cue.Number, 127) ? QString()
                                       : QStringLiteral("FIRE takes a macro number, 0 to 127");
    if (TakesNothing(cue.Command))
        return {};
    if (!CueText(cue.Number) || !CueText(cue.List) || !CueText(cue.Path))
        return QStringLiteral("a cue number, list and path hold digits and points only");
    if ((cue.Number.isEmpty() && !cue.List.isEmpty()) ||
        (cue.List.isEmpty() && !cue.Path.isEmpty()))
        return QStringLiteral("a cue list needs a cue number, and a cue path a cue list");
    return {};
}

std::optional<std::vector<std::uint8_t>> BuildShowControl(const TShowCue& cue)
{
    if (!ShowCueProblem(cue).isEmpty())
        return std::nullopt;
    std::vector<std::uint8_t> bytes{0xF0, 0x7F, cue.Device, 0x02, cue.Format, cue.Command};
    if (cue.Command == kSet) {
        Add14Bits(bytes, *Number(cue.Number, 16383));
        Add14Bits(bytes, *Number(cue.List, 16383));
    } else if (cue.Command == kFire) {
        bytes.push_back(std::uint8_t(*Number(cue.Number, 127)));
    } else if (!TakesNothing(cue.Command)) {
        // A TIMED_GO from here goes at once: a time of zero (hours, minutes, seconds, frames
        // and fractions) comes before its cue.
        if (cue.Command == kTimedGo)
            bytes.insert(bytes.end(), 5, 0x00);
        AddText(bytes, cue.Number);
        for (const QString* part : {&cue.List, &cue.Path}) {
            if (part->isEmpty())
                break;
            bytes.push_back(0x00);
            AddText(bytes, *part);
        }
    }
    bytes.push_back(0xF7);
    return bytes;
}
