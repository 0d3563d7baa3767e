#include "MessageList.h"

#include "MidiCatalogue.h"

#include <QStringList>

#include <variant>

namespace {

using TParseResult = std::variant<TListItem, QString>; // the item, or why it is bad

QString Hex(std::uint8_t byte)
{
    return QStringLiteral("%1").arg(byte, 2, 16, QChar(u'0')).toUpper();
}

TParseResult ParseWait(QStringView rest)
{
    bool ok = false;
    const int ms = rest.trimmed().toInt(&ok);
    if (!ok || ms < 1 || ms > TMessageList::kLongestWait)
        return QStringLiteral("a wait is 1 to %1 milliseconds").arg(TMessageList::kLongestWait);
    return TListItem{{}, ms};
}

TParseResult CheckSysEx(const std::vector<std::uint8_t>& bytes)
{
    if (bytes.size() > TMessageList::kLongestSysEx)
        return QStringLiteral("a system-exclusive message is at most %1 bytes")
            .arg(TMessageList::kLongestSysEx);
    if (bytes.size() < 2 || bytes.back() != 0xF7)
        return QStringLiteral("a system-exclusive message ends with F7");
    for (std::size_t i = 1; i + 1 < bytes.size(); ++i)
        if (bytes[i] >= 0x80)
            return QStringLiteral("%1 inside a system-exclusive message (only bytes below 80)")
                .arg(Hex(bytes[i]));
    return TListItem{bytes, 0};
}

TParseResult CheckShort(const std::vector<std::uint8_t>& bytes)
{
    const std::uint8_t status = bytes.front();
    if (status < 0x80)
        return QStringLiteral("a message starts with a status byte (80 to FF)");
    if (status == 0xF7)
        return QStringLiteral("F7 only ends a system-exclusive message");
    const std::size_t data = std::size_t(ShortMessageLength(status) - 1);
    if (bytes.size() - 1 != data)
        return QStringLiteral("%1 takes %2 data byte(s)").arg(Hex(status)).arg(data);
    for (std::size_t i = 1; i < bytes.size(); ++i)
        if (bytes[i] >= 0x80)
            return QStringLiteral("data byte %1 is not below 80").arg(Hex(bytes[i]));
    return TListItem{bytes, 0};
}

TParseResult ParseItem(QStringView item)
{
    if (item.startsWith(u"wait", Qt::CaseInsensitive))
        return ParseWait(item.sliced(4));
    std::vector<std::uint8_t> bytes;
    for (QStringView token : item.split(u' ', Qt::SkipEmptyParts)) {
        bool ok = false;
        const uint value = token.size() <= 2 ? token.toUInt(&ok, 16) : 0;
        if (!ok || token.startsWith(u'+') || token.startsWith(u'-'))
            return QStringLiteral("\"%1\" is not a byte in hexadecimal").arg(token);
        bytes.push_back(std::uint8_t(value));
    }
    return bytes.front() == 0xF0 ? CheckSysEx(bytes) : CheckShort(bytes);
}

} // namespace

TMessageList::TMessageList(const QString& text) : m_text(text)
{
    if (text.isEmpty())
        return;
    auto parsed = std::make_shared<TParsed>();
    int place = 0;
    for (QStringView item : QStringView(text).split(u';')) {
        // Tabs count as blanks; an empty item (a ";" at the end) is nothing.
        const QString clean = item.toString().replace(u'\t', u' ').trimmed();
        if (clean.isEmpty())
            continue;
        ++place;
        TParseResult result = ParseItem(clean);
        if (auto* good = std::get_if<TListItem>(&result))
            parsed->Items.push_back(std::move(*good));
        else
            parsed->Problems.push_back({place, clean, std::get<QString>(result)});
    }
    m_parsed = std::move(parsed);
}

const std::vector<TListItem>& TMessageList::Items() const
{
    static const std::vector<TListItem> none;
    return m_parsed ? m_parsed->Items : none;
}

const std::vector<TListProblem>& TMessageList::Problems() const
{
    static const std::vector<TListProblem> none;
    return m_parsed ? m_parsed->Problems : none;
}

QString TMessageList::ItemText(const TListItem& item)
{
    if (item.IsWait())
        return QStringLiteral("wait %1").arg(item.WaitMs);
    QStringList bytes;
    for (std::uint8_t byte : item.Bytes)
        bytes << Hex(byte);
    return bytes.join(u' ');
}

QString TMessageList::Appended(const QString& text, const TListItem& item)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return ItemText(item);
    return trimmed + (trimmed.endsWith(u';') ? QStringLiteral(" ") : QStringLiteral("; ")) +
           ItemText(item);
}
