#pragma once

#include "MidiCatalogue.h"

#include <vector>

class TCommandList;
struct TCommandSet;

// What an incoming message says of a button: its Press side is in effect at the other end (on,
// lit), it is not (off), or the message is not about the button.
enum class TFeedback { None, On, Off };

// How one incoming message bears on one definition. Only channel messages bear on anything; a
// side that is no channel message is never matched. A message is about a side when its status
// byte and its first data byte are the side's, or for Program Change and Channel Pressure, whose
// one data byte is their value, its status byte alone. Then, first rule that holds:
// - the very message of the Press side: On;
// - the very message of the Release side: Off;
// - the Press side's message with another non-zero value, where the side's value is non-zero
//   (Note On at another velocity, a controller at another value, another pressure): On;
// - a Note Off, or a Note On at velocity 0, on the Press side's note, or the Press side's
//   controller at value 0: Off;
// - another program on the Press side's Program Change channel (the other end went on to it):
//   Off.
TFeedback FeedbackFor(const TCommandSet& definition, TShortMessage message);

// One button that a message bears on: its index in the list, and what the message says.
struct TButtonFeedback
{
    int Index;
    TFeedback Effect;
    friend bool operator==(const TButtonFeedback&, const TButtonFeedback&) = default;
};

// The definitions 0 .. count - 1 of `list` that `message` bears on, in button order.
std::vector<TButtonFeedback> MatchFeedback(const TCommandList& list, int count,
                                           TShortMessage message);
