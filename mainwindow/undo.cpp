// Undo and Redo of the edits of the run: the button menu's items, the keys, and the set as a
// Configuration Apply changes it.
#include "main.h"

#include "remote/RemoteServer.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>

TEditHistory::TLinks TfmMain::HistoryLinks()
{
    return {[this](int index) -> TCommandSet* {
                return m_commandList && index >= 0 && index < m_commandList->Count()
                           ? &m_commandList->Get(index)
                           : nullptr;
            },
            [this] { RefreshButtons(); }, [this] { return CaptureSet(); },
            [this](const TSetState& state) { RestoreSet(state); }};
}

TSetState TfmMain::CaptureSet()
{
    TSetState state{m_settings, m_outputs.Slots(), m_input.Slot(), m_remote->Settings(), m_caption,
                    m_trayIconActive, {}};
    if (m_commandList)
        for (int i = 0; i < m_commandList->Count(); ++i)
            state.Definitions.push_back(m_commandList->Get(i));
    return state;
}

// As the Apply that made it: the grid follows rows x columns, then the definitions come back
// (those a smaller grid dropped among them) and the faces and held presses follow.
void TfmMain::RestoreSet(const TSetState& state)
{
    if (!m_commandList)
        return;
    m_settings = state.Settings;
    m_outputs.Slots() = state.Outputs;
    m_input.Slot() = state.Input;
    ApplyRemote(state.Remote);
    ApplyConfiguration(state.Title, state.TrayIconActive);
    TCommandList& list = *m_commandList;
    for (int i = 0; i < list.Count() && i < int(state.Definitions.size()); ++i)
        list.Get(i).Assign(state.Definitions[std::size_t(i)]);
    RefreshButtons();
}

void TfmMain::AddUndoItems()
{
    QAction* undo = m_history.Stack().createUndoAction(m_popupMenu, QStringLiteral("Undo"));
    undo->setObjectName(QStringLiteral("mnUndo"));
    QAction* redo = m_history.Stack().createRedoAction(m_popupMenu, QStringLiteral("Redo"));
    redo->setObjectName(QStringLiteral("mnRedo"));
    m_popupMenu->addAction(undo);
    m_popupMenu->addAction(redo);
}

// Ctrl+Z undoes, Ctrl+Shift+Z and Ctrl+Y redo; hot keys have no modifiers, so none is taken.
bool TfmMain::UndoKey(const QKeyEvent& event)
{
    const Qt::KeyboardModifiers mods =
        event.modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    const bool undo = mods == Qt::ControlModifier && event.key() == Qt::Key_Z;
    const bool redo = (mods == (Qt::ControlModifier | Qt::ShiftModifier) && event.key() == Qt::Key_Z) ||
                      (mods == Qt::ControlModifier && event.key() == Qt::Key_Y);
    if (!undo && !redo)
        return false;
    if (m_settings.AllowEditing && !event.isAutoRepeat())
        undo ? m_history.Stack().undo() : m_history.Stack().redo();
    return true;
}
