// The toggle button role on the desktop's accessibility bus. Qt maps each of its own roles to one
// AT-SPI role and has no toggle button among them; its bridge's table is taught one more entry.
#include "widgets/AccessibleButton.h"

#include <QtGui/private/qguiapplication_p.h>
#include <QtGui/private/qspi_constant_mappings_p.h>
#include <QtGui/private/qspiaccessiblebridge_p.h>
#include <qpa/qplatformintegration.h>

void RegisterToggleButtonRole()
{
    QPlatformIntegration* integration = QGuiApplicationPrivate::platformIntegration();
    // Only the bridge of a desktop session: other platforms (offscreen) have another or none.
    auto* bridge =
        integration ? dynamic_cast<QSpiAccessibleBridge*>(integration->accessibility()) : nullptr;
    if (!bridge)
        return;
    auto& roles = const_cast<QSpiAccessibleBridge::SpiRoleMapping&>(bridge->spiRoleNames());
    const QString name = QStringLiteral("toggle button");
    roles.insert(kToggleButtonRole, RoleNames(ATSPI_ROLE_TOGGLE_BUTTON, name, name));
}
