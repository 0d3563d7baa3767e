#include "widgets/AccessibleButton.h"

#include "widgets/TAdvToolButton.h"

#include <QMetaObject>

namespace {

QAccessibleInterface* ToolButtonFactory(const QString&, QObject* object)
{
    auto* button = qobject_cast<TAdvToolButton*>(object);
    return button ? new TAccessibleToolButton(button) : nullptr;
}

} // namespace

TAccessibleToolButton::TAccessibleToolButton(TAdvToolButton* button)
    : QAccessibleWidget(button, QAccessible::Button)
{}

QAccessible::Role TAccessibleToolButton::role() const
{
    return Button()->GroupIndex() != 0 ? kToggleButtonRole : QAccessible::Button;
}

TAdvToolButton* TAccessibleToolButton::Button() const
{
    return static_cast<TAdvToolButton*>(widget());
}

QString TAccessibleToolButton::text(QAccessible::Text t) const
{
    if (t != QAccessible::Name)
        return QAccessibleWidget::text(t);
    const QString spoken = Button()->SpokenCaption();
    if (!spoken.isEmpty())
        return spoken;
    if (!widget()->accessibleName().isEmpty())
        return widget()->accessibleName();
    if (!Button()->GlyphName().isEmpty())
        return Button()->GlyphName();
    return QStringLiteral("Button %1").arg(Button()->Tag());
}

QAccessible::State TAccessibleToolButton::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.pressed = Button()->Held();
    state.checkable = Button()->GroupIndex() != 0;
    state.checked = state.checkable ? Button()->SwitchedOn() : Button()->Lit();
    return state;
}

QStringList TAccessibleToolButton::actionNames() const
{
    return {Button()->GroupIndex() != 0 ? toggleAction() : pressAction()};
}

void TAccessibleToolButton::doAction(const QString& actionName)
{
    // Played from the event loop, not inside the screen reader's call: an error box that the
    // press opens must not keep the reader waiting for its answer.
    if (actionNames().contains(actionName))
        QMetaObject::invokeMethod(Button(), &TAdvToolButton::Click, Qt::QueuedConnection);
}

void InstallAccessibleToolButtons()
{
    static const bool installed = (QAccessible::installFactory(&ToolButtonFactory), true);
    Q_UNUSED(installed);
    RegisterToggleButtonRole();
}
