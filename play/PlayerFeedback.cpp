// Feedback: what the other end knows of the buttons' state, heard on the one MIDI input. Nothing
// is sent. A toggle takes the state it is shown in, so that its next press does what the face
// says; the other actions only change their face.
#include "Player.h"

#include "model/Feedback.h"

void TPlayer::Feedback(std::span<const TShortMessage> messages)
{
    if (!m_definitions)
        return;
    for (const TShortMessage& message : messages)
        for (const TButtonFeedback& match : MatchFeedback(*m_definitions, m_inPlay, message))
            FeedbackFor(match.Index + 1, match.Effect);
}

void TPlayer::FeedbackFor(int number, TFeedback effect)
{
    TCommandSet* d = Definition(number);
    if (!d)
        return;
    // A held button keeps its held state until its release, and a step that is running (its
    // error box open) finishes with the state it started from; every other button shows it now.
    if (FeedbackWaits(number)) {
        // A held toggle or press-and-release button shows its Press side in effect: news that
        // says so is no news, and must not undo what the release then tells the other end.
        if (Held(number) && d->Action != actPress && effect == TFeedback::On &&
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
    ShowFeedback(number, *d, effect);
}

void TPlayer::ShowFeedback(int number, TCommandSet& d, TFeedback effect)
{
    const bool on = effect == TFeedback::On;
    const bool toggle = d.Action == actToggle;
    // A toggle on as if pressed once: the next press sends nothing, its release the Release side.
    if (toggle)
        d.Pressed = on;
    Show([&](IPlayerView& v) {
        v.FeedbackShown(number, toggle, on);
        v.FaceShown(number, on ? TFace::Release : TFace::Press);
    });
}

bool TPlayer::FeedbackWaits(int number) const
{
    return Held(number) || Handling(number);
}

void TPlayer::ApplyLaterFeedback()
{
    for (auto later = m_laterFeedback.begin(); later != m_laterFeedback.end();) {
        const int number = later->first;
        if (FeedbackWaits(number)) {
            ++later;
            continue;
        }
        TCommandSet* d = Definition(number);
        // Only while still about the button: an edit since makes it news of another button.
        if (d && d->SameDefinition(later->second.Definition))
            ShowFeedback(number, *d, later->second.Effect);
        later = m_laterFeedback.erase(later);
    }
}
