#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

// One item of a side's further messages: the bytes of one whole MIDI message, or a wait.
struct TListItem
{
    std::vector<std::uint8_t> Bytes; // empty for a wait
    int WaitMs = 0;

    bool IsWait() const { return Bytes.empty(); }
    friend bool operator==(const TListItem&, const TListItem&) = default;
};

// An item that cannot be sent: its place in the list (from 1), its text as written, and why.
struct TListProblem
{
    int Item;
    QString Text;
    QString Reason;
    friend bool operator==(const TListProblem&, const TListProblem&) = default;
};

// The messages a side sends after its own, as the settings file holds them: items separated by
// ";", each the hexadecimal bytes of one message or "wait N" (milliseconds). The text is kept
// exactly as written, bad items included, so that a hand-edited key is never rewritten; only the
// good items are played.
class TMessageList
{
public:
    static constexpr int kLongestWait = 10000;
    static constexpr std::size_t kLongestSysEx = 1024;

    TMessageList() = default;
    explicit TMessageList(const QString& text);

    const QString& Text() const { return m_text; }
    bool Empty() const { return m_text.isEmpty(); }
    const std::vector<TListItem>& Items() const;
    const std::vector<TListProblem>& Problems() const;

    // The text an item is written as: "F0 7F 01 F7", "wait 300".
    static QString ItemText(const TListItem& item);
    // `text` with `item` added at its end.
    static QString Appended(const QString& text, const TListItem& item);

    friend bool operator==(const TMessageList& a, const TMessageList& b)
    {
        return a.m_text == b.m_text;
    }

private:
    struct TParsed
    {
        std::vector<TListItem> Items;
        std::vector<TListProblem> Problems;
    };
    QString m_text;
    std::shared_ptr<const TParsed> m_parsed; // shared by copies: a press copies its definition
};
