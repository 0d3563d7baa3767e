#pragma once

#include "model/qelCommandList.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <list>
#include <map>

class TOutputs;

// Plays the sides of buttons: each side's own message, then its further messages, in order, on
// the side's output. A wait hands the rest to the event loop; every side played on the same lane
// (a button) meanwhile waits behind it, so that a release never overtakes its press. Any send
// may open a modal box whose loop plays, flushes or waits further: nothing here is held across
// a send.
class TListPlayer
{
public:
    // `resume` runs the step given when a wait has ended (the player marks it as a step of the
    // lane's button).
    using TResume = std::function<void(int lane, const std::function<void()>& step)>;
    TListPlayer(TOutputs& outputs, TResume resume);
    TListPlayer(const TListPlayer&) = delete;
    TListPlayer& operator=(const TListPlayer&) = delete;

    void Play(int lane, const TCommand& side, bool release);
    // Ends every lane now: what is left of a Press side is dropped, what is left of a Release
    // side goes out at once without its waits.
    void Flush();
    // While set, waits are skipped (the program is closing).
    void SetImmediate(bool immediate) { m_immediate = immediate; }

private:
    struct TRun
    {
        TCommand Side;
        bool Release = false;
        bool OwnSent = false;
        std::size_t Next = 0;  // the next item of Side.More
        bool Reported = false; // one report of failure for a side
    };
    struct TLane
    {
        std::list<TRun> Runs;
        std::uint64_t Id = 0;    // tells a lane from a later one of the same number
        std::uint64_t Timer = 0; // the wait running, 0 for none
        bool Sending = false;
    };
    void Continue(int number, std::uint64_t id);
    TLane* Find(int number, std::uint64_t id);
    // Sends the run's next message; false when the run has nothing more to send now. `wait`
    // gets the length of a wait met (0 when waits are skipped).
    bool SendNext(int number, std::uint64_t id, int& wait, bool skipWaits);
    // Sends the run's own message or, once that is out, its next item (a wait is passed over).
    bool SendOne(TRun& run);

    TOutputs& m_outputs;
    TResume m_resume;
    std::map<int, TLane> m_lanes;
    std::uint64_t m_nextId = 1;
    bool m_immediate = false;
    QObject m_context; // the waits' timers
};
