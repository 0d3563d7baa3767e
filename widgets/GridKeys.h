#pragma once

#include <QObject>

#include <functional>

class QWidget;

// The grid's button number that an arrow key moves the focus to from button `number`, in a grid
// of `rows` rows numbered down each column; 0 past the grid's edge or for another key.
int GridNeighbour(int number, int key, int rows, int count);

// The keyboard's way round the grid: the arrows move the focus by row and column, and Tab or
// Shift+Tab on a button leaves the grid for the window, from where Tab comes back in.
class TGridKeys : public QObject
{
public:
    // rows: the grid's rows now; button: the grid button of a number, null outside the grid.
    TGridKeys(QWidget& window, std::function<int()> rows,
              std::function<QWidget*(int number)> button, std::function<int()> count);

    // Called for every grid button as it is made.
    void Watch(QWidget& button, int number);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& m_window;
    std::function<int()> m_rows;
    std::function<QWidget*(int)> m_button;
    std::function<int()> m_count;
};
