// The button context menu: Properties, Cut, Copy, Paste, Undo, Redo, Panic, Configuration,
// About and Exit, cut down to Panic, About and Exit when editing is not allowed.
#include "main.h"

#include "dialogs/About.h"
#include "dialogs/DialogPlacement.h"
#include "dialogs/configuration.h"
#include "dialogs/properties.h"

#include <QAction>
#include <QMenu>

void TfmMain::CreatePopupMenu()
{
    m_popupMenu = new QMenu(this);
    m_popupMenu->setObjectName("PopupMenu");
    const auto item = [this](const QString& name, const QString& caption, auto handler) {
        QAction* action = m_popupMenu->addAction(caption, this, handler);
        action->setObjectName(name);
        return action;
    };
    const auto separator = [this](const QString& name) {
        m_popupMenu->addSeparator()->setObjectName(name);
    };

    QAction* heading = m_popupMenu->addAction(QString());
    heading->setObjectName("MnPuButton");
    heading->setEnabled(false);
    item("ButtonProperties1", "Button Properties", &TfmMain::actButtonPropertiesExecute);
    separator("N3");
    item("ButtonCut1", "Button Cut", &TfmMain::actButtonCutExecute);
    item("ButtonCopy1", "Button Copy", &TfmMain::actButtonCopyExecute);
    m_actButtonPaste = item("ButtonPaste1", "Button Paste", &TfmMain::actButtonPasteExecute);
    AddUndoItems();
    separator("N1");
    // Escape itself is handled by the window (keyboard.cpp): the menu only shows the key.
    item("mnPanic", "Panic", [this] { m_player.Panic(); })
        ->setShortcut(QKeySequence(Qt::Key_Escape));
    item("mnConfiguration", "Configuration...", &TfmMain::mnConfigurationClick);
    item("mnAbout", "About...", &TfmMain::mnAboutClick);
    item("mnExit", "E&xit", &TfmMain::actExitExecute);
    connect(m_popupMenu, &QMenu::aboutToShow, this, &TfmMain::PopupMenuPopup);
}

QAction* TfmMain::MenuItem(const QString& name) const
{
    for (QAction* action : m_popupMenu->actions())
        if (action->objectName() == name)
            return action;
    return nullptr;
}

void TfmMain::PopupMenuPopup()
{
    if (!m_settings.AllowEditing) {
        for (QAction* action : m_popupMenu->actions())
            if (action->objectName() != "mnPanic" && action->objectName() != "mnAbout" &&
                action->objectName() != "mnExit")
                action->setVisible(false);
    }
    MenuItem("MnPuButton")->setText(QStringLiteral("Button %1").arg(m_currentButton));
    m_actButtonPaste->setEnabled(m_commandList && !m_commandList->ClipboardEmpty());
}

void TfmMain::actButtonCutExecute()
{
    if (!m_commandList)
        return;
    const int index = m_currentButton - 1;
    m_history.EditButton(index, QStringLiteral("Button Cut"), [&] { m_commandList->Cut(index); });
    RefreshButtons();
}

void TfmMain::actButtonCopyExecute()
{
    if (!m_commandList)
        return;
    m_commandList->Copy(m_currentButton - 1);
    RefreshButtons();
}

void TfmMain::actButtonPasteExecute()
{
    if (!m_commandList)
        return;
    const int index = m_currentButton - 1;
    m_history.EditButton(index, QStringLiteral("Button Paste"),
                         [&] { m_commandList->Paste(index); });
    RefreshButtons();
}

void TfmMain::actExitExecute()
{
    close();
}

void TfmMain::mnConfigurationClick()
{
    // The dialog applies its changes itself, through ApplyConfiguration.
    CreateDialogs();
    if (m_fmConfiguration)
        m_fmConfiguration->exec();
}

void TfmMain::ApplyConfiguration(const QString& title, bool trayIconActive)
{
    SetCaption(title);
    SetTrayIconActive(trayIconActive);
    ResizeCommandList(m_settings.ButtonRows * m_settings.ButtonCols); // ends with a refresh
    m_input.Apply();
}

void TfmMain::mnAboutClick()
{
    CreateDialogs();
    if (m_aboutBox)
        m_aboutBox->exec();
}

void TfmMain::actButtonPropertiesExecute()
{
    CreateDialogs();
    if (!m_properties || !m_commandList || m_currentButton < 1 ||
        m_currentButton > m_commandList->Count())
        return;
    m_properties->SetEditedButton(m_currentButton);
    PlaceDialog(*m_properties, m_popupPoint, *this);
    if (m_properties->exec() != QDialog::Accepted || !m_commandList)
        return;
    const int index = m_currentButton - 1;
    m_history.EditButton(index, QStringLiteral("Button Properties"),
                         [&] { m_commandList->Get(index).Assign(m_properties->EditSet()); });
    RefreshButtons();
}
