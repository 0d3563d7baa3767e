#pragma once

#include "PressSource.h"

// What a surface shows of the playing state. The player tells every view after the message has
// gone out, never before.
enum class TFace : quint8 { Press, Release };

class IPlayerView
{
public:
    // Which side's caption, colours and icon the button shows.
    virtual void FaceShown(int number, TFace face) = 0;
    // Held by any source (the frame, and "pressed" for a screen reader).
    virtual void HeldChanged(int number, bool held) = 0;
    // A toggle's latch changed by a release.
    virtual void SwitchedChanged(int number, bool on) = 0;
    // What the other end reports: a toggle taken to that state, another button lit.
    virtual void FeedbackShown(int number, bool toggle, bool on) = 0;
    // One source's hold of a button has ended (the button may stay held by another source);
    // `ownRelease`: the surface reported this release itself.
    virtual void HoldEnded(TPressSource source, int number, bool ownRelease) = 0;

protected:
    ~IPlayerView() = default;
};
