#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QIcon;
class QMenu;

// The notification-area icon, behind a seam so that tests can drive it without a desktop tray.
class ITrayIcon : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Whether the desktop has a notification area to put the icon in right now.
    virtual bool isAvailable() const = 0;
    virtual void setVisible(bool visible) = 0;
    virtual bool isVisible() const = 0;
    virtual void setToolTip(const QString& text) = 0;
    virtual QString toolTip() const = 0;
    virtual void setContextMenu(QMenu* menu) = 0;

signals:
    // The user asked for the window back: a double-click on an XEmbed tray, the host's primary
    // action (a click) on a StatusNotifierItem host.
    void restoreRequested();
};

// The real icon: QSystemTrayIcon.
std::unique_ptr<ITrayIcon> MakeSystemTrayIcon(const QIcon& icon);
