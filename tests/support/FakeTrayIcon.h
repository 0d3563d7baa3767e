#pragma once

#include "mainwindow/TrayIcon.h"

#include <QMenu>

// A notification area in memory: a test says whether one exists and double-clicks the icon.
class TFakeTrayIcon : public ITrayIcon
{
public:
    bool isAvailable() const override { return Available; }
    void setVisible(bool visible) override { Visible = visible; }
    bool isVisible() const override { return Visible; }
    void setToolTip(const QString& text) override { ToolTip = text; }
    QString toolTip() const override { return ToolTip; }
    void setContextMenu(QMenu* menu) override { Menu = menu; }

    void DoubleClick() { emit restoreRequested(); }

    bool Available = true;
    bool Visible = false;
    QString ToolTip;
    QMenu* Menu = nullptr;
};
