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
    void Listen(const QList<TGlobalHotKey>&) override {}
};

// A Wayland session: the portal's shortcuts, or where the desktop lacks them, the keys typed
// into the X11 programs of XWayland.
class TWaylandGlobalKeys : public IGlobalKeys
{
public:
    TWaylandGlobalKeys(std::unique_ptr<IGlobalKeys> portal, std::unique_ptr<IGlobalKeys> x11)
        : m_portal(std::move(portal)), m_x11(std::move(x11))
    {
        for (IGlobalKeys* keys : {m_portal.get(), m_x11.get()})
            if (keys)
                connect(keys, &IGlobalKeys::KeyHeard, this, &IGlobalKeys::KeyHeard);
        connect(m_portal.get(), &IGlobalKeys::AvailabilityChanged, this, [this] {
            Route();
            emit AvailabilityChanged();
        });
    }

    QString Unavailable() override
    {
        const QString portal = m_portal->Unavailable();
        return portal.isEmpty() || !m_x11 ? portal : m_x11->Unavailable();
    }
    QString Reach() override
    {
        return &Current() == m_x11.get()
                   ? QStringLiteral("This desktop offers no global shortcuts: Keyrill hears the "
                                    "hot keys typed into X11 programs (those that run on "
                                    "XWayland) only.")
                   : QString();
    }
    void Listen(const QList<TGlobalHotKey>& keys) override
    {
        m_keys = keys;
        Route();
    }
    bool Takes(const QString& name) const override { return Current().Takes(name); }
    bool HearsKeyUps() const override { return Current().HearsKeyUps(); }
    void SetWindow(std::function<quintptr()> window) override { m_portal->SetWindow(window); }

private:
    IGlobalKeys& Current() const
    {
        return m_x11 && !m_portal->Unavailable().isEmpty() ? *m_x11 : *m_portal;
    }
    void Route()
    {
        IGlobalKeys& current = Current();
        for (IGlobalKeys* keys : {m_portal.get(), m_x11.get()})
            if (keys && keys != &current)
                keys->Listen({});
        current.Listen(m_keys);
    }

    std::unique_ptr<IGlobalKeys> m_portal;
    std::unique_ptr<IGlobalKeys> m_x11;
    QList<TGlobalHotKey> m_keys;
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
        return std::make_unique<TWaylandGlobalKeys>(
            MakePortalGlobalKeys(QDBusConnection::sessionBus()), MakeXWaylandGlobalKeys());
    if (std::unique_ptr<IGlobalKeys> x11 = MakeX11GlobalKeys())
        return x11;
    return std::make_unique<TNoGlobalKeys>();
}
