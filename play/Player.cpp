#include "Player.h"

#include "midi/Outputs.h"
#include "model/Feedback.h"

#include <QTimer>

#include <algorithm>
#include <iterator>
#include <utility>

// Marks a button's step as running for as long as it lives; the steps left waiting run once the
// last one has ended.
class TPlayer::TStep
{
public:
    TStep(TPlayer& player, int number) : m_player(player) { m_player.m_handled.push_back(number); }
    ~TStep()
    {
        m_player.m_handled.pop_back();
        m_player.StepEnded();
    }
    TStep(const TStep&) = delete;
    TStep& operator=(const TStep&) = delete;

private:
    TPlayer& m_player;
};

TPlayer::TPlayer(TOutputs& outputs)
    : m_outputs(outputs), m_lists(outputs, [this](int number, const std::function<void()>& rest) {
          const TStep step(*this, number);
          rest();
      })
{
    m_holds.reserve(16);
}

TCommandSet* TPlayer::Definition(int number)
{
    if (!m_definitions || number < 1 || number > m_inPlay || number > m_definitions->Count())
        return nullptr;
    return &m_definitions->Get(number - 1);
}

std::vector<int> TPlayer::ButtonsOfHotKey(const QString& name)
{
    std::vector<int> numbers;
    for (int number = 1; number <= m_inPlay; ++number)
        if (const TCommandSet* d = Definition(number); d && d->HotKey == name)
            numbers.push_back(number);
    return numbers;
}

void TPlayer::SetButtonsInPlay(int count)
{
    const int before = std::exchange(m_inPlay, std::max(m_inPlay, count));
    // The presses of buttons that leave end as their releases would have ended them...
    for (const THeldPress& hold : Take([count](const THeldPress& h) { return h.Button > count; }))
        EndHold(hold, 0);
    // ...and a toggle left on could never send its release once gone: it goes now.
    for (int number = count + 1; number <= before; ++number) {
        TCommandSet* d = Definition(number);
        if (d && d->Action == actToggle && std::exchange(d->Pressed, false))
            SendSide(number, d->Release, true);
    }
    m_inPlay = count;
    ApplyLaterFeedback();
}

void TPlayer::Press(int number, TPressSource source)
{
    if (m_closed)
        return;
    // A press whose release never came (it was lost to the system) ends before the next.
    if (source.HoldsOneButton())
        Release(source);
    PressOne(number, source);
}

void TPlayer::Press(std::span<const int> numbers, TPressSource source)
{
    if (m_closed)
        return;
    const TStep step(*this, 0);
    // Its release must wait for this press, should a box of one of its sends be open.
    m_pressing.push_back(source);
    for (int number : numbers)
        PressOne(number, source);
    m_pressing.erase(std::find(m_pressing.begin(), m_pressing.end(), source));
}

void TPlayer::PressOne(int number, TPressSource source)
{
    const TCommandSet* d = Definition(number);
    if (!d)
        return;
    // A key still down presses again only when its repeat passes the filter: a plain press sends
    // again, a button it holds is not started twice.
    if (Holds(source, number)) {
        if (d->Action == actPress)
            PressStep(number);
        return;
    }
    const bool first = !Held(number);
    THeldPress hold{source, number, {}, d->Action == actToggle && d->Pressed};
    hold.Definition.Assign(*d);
    m_holds.push_back(std::move(hold));
    if (first || d->Action == actPress)
        PressStep(number);
}

void TPlayer::PressStep(int number)
{
    const TStep step(*this, number);
    TCommandSet* d = Definition(number);
    if (!d)
        return;
    switch (d->Action) {
    case actPress:
        SendSide(number, d->Press, false);
        break;
    case actPressRelease:
        SendSide(number, d->Press, false);
        d->Pressed = true;
        Show([&](IPlayerView& v) { v.FaceShown(number, TFace::Release); });
        break;
    case actToggle:
        if (!d->Pressed) {
            SendSide(number, d->Press, false);
            Show([&](IPlayerView& v) { v.FaceShown(number, TFace::Release); });
        }
        break;
    }
    Show([&](IPlayerView& v) { v.HeldChanged(number, true); });
}

void TPlayer::ReleaseStep(int number)
{
    const TStep step(*this, number);
    TCommandSet* d = Definition(number);
    if (!d)
        return;
    switch (d->Action) {
    case actPress:
        break;
    case actPressRelease:
        SendSide(number, d->Release, true);
        Show([&](IPlayerView& v) {
            v.FaceShown(number, TFace::Press);
            v.FeedbackShown(number, false, false);
        });
        d->Pressed = false;
        break;
    case actToggle:
        if (d->Pressed) {
            d->Pressed = false;
            SendSide(number, d->Release, true);
            Show([&](IPlayerView& v) { v.FaceShown(number, TFace::Press); });
        } else {
            d->Pressed = true;
        }
        Show([&](IPlayerView& v) { v.SwitchedChanged(number, d->Pressed); });
        break;
    }
    Show([&](IPlayerView& v) { v.HeldChanged(number, false); });
}

void TPlayer::Release(TPressSource source, int ownButton)
{
    // A modal error box runs its loop inside a step: a release from in there waits until the
    // press has finished. Another key's release, heard meanwhile, goes out at once.
    const auto pressing = [&] {
        return std::find(m_pressing.begin(), m_pressing.end(), source) != m_pressing.end();
    };
    if (Busy() && (!source.IsKey() || pressing())) {
        m_idle.push_back([this, source] { Release(source); });
        return;
    }
    for (const THeldPress& hold : Take([source](const THeldPress& h) { return h.Source == source; }))
        EndHold(hold, ownButton);
    ApplyLaterFeedback();
}

void TPlayer::ReleaseIf(const std::function<bool(const THeldPress&)>& pick)
{
    for (const THeldPress& hold : Take(pick))
        EndHold(hold, 0);
    ApplyLaterFeedback();
}

void TPlayer::EndHold(const THeldPress& hold, int ownButton)
{
    const int number = hold.Button;
    Show([&](IPlayerView& v) { v.HoldEnded(hold.Source, number, number == ownButton); });
    if (Held(number))
        return; // another source still holds it down
    const TCommandSet* d = Definition(number);
    if (d && d->SameDefinition(hold.Definition))
        ReleaseStep(number);
    else
        EndChanged(hold);
}

void TPlayer::EndChanged(const THeldPress& hold)
{
    // The definition was cut, pasted over or replaced, or its button is gone: the release of what
    // was pressed still goes out, and the new definition starts released.
    const TStep step(*this, hold.Button);
    const TCommandSet& pressed = hold.Definition;
    if (pressed.Action == actPressRelease || pressed.Action == actToggle)
        SendSide(hold.Button, pressed.Release, true);
    if (TCommandSet* d = Definition(hold.Button))
        d->Pressed = false;
    Show([&](IPlayerView& v) { v.HeldChanged(hold.Button, false); });
}

void TPlayer::DefinitionsChanged()
{
    const auto changed = [this](const THeldPress& h) {
        const TCommandSet* d = Definition(h.Button);
        return !d || !d->SameDefinition(h.Definition);
    };
    for (const THeldPress& hold : Take(changed)) {
        Show([&](IPlayerView& v) { v.HoldEnded(hold.Source, hold.Button, false); });
        if (!Held(hold.Button))
            EndChanged(hold);
    }
    ApplyLaterFeedback();
}

void TPlayer::Close()
{
    m_idle.clear();
    // Nothing waits from here on: the releases go out before the outputs close.
    m_lists.SetImmediate(true);
    EndAll();
    m_closed = true;
}

void TPlayer::EndAll()
{
    FlushLists();
    for (const THeldPress& hold : Take([](const THeldPress&) { return true; }))
        EndHold(hold, 0);
    ApplyLaterFeedback();
}

void TPlayer::Panic()
{
    if (m_closed)
        return;
    if (Busy()) { // a box of a running step is open: the panic follows its step
        WhenIdle([this] { Panic(); });
        return;
    }
    m_lists.SetImmediate(true); // the releases go out now, then play goes on as before
    EndAll();
    m_lists.SetImmediate(false);
    m_outputs.Silence();
    for (int number = 1; number <= m_inPlay; ++number) {
        TCommandSet* d = Definition(number);
        if (!d || d->Action != actToggle || !d->Pressed || d->Press.Msg.Message != kNoteOnKind)
            continue;
        d->Pressed = false;
        Show([&](IPlayerView& view) {
            view.FaceShown(number, TFace::Press);
            view.SwitchedChanged(number, false);
        });
    }
}

void TPlayer::Reopen()
{
    m_closed = false;
    m_lists.SetImmediate(false);
}

void TPlayer::SendSide(int number, const TCommand& side, bool release)
{
    // A kind outside the catalogue (hand-edited file) has no message of its own; its list
    // still goes out.
    m_lists.Play(number, side, release);
}

template <typename Pick> std::vector<THeldPress> TPlayer::Take(Pick pick)
{
    std::vector<THeldPress> taken;
    const auto rest = std::stable_partition(m_holds.begin(), m_holds.end(),
                                            [&](const THeldPress& h) { return !pick(h); });
    std::move(rest, m_holds.end(), std::back_inserter(taken));
    m_holds.erase(rest, m_holds.end());
    return taken;
}

bool TPlayer::Holds(TPressSource source, int number) const
{
    return std::any_of(m_holds.begin(), m_holds.end(), [&](const THeldPress& h) {
        return h.Source == source && h.Button == number;
    });
}

bool TPlayer::Held(int number) const
{
    return std::any_of(m_holds.begin(), m_holds.end(),
                       [&](const THeldPress& h) { return h.Button == number; });
}

const THeldPress* TPlayer::Find(TPressSource source) const
{
    const auto hold = std::find_if(m_holds.begin(), m_holds.end(),
                                   [&](const THeldPress& h) { return h.Source == source; });
    return hold == m_holds.end() ? nullptr : &*hold;
}

bool TPlayer::Handling(int number) const
{
    return std::find(m_handled.begin(), m_handled.end(), number) != m_handled.end();
}

void TPlayer::WhenIdle(std::function<void()> step)
{
    if (Busy())
        m_idle.push_back(std::move(step));
    else
        step();
}

void TPlayer::StepEnded()
{
    if (!Busy() && (!m_idle.empty() || !m_laterFeedback.empty()))
        QTimer::singleShot(0, &m_context, [this] { RunIdle(); });
}

void TPlayer::RunIdle()
{
    // A step run from here may open a box again: the rest waits for it.
    while (!Busy() && !m_idle.empty()) {
        const std::function<void()> step = std::move(m_idle.front());
        m_idle.pop_front();
        step();
    }
    if (!Busy())
        ApplyLaterFeedback();
}
