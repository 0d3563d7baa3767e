// X11: the border through Qt's window flags, the end of a window-manager drag from the pointer.
#include "WindowSystem.h"

#include <QGuiApplication>
#include <QWidget>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

class TX11WindowSystem final : public IWindowSystem
{
public:
    explicit TX11WindowSystem(Display* display) : m_display(display) {}

    void ApplyBorderStyle(QWidget& window, TBorderStyle style) override
    {
        // The single border stays resizable to the window manager: openbox, for one, offers no
        // maximise for a window whose Motif hints lack the resize or move function or whose
        // minimum and maximum sizes are equal. The window undoes the user's resize instead.
        window.setWindowFlag(Qt::FramelessWindowHint, style == TBorderStyle::Borderless);
    }

    bool KeepsSingleBorder() const override { return false; }

    bool PointerHeld() const override
    {
        Window root = 0;
        Window child = 0;
        int rootX = 0;
        int rootY = 0;
        int x = 0;
        int y = 0;
        unsigned int mask = 0;
        XQueryPointer(m_display, DefaultRootWindow(m_display), &root, &child, &rootX, &rootY, &x,
                      &y, &mask);
        return mask & (Button1Mask | Button2Mask | Button3Mask);
    }

    // A window manager sends the new geometry and the new state (maximised) as separate events.
    int SettleDelay() const override { return 150; }

    void KeepEmptyTitle(QWidget& window) override
    {
        if (!window.testAttribute(Qt::WA_WState_Created))
            return;
        const ::Window id = window.winId();
        const Atom netName = XInternAtom(m_display, "_NET_WM_NAME", False);
        const Atom utf8 = XInternAtom(m_display, "UTF8_STRING", False);
        const unsigned char* nothing = reinterpret_cast<const unsigned char*>("");
        XChangeProperty(m_display, id, netName, utf8, 8, PropModeReplace, nothing, 0);
        XChangeProperty(m_display, id, XA_WM_NAME, XA_STRING, 8, PropModeReplace, nothing, 0);
        XFlush(m_display);
    }

private:
    Display* m_display;
};

} // namespace

std::unique_ptr<IWindowSystem> MakeX11WindowSystem()
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    Display* display = x11 ? x11->display() : nullptr;
    if (!display)
        return nullptr;
    return std::make_unique<TX11WindowSystem>(display);
}
