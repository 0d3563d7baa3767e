#pragma once

#include "Colour.h"
#include "MessageList.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

// One MIDI message of a button side: kind (catalogue index), 0-based channel, two data bytes.
struct TMidiMsg
{
    std::uint8_t Message = 0;
    std::uint8_t Channel = 0;
    std::uint8_t Note = 0;
    std::uint8_t Velocity = 0;

    void Assign(const TMidiMsg& source) { *this = source; }
    void Clear() { *this = TMidiMsg{}; }
    friend bool operator==(const TMidiMsg&, const TMidiMsg&) = default;
};

// A caption with its stored "\n" marks turned into line breaks, as a face shows it.
QString FaceCaption(QString caption);

// One side (Press or Release) of a button. A freshly constructed side is all zero; only Clear
// gives the defaults that every button in the list starts from.
struct TCommand
{
    QString Caption;
    TMidiMsg Msg;
    std::uint8_t Output = 0;
    TColor ButtonColour = 0;
    TColor TextColour = 0;
    std::int32_t ImageIndex = 0;
    TMessageList More; // sent after `Msg`, in order

    void Assign(const TCommand& source) { *this = source; }
    void Clear();
    friend bool operator==(const TCommand&, const TCommand&) = default;
};

// One button's definition. `Pressed` is run-time state: never copied, never cleared, never stored.
struct TCommandSet
{
    TCommand Press;
    TCommand Release;
    std::uint8_t Action = 0;
    QString HotKey;
    bool Pressed = false;

    void Assign(const TCommandSet& source);
    void Clear();
    // Compares the stored definition; `Pressed` is not part of it.
    bool SameDefinition(const TCommandSet& other) const;
};

// All button definitions, indexed from 0 (button n is index n - 1), with a one-slot clipboard.
class TCommandList
{
public:
    int Count() const { return int(m_sets.size()); }

    // Throws std::out_of_range for an index outside 0..Count-1.
    TCommandSet& Get(int index);
    const TCommandSet& Get(int index) const;

    // Takes the set, clears it, appends it and returns its index.
    int Add(std::unique_ptr<TCommandSet> set);
    int Add() { return Add(std::make_unique<TCommandSet>()); }

    // Throws std::out_of_range for an index outside 0..Count-1.
    void Delete(int index);

    // Each returns false and changes nothing for an index outside 0..Count-1.
    bool Cut(int index);
    bool Copy(int index);
    bool Paste(int index);

    const TCommandSet& Clipboard() const { return m_clipboard; }
    bool ClipboardEmpty() const { return m_clipboardEmpty; }

private:
    bool InRange(int index) const { return index >= 0 && index < Count(); }

    std::vector<std::unique_ptr<TCommandSet>> m_sets;
    TCommandSet m_clipboard;
    bool m_clipboardEmpty = true;
};
