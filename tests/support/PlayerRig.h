#pragma once

#include <QStringList> // before FakeMessageBoxes.h, which uses it

#include "midi/Midi.h"
#include "midi/Outputs.h"
#include "model/qelCommandList.h"
#include "play/Player.h"
#include "support/FakeMessageBoxes.h"
#include "support/FakeMidiService.h"

#include <QPoint>

// A player on the fake service's "Synth", output 1 active and open, its boxes recorded; the
// fixture fills the list and hands it to the player.
struct TPlayerRig
{
    TPlayerRig()
    {
        m_outputs.CreateOutputs();
        m_outputs.Slot(1)->Active = true;
        m_outputs.OpenActiveOutputs();
    }

    TFakeMidiService m_service{{"Synth"}};
    TMidiSystem m_midi{m_service};
    TFakeMessageBoxes m_boxes;
    bool m_showErrors = true;
    TOutputs m_outputs{m_midi, m_boxes, m_showErrors, [] { return QPoint(); }};
    TCommandList m_list;
    TPlayer m_player{m_outputs};
};
