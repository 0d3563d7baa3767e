#pragma once

#include <memory>

class QWidget;

enum class TBorderStyle { Borderless, Sizeable, Single };

// What differs between windowing systems in framing the main window and in telling when the
// user has finished moving or resizing it. One implementation per system, chosen at start.
class IWindowSystem
{
public:
    virtual ~IWindowSystem() = default;

    // Frames the window in the style; called once, before the window is first shown.
    virtual void ApplyBorderStyle(QWidget& window, TBorderStyle style) = 0;
    // Whether the system itself keeps a single border from being dragged. Where it cannot (X11:
    // a window manager that cannot resize a window will not maximise it either), the window
    // undoes the user's resize instead.
    virtual bool KeepsSingleBorder() const = 0;
    // True while a mouse button is down: a move or resize by the window manager may go on.
    virtual bool PointerHeld() const = 0;
    // Milliseconds to wait after a change of the window's geometry before judging it, so that
    // the change of state that came with it (a maximise) has arrived; 0 where both come at once.
    virtual int SettleDelay() const = 0;
    // Qt never shows an empty title: it puts the program's name there. Where the system lets
    // it, this writes the window's empty title as it is (once the window exists).
    virtual void KeepEmptyTitle(QWidget& window) { (void)window; }
};

// The implementation for the Qt platform the program runs on.
std::unique_ptr<IWindowSystem> MakeWindowSystem();
