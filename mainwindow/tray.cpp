// The tray: the notification-area icon with its menu, hiding the window into it on minimise
// and bringing it back.
#include "TrayIcon.h"
#include "main.h"
#include "window.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>

#include <memory>

namespace {

// Whether Qt's tray icon talks to a StatusNotifierItem host over D-Bus (KDE Plasma, GNOME with
// an AppIndicator extension) rather than docking into an XEmbed tray: Qt makes the same choice.
bool TrayIsStatusNotifierHost()
{
    const QString watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(watcherService))
        return false;
    QDBusInterface watcher(watcherService, QStringLiteral("/StatusNotifierWatcher"),
                           watcherService, bus);
    return watcher.property("IsStatusNotifierHostRegistered").toBool();
}

// The Qt icon is made when it is first shown: making it costs a noticeable share of the
// start-up, and most runs never use the tray.
class TSystemTrayIcon final : public ITrayIcon
{
public:
    explicit TSystemTrayIcon(const QIcon& icon) : m_image(icon) {}
    bool isAvailable() const override { return QSystemTrayIcon::isSystemTrayAvailable(); }
    void setVisible(bool visible) override
    {
        if (visible)
            Icon().setVisible(true);
        else if (m_icon)
            m_icon->setVisible(false);
    }
    bool isVisible() const override { return m_icon && m_icon->isVisible(); }
    void setToolTip(const QString& text) override
    {
        m_toolTip = text;
        if (m_icon)
            m_icon->setToolTip(text);
    }
    QString toolTip() const override { return m_toolTip; }
    void setContextMenu(QMenu* menu) override
    {
        m_menu = menu;
        if (m_icon)
            m_icon->setContextMenu(menu);
    }

private:
    QSystemTrayIcon& Icon()
    {
        if (m_icon)
            return *m_icon;
        m_icon = std::make_unique<QSystemTrayIcon>(m_image);
        m_icon->setToolTip(m_toolTip);
        m_icon->setContextMenu(m_menu);
        // On an XEmbed tray a single click does nothing and a double-click restores; the menu
        // opens on a right click by itself. A StatusNotifierItem host reports its every
        // activation as a single Trigger, which is then the way back.
        const QSystemTrayIcon::ActivationReason restore =
            TrayIsStatusNotifierHost() ? QSystemTrayIcon::Trigger : QSystemTrayIcon::DoubleClick;
        connect(m_icon.get(), &QSystemTrayIcon::activated, this,
                [this, restore](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == restore)
                        emit restoreRequested();
                });
        return *m_icon;
    }

    QIcon m_image;
    QString m_toolTip;
    QPointer<QMenu> m_menu;
    std::unique_ptr<QSystemTrayIcon> m_icon;
};

} // namespace

std::unique_ptr<ITrayIcon> MakeSystemTrayIcon(const QIcon& icon)
{
    return std::make_unique<TSystemTrayIcon>(icon);
}

void TfmMain::CreateTrayIcon()
{
    m_trayIcon = m_platform.Tray;
    if (!m_trayIcon) {
        m_ownTrayIcon = MakeSystemTrayIcon(windowIcon());
        m_trayIcon = m_ownTrayIcon.get();
    }
    m_trayPopupMenu = new QMenu(this);
    m_trayPopupMenu->setObjectName(QStringLiteral("TrayPopupMenu"));
    QAction* show = m_trayPopupMenu->addAction(tr("Show"), this, &TfmMain::mnTrayShowClick);
    show->setObjectName(QStringLiteral("mnTrayShow"));
    m_trayPopupMenu->addAction(QStringLiteral("Panic"), this, [this] { m_player.Panic(); })
        ->setObjectName(QStringLiteral("mnTrayPanic"));
    QAction* quit = m_trayPopupMenu->addAction(tr("Exit"), this, &TfmMain::mnTrayExitClick);
    quit->setObjectName(QStringLiteral("mnTrayExit"));
    m_trayIcon->setContextMenu(m_trayPopupMenu);
    connect(m_trayIcon, &ITrayIcon::restoreRequested, this, &TfmMain::mnTrayShowClick);
}

void TfmMain::UpdateTrayToolTip()
{
    if (m_trayIcon)
        m_trayIcon->setToolTip(
            windowTitle().replace(QStringLiteral("[*][*]"), QStringLiteral("[*]")));
}

void TfmMain::SetTrayIconActive(bool active)
{
    m_trayIconActive = active;
    if (active)
        return; // the icon shows only while the window is hidden
    if (m_hiddenInTray)
        RestoreFromTray();
    m_trayIcon->setVisible(false);
}

void TfmMain::MinimiseToTray(Qt::WindowStates before)
{
    // Without a notification area the window would be lost: then it minimises the ordinary way.
    if (!m_trayIconActive || m_hiddenInTray || !m_trayIcon->isAvailable())
        return;
    m_hiddenInTray = true;
    m_stateBeforeTray = before & ~Qt::WindowMinimized;
    m_boundsBeforeTray = m_keeper->OuterBounds();
    // Not from inside the state change that is still being delivered.
    QTimer::singleShot(0, this, [this] {
        if (!m_hiddenInTray)
            return;
        hide();
        m_trayIcon->setVisible(true);
    });
}

void TfmMain::RestoreFromTray()
{
    if (!m_hiddenInTray || m_closed)
        return;
    m_hiddenInTray = false;
    setWindowState(m_stateBeforeTray);
    show();
    raise();
    activateWindow();
    m_trayIcon->setVisible(false);
}

void TfmMain::mnTrayShowClick()
{
    RestoreFromTray();
}

void TfmMain::mnTrayExitClick()
{
    close();
}
