#include "GlobalKeys.h"

#include <QDBusConnection>

namespace {

// Where the desktop offers no way to hear other programs' keys.
class TNoGlobalKeys : public IGlobalKeys
{
public:
    QString Unavailable() override
    {
        return QStringLiteral("Global hot keys need an X11 display or a Wayland desktop.");
    }
    void Listen(const QStringList&) override {}
};

bool WaylandSession()
{
    return qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace

std::unique_ptr<IGlobalKeys> MakeSystemGlobalKeys()
{
    // Under Wayland, XWayland's X server sees only the keys typed into X11 programs.
    if (WaylandSession())
        return MakePortalGlobalKeys(QDBusConnection::sessionBus());
    if (std::unique_ptr<IGlobalKeys> x11 = MakeX11GlobalKeys())
        return x11;
    return std::make_unique<TNoGlobalKeys>();
}
