#include "MessageBoxes.h"

#include <QMessageBox>

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
