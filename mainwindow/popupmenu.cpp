// The button context menu: Properties, Cut, Copy, Paste, Configuration, About and Exit, cut down
// to About and Exit when editing is not allowed.
#include "main.h"

#include <QAction>
#include <QMenu>

QAction* TfmMain::AddAction(const QString& name, const QString& caption,
                            void (TfmMain::*handler)())
{
    auto* action = new QAction(caption, this);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, handler);
    return action;
}

void TfmMain::CreatePopupMenu()
{
    m_actResizeButtons =
        AddAction("actResizeButtons", "Resize Buttons", &TfmMain::actResizeButtonsExecute);
    QAction* properties = AddAction("actButtonProperties", "Button Properties",
                                    &TfmMain::actButtonPropertiesExecute);
    QAction* cut = AddAction("actButtonCut", "Button Cut", &TfmMain::actButtonCutExecute);
    QAction* copy = AddAction("actButtonCopy", "Button Copy", &TfmMain::actButtonCopyExecute);
    m_actButtonPaste = AddAction("actButtonPaste", "Button Paste", &TfmMain::actButtonPasteExecute);
    QAction* exit = AddAction("actExit", "E&xit", &TfmMain::actExitExecute);

    m_popupMenu = new QMenu(this);
    m_popupMenu->setObjectName("PopupMenu");
    const auto item = [this](QAction* action, const QString& name) {
        // Each menu item is an action of its own, named after the item, so the menu can be
        // searched by item name as well as by action.
        auto* entry = new QAction(action->text(), m_popupMenu);
        entry->setObjectName(name);
        connect(entry, &QAction::triggered, action, &QAction::trigger);
        connect(action, &QAction::changed, entry,
                [entry, action] { entry->setEnabled(action->isEnabled()); });
        m_popupMenu->addAction(entry);
    };
    const auto separator = [this](const QString& name) {
        m_popupMenu->addSeparator()->setObjectName(name);
    };

    QAction* heading = m_popupMenu->addAction(QString());
    heading->setObjectName("MnPuButton");
    heading->setEnabled(false);
    item(properties, "ButtonProperties1");
    separator("N3");
    item(cut, "ButtonCut1");
    item(copy, "ButtonCopy1");
    item(m_actButtonPaste, "ButtonPaste1");
    separator("N1");
    m_popupMenu->addAction("Configuration...", this, &TfmMain::mnConfigurationClick)
        ->setObjectName("mnConfiguration");
    m_popupMenu->addAction("About...", this, &TfmMain::mnAboutClick)->setObjectName("mnAbout");
    item(exit, "mnExit");
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
            if (action->objectName() != "mnAbout" && action->objectName() != "mnExit")
                action->setVisible(false);
    }
    MenuItem("MnPuButton")->setText(QStringLiteral("Button %1").arg(m_currentButton));
    m_actButtonPaste->setEnabled(m_commandList && !m_commandList->ClipboardEmpty());
}

void TfmMain::actButtonCutExecute()
{
    if (!m_commandList)
        return;
    m_commandList->Cut(m_currentButton - 1);
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
    m_commandList->Paste(m_currentButton - 1);
    RefreshButtons();
}

void TfmMain::actExitExecute()
{
    close();
}

// The Properties, Configuration and About dialogs are not part of the program yet; their menu
// items are in place and do nothing until then.
void TfmMain::actButtonPropertiesExecute() {}
void TfmMain::mnConfigurationClick() {}
void TfmMain::mnAboutClick() {}
