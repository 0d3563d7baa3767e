#include "ListPlayer.h"

#include "midi/Outputs.h"
#include "model/MidiCatalogue.h"

#include <QTimer>

TListPlayer::TListPlayer(TOutputs& outputs, TResume resume)
    : m_outputs(outputs), m_resume(std::move(resume))
{}

void TListPlayer::Play(int number, const TCommand& side, bool release)
{
    const auto found = m_lanes.find(number);
    if (found == m_lanes.end() && side.More.Empty()) {
        // The common case: one message, nothing running before it.
        if (const auto msg = BuildShortMessage(side.Msg))
            m_outputs.SendMidiMessage(side.Output, msg->Status, msg->Data1, msg->Data2,
                                      release ? TOutputs::TKind::Release : TOutputs::TKind::Other);
        return;
    }
    TLane& lane = found != m_lanes.end() ? found->second : m_lanes[number];
    const bool idle = lane.Runs.empty();
    if (idle)
        lane.Id = m_nextId++;
    lane.Runs.push_back(TRun{side, release});
    if (idle)
        Continue(number, lane.Id);
}

TListPlayer::TLane* TListPlayer::Find(int number, std::uint64_t id)
{
    const auto found = m_lanes.find(number);
    return found != m_lanes.end() && found->second.Id == id ? &found->second : nullptr;
}

void TListPlayer::Continue(int number, std::uint64_t id)
{
    TLane* lane = Find(number, id);
    if (!lane || lane->Sending || lane->Timer != 0)
        return;
    lane->Sending = true;
    int wait = 0;
    while (SendNext(number, id, wait, m_immediate)) {
    }
    lane = Find(number, id);
    if (!lane)
        return; // flushed meanwhile
    lane->Sending = false;
    if (wait > 0) {
        const std::uint64_t timer = m_nextId++;
        lane->Timer = timer;
        QTimer::singleShot(wait, &m_context, [this, number, id, timer] {
            TLane* waiting = Find(number, id);
            if (!waiting || waiting->Timer != timer)
                return;
            waiting->Timer = 0;
            m_resume(number, [this, number, id] { Continue(number, id); });
        });
    } else if (lane->Runs.empty()) {
        m_lanes.erase(number);
    }
}

bool TListPlayer::SendNext(int number, std::uint64_t id, int& wait, bool skipWaits)
{
    TLane* lane = Find(number, id);
    if (!lane || lane->Runs.empty())
        return false;
    TRun& run = lane->Runs.front();
    if (run.OwnSent && run.Next >= run.Side.More.Items().size()) {
        lane->Runs.pop_front();
        return !lane->Runs.empty();
    }
    if (run.OwnSent && run.Side.More.Items()[run.Next].IsWait()) {
        const int ms = run.Side.More.Items()[run.Next++].WaitMs;
        if (skipWaits)
            return true;
        wait = ms;
        return false;
    }
    // A box of the send may end this lane: the send works on a copy.
    TRun sending = run;
    run.OwnSent = true;
    if (sending.OwnSent)
        ++run.Next;
    if (!SendOne(sending))
        if (TLane* still = Find(number, id); still && !still->Runs.empty())
            still->Runs.front().Reported = true;
    return true;
}

bool TListPlayer::SendOne(TRun& run)
{
    const auto kind = run.Release ? TOutputs::TKind::Release : TOutputs::TKind::Other;
    bool sent = true;
    if (!run.OwnSent) {
        // One report for a side: once a send of it has failed, the rest fail quietly.
        run.OwnSent = true;
        if (const auto msg = BuildShortMessage(run.Side.Msg))
            sent = m_outputs.SendMidiMessage(run.Side.Output, msg->Status, msg->Data1, msg->Data2,
                                             kind);
    } else {
        const TListItem& item = run.Side.More.Items()[run.Next++];
        if (!item.IsWait())
            sent = m_outputs.SendMidiMessage(run.Side.Output, item.Bytes, kind, !run.Reported);
    }
    run.Reported = run.Reported || !sent;
    return sent;
}

void TListPlayer::Flush()
{
    std::map<int, TLane> lanes;
    lanes.swap(m_lanes);
    for (auto& [number, lane] : lanes)
        for (TRun& run : lane.Runs)
            while (run.Release && (!run.OwnSent || run.Next < run.Side.More.Items().size()))
                SendOne(run);
}
