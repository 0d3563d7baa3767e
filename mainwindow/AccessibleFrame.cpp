#include "AccessibleFrame.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace {

// Without it the window is an unnamed pane ("filler") that a screen reader passes over.
QAccessibleInterface* FrameFactory(const QString& className, QObject* object)
{
    if (className != QLatin1String("TfmMain") || !object->isWidgetType())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
}

} // namespace

void InstallAccessibleFrame()
{
    static const bool installed = (QAccessible::installFactory(&FrameFactory), true);
    Q_UNUSED(installed);
}
