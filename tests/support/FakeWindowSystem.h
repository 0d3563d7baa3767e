#pragma once

#include "mainwindow/WindowSystem.h"

#include <QWidget>

#include <optional>

// A windowing system whose pointer a test holds down or lets go, and that records the border
// style the window asked for.
class TFakeWindowSystem : public IWindowSystem
{
public:
    void ApplyBorderStyle(QWidget& window, TBorderStyle style) override
    {
        Style = style;
        window.setWindowFlag(Qt::FramelessWindowHint, style == TBorderStyle::Borderless);
    }
    bool KeepsSingleBorder() const override { return false; }
    bool PointerHeld() const override { return Held; }
    int SettleDelay() const override { return 0; }

    std::optional<TBorderStyle> Style;
    bool Held = false;
};
