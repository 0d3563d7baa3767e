#pragma once

#include "model/MidiCatalogue.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <utility>
#include <vector>

// The notes each output has started and not yet ended, by channel, whatever sent them: what a
// panic must end by name before it asks every channel to fall silent.
class TSoundingNotes
{
public:
    static constexpr int kOutputs = 4;

    // A message that went out on output 1..4: a Note On starts its note, a Note Off (or a Note
    // On of velocity 0) ends it.
    void Sent(int output, const TShortMessage& message)
    {
        const std::uint8_t kind = message.Status & 0xF0;
        if ((kind != 0x80 && kind != 0x90) || output < 1 || output > kOutputs)
            return;
        Notes(output, message.Status & 0x0F)[message.Data1 & 0x7F] = kind == 0x90 && message.Data2 > 0;
    }
    // The (channel, note) pairs sounding on the output, which are forgotten.
    std::vector<std::pair<int, int>> Take(int output)
    {
        std::vector<std::pair<int, int>> sounding;
        for (int channel = 0; channel < 16; ++channel) {
            std::bitset<128>& notes = Notes(output, channel);
            for (int note = 0; note < 128; ++note)
                if (notes[std::size_t(note)])
                    sounding.emplace_back(channel, note);
            notes.reset();
        }
        return sounding;
    }

private:
    std::bitset<128>& Notes(int output, int channel)
    {
        return m_notes[std::size_t((output - 1) * 16 + channel)];
    }
    std::array<std::bitset<128>, kOutputs * 16> m_notes;
};
