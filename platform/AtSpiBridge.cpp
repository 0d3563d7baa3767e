// What Qt's bridge to the desktop's accessibility bus (AT-SPI) does not tell by itself: the
// toggle button role, which Qt's own roles lack, and changes of the pressed state, which it drops.
#include "widgets/AccessibleButton.h"

#include <QDBusMessage>
#include <QDBusVariant>
#include <QtGui/private/qguiapplication_p.h>
#include <QtGui/private/qspi_constant_mappings_p.h>
#include <QtGui/private/qspiaccessiblebridge_p.h>
#include <qpa/qplatformintegration.h>

namespace {

// Only the bridge of a desktop session: other platforms (offscreen) have another or none.
QSpiAccessibleBridge* Bridge()
{
    QPlatformIntegration* integration = QGuiApplicationPrivate::platformIntegration();
    return integration ? dynamic_cast<QSpiAccessibleBridge*>(integration->accessibility())
                       : nullptr;
}

} // namespace

void RegisterToggleButtonRole()
{
    QSpiAccessibleBridge* bridge = Bridge();
    if (!bridge)
        return;
    auto& roles = const_cast<QSpiAccessibleBridge::SpiRoleMapping&>(bridge->spiRoleNames());
    const QString name = QStringLiteral("toggle button");
    roles.insert(kToggleButtonRole, RoleNames(ATSPI_ROLE_TOGGLE_BUTTON, name, name));
}

void AnnouncePressed(QObject& object, bool pressed)
{
    QSpiAccessibleBridge* bridge = Bridge();
    QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(&object);
    if (!bridge || !spoken || !QAccessible::isActive())
        return;
    // The object's path as Qt's bridge names it, and the event as AT-SPI defines it.
    const QString path =
        QStringLiteral(QSPI_OBJECT_PATH_PREFIX) + QString::number(QAccessible::uniqueId(spoken));
    QDBusMessage event = QDBusMessage::createSignal(
        path, QStringLiteral(ATSPI_DBUS_INTERFACE_EVENT_OBJECT), QStringLiteral("StateChanged"));
    event.setArguments({QStringLiteral("pressed"), int(pressed), 0,
                        QVariant::fromValue(QDBusVariant(0)), QVariantMap()});
    bridge->dBusConnection().send(event);
}
