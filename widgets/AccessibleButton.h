#pragma once

#include <QAccessibleWidget>

class TAdvToolButton;

// The role of a toggle button: Qt has none of its own, and the desktop's bridge is taught it.
// Below the first user role, which the bridge already names, and unused by Qt: a value above
// it would be none of the enumeration.
constexpr auto kToggleButtonRole = QAccessible::Role(QAccessible::UserRole - 1);

// What a screen reader finds of a drawn button: a push button named by the caption it shows
// (the widget's accessible name, else "Button N", when that is empty), described by its
// accessible description (the grid puts its hot key there), pressed while held, with one action,
// "Press", that plays it as a click does. A lit button is checked. A toggle is a toggle button,
// checkable and checked while it is on, whose action is named "Toggle" as a checkable Qt
// button's is.
class TAccessibleToolButton : public QAccessibleWidget
{
public:
    explicit TAccessibleToolButton(TAdvToolButton* button);

    QAccessible::Role role() const override;
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

// Teaches the desktop's accessibility bridge, where there is one, the toggle button role.
void RegisterToggleButtonRole();
// Tells the desktop's accessibility bus, where there is one, that an object's pressed state
// changed: Qt's bridge passes on no such change.
void AnnouncePressed(QObject& object, bool pressed);
