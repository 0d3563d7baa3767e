#include "MessageBoxes.h"

#include <algorithm>
#include <vector>

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

void TQtMessageBoxes::Show(const QString& title, const QString& text, TBoxIcon icon,
                           std::optional<QPoint> topLeft)
{
    QMessageBox box(icon == TBoxIcon::Error ? QMessageBox::Critical : QMessageBox::NoIcon, title,
                    text, QMessageBox::Ok, m_parent);
    if (topLeft) {
        box.adjustSize();
        box.move(*topLeft);
    }
    Run(box);
}

int TQtMessageBoxes::Ask(const QString& title, const QString& text, TBoxIcon icon,
                         const QStringList& buttons)
{
    QMessageBox box(icon == TBoxIcon::Error ? QMessageBox::Critical : QMessageBox::NoIcon, title,
                    text, QMessageBox::NoButton, m_parent);
    std::vector<QPushButton*> added;
    for (const QString& caption : buttons)
        added.push_back(box.addButton(caption, QMessageBox::ActionRole));
    if (!added.empty())
        box.setDefaultButton(added.front());
    if (!Run(box))
        return -1;
    const auto chosen = std::find(added.begin(), added.end(), box.clickedButton());
    return chosen == added.end() ? -1 : int(chosen - added.begin());
}

QString TQtMessageBoxes::AskSaveFileName(const QString& title, const QString& startPath,
                                         const QString& filter)
{
    if (m_dismissed)
        return {};
    return QFileDialog::getSaveFileName(m_parent, title, startPath, filter);
}

void TQtMessageBoxes::DismissAll()
{
    m_dismissed = true;
    if (m_open)
        m_open->reject();
}

// False when the box was dismissed rather than answered.
bool TQtMessageBoxes::Run(QDialog& box)
{
    if (m_dismissed)
        return false;
    m_open = &box;
    box.exec();
    m_open = nullptr;
    return !m_dismissed;
}
