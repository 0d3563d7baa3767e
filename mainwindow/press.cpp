// Press, release and toggle: what a grid button sends and shows, by its action.
#include "main.h"

#include "model/MidiCatalogue.h"
#include "widgets/TAdvToolButton.h"

#include <QMenu>

void TfmMain::BtTxMouseDown(TAdvToolButton* sender, Qt::MouseButton button,
                            Qt::KeyboardModifiers, QPoint)
{
    if (button != Qt::LeftButton)
        return;
    TCommandSet* d = Definition(sender);
    if (!d)
        return;
    const THandlerScope scope(*this, sender->Tag());
    switch (d->Action) {
    case actPress:
        SendSide(d->Press);
        break;
    case actPressRelease:
        SendSide(d->Press);
        d->Pressed = true;
        ShowFace(sender, d->Release);
        break;
    case actToggle:
        if (!d->Pressed) {
            SendSide(d->Press);
            ShowFace(sender, d->Release);
        }
        break;
    }
    HighlightOn(sender);
}

void TfmMain::BtTxMouseUp(TAdvToolButton* sender, Qt::MouseButton button, Qt::KeyboardModifiers,
                          QPoint)
{
    if (button == Qt::RightButton) {
        m_currentButton = sender->Tag();
        m_popupPoint = sender->mapToGlobal(QPoint(0, 0));
        m_popupMenu->popup(m_popupPoint);
        return;
    }
    if (button != Qt::LeftButton)
        return;
    TCommandSet* d = Definition(sender);
    if (!d)
        return;
    const THandlerScope scope(*this, sender->Tag());
    switch (d->Action) {
    case actPress:
        break;
    case actPressRelease:
        SendSide(d->Release, TOutputs::TKind::Release);
        ShowFace(sender, d->Press);
        sender->SetLit(false);
        d->Pressed = false;
        break;
    case actToggle:
        if (d->Pressed) {
            d->Pressed = false;
            SendSide(d->Release, TOutputs::TKind::Release);
            ShowFace(sender, d->Press);
        } else {
            d->Pressed = true;
        }
        sender->SetSwitchedOn(d->Pressed);
        break;
    }
    HighlightOff(sender);
}

void TfmMain::ShowFace(TAdvToolButton* button, const TCommand& side)
{
    QString caption = side.Caption;
    button->SetCaption(caption.replace(QStringLiteral("\\n"), QStringLiteral("\n")));
    button->SetGlyph(m_imageList.Glyph(side.ImageIndex));
    button->SetGlyphName(m_imageList.Name(side.ImageIndex));
    button->SetFontColor(side.TextColour);
    button->SetColor(side.ButtonColour);
    button->SetColorHot(side.ButtonColour);
}

void TfmMain::SendSide(const TCommand& side, TOutputs::TKind kind)
{
    // A kind outside the catalogue (hand-edited file) has no message: nothing goes out.
    if (const auto msg = BuildShortMessage(side.Msg))
        m_outputs.SendMidiMessage(side.Output, msg->Status, msg->Data1, msg->Data2, kind);
}

void TfmMain::HighlightOn(TAdvToolButton* button)
{
    button->SetBorderColor(m_settings.BorderHighlightColour);
    button->SetBorderDownColor(m_settings.BorderHighlightColour);
    button->SetHeld(true);
}

void TfmMain::HighlightOff(TAdvToolButton* button)
{
    button->SetBorderColor(kColorNone);
    button->SetBorderDownColor(kColorNone);
    button->SetHeld(false);
}
