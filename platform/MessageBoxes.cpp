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
    box.exec();
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
    box.exec();
    const auto chosen = std::find(added.begin(), added.end(), box.clickedButton());
    return chosen == added.end() ? -1 : int(chosen - added.begin());
}

QString TQtMessageBoxes::AskSaveFileName(const QString& title, const QString& startPath,
                                         const QString& filter)
{
    return QFileDialog::getSaveFileName(m_parent, title, startPath, filter);
}
