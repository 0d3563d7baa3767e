// The button grid: built, laid out over the client area and faced by the grid view; the window
// keeps it in step with the settings and the definitions.
#include "main.h"
#include "window.h"

#include "platform/KeyboardMap.h"
#include "remote/RemoteServer.h"
#include "widgets/GridView.h"
#include "widgets/TAdvToolButton.h"

#include <QAction>
#include <QMenu>

void TfmMain::BuildButtons()
{
    const IKeyboardMap* map = m_keys.KeyboardMap();
    m_grid->Build(m_settings.ButtonRows, m_settings.ButtonCols, ButtonFont(),
                  map && map->RepeatsArePressesOnly());
    m_player.SetButtonsInPlay(int(m_grid->Buttons().size()));
}

void TfmMain::DestroyButtons()
{
    m_grid->Destroy();
}

bool TfmMain::ButtonsBuilt() const
{
    return m_grid->Built();
}

const std::vector<TQelSpeedButton*>& TfmMain::GridButtons() const
{
    return m_grid->Buttons();
}

void TfmMain::actResizeButtonsExecute()
{
    if (!m_grid->Built() || m_grid->Buttons().empty())
        return;
    m_grid->Layout(m_settings.ButtonRows, m_settings.ButtonCols, size());
    // The client area shrinks by the remainders so the buttons cover it exactly; a maximised
    // window keeps its size.
    m_keeper->ClientLaidOut();
}

void TfmMain::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    actResizeButtonsExecute();
}

QFont TfmMain::ButtonFont() const
{
    // One font for every button, bold, in the configured family and size.
    const QFont standard = this->font();
    QFont font = standard;
    font.setBold(true);
    font.setFamily(m_settings.FontName);
    // Size 0 (an emptied size field) is the platform's default size, not the last one used.
    if (m_settings.FontSize > 0)
        font.setPointSize(m_settings.FontSize);
    else if (standard.pointSize() > 0)
        font.setPointSize(standard.pointSize());
    else
        font.setPixelSize(standard.pixelSize());
    return font;
}

void TfmMain::RefreshButtons()
{
    if (!m_commandList)
        return;
    m_grid->Refresh(ButtonFont(), m_settings.ButtonLayout);
    // Every change of definitions ends here: a press of a definition that is gone is released.
    m_player.DefinitionsChanged();
    m_remote->GridChanged();
    UpdateGlobalKeys();
}

void TfmMain::ResizeCommandList(int count)
{
    if (!m_commandList)
        return;
    // Buttons that leave the grid end what they hold before their definitions go.
    m_player.SetButtonsInPlay(std::min(count, int(m_grid->Buttons().size())));
    TCommandList& list = *m_commandList;
    const int m = list.Count();
    for (int i = m; i < count; ++i)
        list.Get(list.Add()).Press.Caption = QString::number(i + 1);
    for (int i = m - 1; i >= count; --i)
        list.Delete(i);
    // The grid follows rows x columns at once, also when the list held that many already (the
    // 400 read at start) or only the arrangement changed.
    if (int(m_grid->Buttons().size()) != count) {
        DestroyButtons();
        BuildButtons();
    }
    actResizeButtonsExecute();
    RefreshButtons();
}

void TfmMain::ShowMenu(int number, QPoint at, bool keyboard)
{
    m_currentButton = number;
    m_popupPoint = at;
    m_popupMenu->popup(at);
    if (!keyboard)
        return;
    // Opened from the keyboard, the menu starts on its first item that can be chosen.
    for (QAction* action : m_popupMenu->actions()) {
        if (action->isVisible() && action->isEnabled() && !action->isSeparator()) {
            m_popupMenu->setActiveAction(action);
            break;
        }
    }
}
