// Feedback: what the other end knows of the buttons' state, heard on the one MIDI input, shown on
// the grid. Nothing is sent. A toggle takes the state it is shown in, so that its next press does
// what the face says; the other actions only change their face.
#include "main.h"

#include "model/Feedback.h"
#include "widgets/TAdvToolButton.h"

#include <algorithm>

void TfmMain::FeedbackReceived(std::span<const TShortMessage> messages)
{
    if (!m_commandList)
        return;
    const int count = int(m_buttons.size());
    for (const TShortMessage& message : messages)
        for (const TButtonFeedback& match : MatchFeedback(*m_commandList, count, message))
            Feedback(match.Index + 1, match.Effect);
}

void TfmMain::Feedback(int number, TFeedback effect)
{
    TQelSpeedButton* button = GridButton(number);
    TCommandSet* d = button ? Definition(button) : nullptr;
    if (!d)
        return;
    // A held button keeps its held state until its release, and a handler that is running (its
    // error box open) finishes with the state it started from; every other button shows it now.
    if (FeedbackWaits(number)) {
        // A held toggle or press-and-release button shows its Press side in effect: news that
        // says so is no news, and must not undo what the release then tells the other end.
        if (m_held.HoldsButton(number) && d->Action != actPress && effect == TFeedback::On &&
            !Handling(number)) {
            m_laterFeedback.erase(number);
            return;
        }
        TLaterFeedback& later = m_laterFeedback[number];
        later.Effect = effect;
        later.Definition.Assign(*d);
        return;
    }
    m_laterFeedback.erase(number);
    ShowFeedback(button, *d, effect);
}

void TfmMain::ShowFeedback(TQelSpeedButton* button, TCommandSet& d, TFeedback effect)
{
    const bool on = effect == TFeedback::On;
    if (d.Action == actToggle) {
        // On as if pressed once: the next press sends nothing, its release the Release side.
        d.Pressed = on;
        button->SetDown(on);
        button->SetSwitchedOn(on);
    }
    button->SetLit(on && d.Action != actToggle);
    ShowFace(button, on ? d.Release : d.Press);
}

bool TfmMain::FeedbackWaits(int number) const
{
    return m_held.HoldsButton(number) || Handling(number);
}

bool TfmMain::Handling(int number) const
{
    return std::find(m_handledButtons.begin(), m_handledButtons.end(), number) !=
           m_handledButtons.end();
}

void TfmMain::ApplyHeldFeedback()
{
    for (auto later = m_laterFeedback.begin(); later != m_laterFeedback.end();) {
        const int number = later->first;
        if (FeedbackWaits(number)) {
            ++later;
            continue;
        }
        TQelSpeedButton* button = GridButton(number);
        TCommandSet* d = button ? Definition(button) : nullptr;
        // Only while still about the button: an edit since makes it news of another button.
        if (d && d->SameDefinition(later->second.Definition))
            ShowFeedback(button, *d, later->second.Effect);
        later = m_laterFeedback.erase(later);
    }
}
