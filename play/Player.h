#pragma once

#include "ListPlayer.h"
#include "PlayerView.h"
#include "PressSource.h"
#include "model/MidiCatalogue.h"
#include "model/qelCommandList.h"

#include <QObject>

#include <deque>
#include <functional>
#include <map>
#include <span>
#include <vector>

class TOutputs;
enum class TFeedback;

// One press still waiting for its release: who pressed, which button, and the definition as it
// was when pressed, so that the release sends what the press promised.
struct THeldPress
{
    TPressSource Source;
    int Button; // 1-based button number
    TCommandSet Definition;
    bool WasOn = false; // a toggle that was on when pressed: its release switches it off
};

// The playing rules, for every surface: what a press and a release of a button send and show
// by its action, which source holds which button, and the releases that no surface may lose.
// A button is down while any source holds it: its Press step runs at the first hold, its
// Release step at the last release (a plain "Press" button sends on every press). Any send may
// open a modal box whose event loop brings further presses and releases; a release that would
// overtake its own press waits until the presses running have finished.
class TPlayer
{
public:
    explicit TPlayer(TOutputs& outputs);
    TPlayer(const TPlayer&) = delete;
    TPlayer& operator=(const TPlayer&) = delete;

    // The definitions played; null after shutdown. Buttons 1..count are in play.
    void SetDefinitions(TCommandList* definitions) { m_definitions = definitions; }
    // The grid takes this many buttons: those leaving end their holds with what their presses
    // promised, and a toggle left on sends its Release side.
    void SetButtonsInPlay(int count);
    int ButtonsInPlay() const { return m_inPlay; }
    TCommandSet* Definition(int number);
    // The buttons in play whose hot key is `name`, in button order.
    std::vector<int> ButtonsOfHotKey(const QString& name);

    void AddView(IPlayerView& view) { m_views.push_back(&view); }
    void RemoveView(IPlayerView& view) { std::erase(m_views, &view); }

    void Press(int number, TPressSource source);
    // One key pressing every button of its name, as one step.
    void Press(std::span<const int> numbers, TPressSource source);
    // Ends everything the source holds, once. `ownButton`: the button whose surface reports the
    // release itself.
    void Release(TPressSource source, int ownButton = 0);
    // Ends the holds `pick` chooses (the window lost the keyboard).
    void ReleaseIf(const std::function<bool(const THeldPress&)>& pick);
    // Every change of definitions ends here: a press of a definition that is gone is released.
    void DefinitionsChanged();
    // What the other end reports; a held button gets it at its release.
    void Feedback(std::span<const TShortMessage> messages);

    // Shutdown: every hold released while the outputs are open; no press is taken after it
    // until Reopen (the user chose to stay).
    void Close();
    void Reopen();
    // Every hold released and every list ended as at shutdown (a later release sends
    // nothing), then the outputs silenced; toggles that started a note are off. Play goes on.
    void Panic();
    bool Closed() const { return m_closed; }

    // Ends the sides still sending: what is left of a Press side is dropped, what is left of a
    // Release side goes out at once without its waits.
    void FlushLists() { m_lists.Flush(); }
    // Plays one side on a lane of its own, in order with the lane's earlier sides (the
    // Properties dialog's Example).
    static constexpr int kExampleLane = 0;
    void PlaySide(int lane, const TCommand& side, bool release)
    {
        m_lists.Play(lane, side, release);
    }

    // A press or release step is running (its error box may be open).
    bool Busy() const { return !m_handled.empty(); }
    // Runs `step` now, or once the steps running have finished, in the order asked.
    void WhenIdle(std::function<void()> step);

    bool Holds(TPressSource source, int number) const;
    bool Held(int number) const;
    bool Empty() const { return m_holds.empty(); }
    const THeldPress* Find(TPressSource source) const;

private:
    class TStep;
    void EndAll();
    void PressOne(int number, TPressSource source);
    void PressStep(int number);
    void ReleaseStep(int number);
    void EndHold(const THeldPress& hold, int ownButton);
    void EndChanged(const THeldPress& hold);
    void SendSide(int number, const TCommand& side, bool release);
    template <typename Pick> std::vector<THeldPress> Take(Pick pick);
    template <typename Tell> void Show(Tell tell)
    {
        for (IPlayerView* view : m_views)
            tell(*view);
    }
    bool Handling(int number) const;
    void StepEnded();
    void RunIdle();
    void FeedbackFor(int number, TFeedback effect);
    void ShowFeedback(int number, TCommandSet& d, TFeedback effect);
    void ApplyLaterFeedback();
    bool FeedbackWaits(int number) const;

    TOutputs& m_outputs;
    TCommandList* m_definitions = nullptr;
    int m_inPlay = 0;
    std::vector<IPlayerView*> m_views;
    std::vector<THeldPress> m_holds; // in press order
    std::vector<int> m_handled;      // buttons whose steps run (boxes nest), innermost last
    std::vector<TPressSource> m_pressing; // keys whose presses run
    std::deque<std::function<void()>> m_idle;
    struct TLaterFeedback
    {
        TFeedback Effect;
        TCommandSet Definition;
    };
    std::map<int, TLaterFeedback> m_laterFeedback;
    bool m_closed = false;
    QObject m_context; // the event loop's posts
    TListPlayer m_lists;
};
