#pragma once

#include <QAccessibleWidget>

class TAdvToolButton;

// What a screen reader finds of a drawn button: a push button named by the caption it shows
// (the widget's accessible name, else "Button N", when that is empty), described by its
// accessible description (the grid puts its hot key there), pressed while held, checkable as a
// toggle and checked while it is on, with one action, "Press", that plays it as a click does.
class TAccessibleToolButton : public QAccessibleWidget
{
public:
    explicit TAccessibleToolButton(TAdvToolButton* button);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;

private:
    TAdvToolButton* Button() const;
};

// Registers the interface with Qt's accessibility, once per process; every drawn button calls
// it when it is made, so no interface of another kind is ever cached for one.
void InstallAccessibleToolButtons();
