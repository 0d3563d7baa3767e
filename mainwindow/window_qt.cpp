// Any other Qt platform (offscreen, Wayland): what Qt offers by itself.
#include "WindowSystem.h"

#include <QGuiApplication>
#include <QWidget>

namespace {

class TQtWindowSystem final : public IWindowSystem
{
public:
    void ApplyBorderStyle(QWidget& window, TBorderStyle style) override
    {
        window.setWindowFlag(Qt::FramelessWindowHint, style == TBorderStyle::Borderless);
    }
    bool KeepsSingleBorder() const override { return false; }
    bool PointerHeld() const override { return QGuiApplication::mouseButtons() != Qt::NoButton; }
    int SettleDelay() const override { return 0; }
};

} // namespace

#ifdef KEYRILL_HAVE_X11
std::unique_ptr<IWindowSystem> MakeX11WindowSystem();
#endif

std::unique_ptr<IWindowSystem> MakeWindowSystem()
{
#ifdef KEYRILL_HAVE_X11
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        if (auto x11 = MakeX11WindowSystem())
            return x11;
#endif
    return std::make_unique<TQtWindowSystem>();
}
