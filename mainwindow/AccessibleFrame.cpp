#include "AccessibleFrame.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace {

// Without it the window is a plain pane ("filler"), which a screen reader does not present as
// the program's window.
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
