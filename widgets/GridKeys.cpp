#include "GridKeys.h"

#include <QEvent>
#include <QKeyEvent>
#include <QVariant>
#include <QWidget>

namespace {

const char* const kNumber = "keyrillGridNumber";

} // namespace

int GridNeighbour(int number, int key, int rows, int count)
{
    if (rows < 1 || number < 1 || number > count)
        return 0;
    const int row = (number - 1) % rows;
    int next = 0;
    switch (key) {
    case Qt::Key_Up:
        next = row > 0 ? number - 1 : 0;
        break;
    case Qt::Key_Down:
        next = row < rows - 1 ? number + 1 : 0;
        break;
    case Qt::Key_Left:
        next = number - rows;
        break;
    case Qt::Key_Right:
        next = number + rows;
        break;
    default:
        return 0;
    }
    return next >= 1 && next <= count ? next : 0;
}

TGridKeys::TGridKeys(QWidget& window, std::function<int()> rows,
                     std::function<QWidget*(int number)> button, std::function<int()> count)
    : QObject(&window), m_window(window), m_rows(std::move(rows)), m_button(std::move(button)),
      m_count(std::move(count))
{}

void TGridKeys::Watch(QWidget& button, int number)
{
    button.setProperty(kNumber, number);
    button.installEventFilter(this);
}

bool TGridKeys::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    if (key->key() == Qt::Key_Backtab || key->key() == Qt::Key_Tab) {
        if (modifiers & (Qt::ControlModifier | Qt::AltModifier))
            return false;
        m_window.setFocus(key->key() == Qt::Key_Tab ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        return true;
    }
    if (modifiers != Qt::NoModifier)
        return false;
    const int number = watched->property(kNumber).toInt();
    const int next = GridNeighbour(number, key->key(), m_rows(), m_count());
    if (QWidget* target = next != 0 ? m_button(next) : nullptr)
        target->setFocus(Qt::TabFocusReason);
    // An arrow at the grid's edge stays where it is; it is no hot key there either.
    return key->key() >= Qt::Key_Left && key->key() <= Qt::Key_Down;
}
