#pragma once

#include "WindowSystem.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QTimer>

#include <functional>

class QWidget;

// The smallest outer size of the main window, frame included.
inline constexpr int kMinOuterSize = 150;
// How close an edge must come to the same edge of the work area to be put on it.
inline constexpr int kSnapMargin = 10;

// The frame's top-left corner after the screen snap: each edge nearer than `margin` to the same
// edge of the work area is put on it, the left and top edges first, then the right and bottom.
QPoint SnapToWorkArea(const QRect& frame, const QRect& workArea, int margin = kSnapMargin);

// Keeps the main window where and as large as the settings and the user want it: outer size,
// single border, move lock, screen snap and the fit of the client area to whole buttons. It
// judges a change once the windowing system has settled (a window manager reports the end of a
// drag or a maximise late), and puts back what the user may not change.
class TWindowKeeper
{
public:
    struct TRules
    {
        std::function<bool()> MoveAllowed;        // read at every move
        std::function<QSize(QSize)> WholeButtons; // the client size fitted to whole buttons
    };

    TWindowKeeper(QWidget& window, IWindowSystem& system, TRules rules);

    void Frame(TBorderStyle style);
    TBorderStyle BorderStyle() const { return m_style; }
    // Puts the frame's top-left corner and the outer size where the settings say.
    void Place(const QRect& outer);
    // The grid has been laid out over the client area: fit it to whole buttons, unless maximised.
    void ClientLaidOut();
    // The window moved, was resized or shown: judge the change once it has settled.
    void GeometryChanged();
    // The window's outer bounds (frame included).
    QRect OuterBounds() const;

private:
    void Settle();
    // Resizes the client area of a window whose frame is `frame` now.
    void ResizeClient(QSize size, const QRect& frame);
    bool InNormalState() const;

    QWidget& m_window;
    IWindowSystem& m_system;
    TRules m_rules;
    TBorderStyle m_style = TBorderStyle::Sizeable;
    QPoint m_placed; // where the frame's top-left corner belongs
    QSize m_outer;   // the outer size the window keeps in its normal state
    QSize m_margins; // what the frame adds to the client area
    QRect m_settled; // the frame as last judged, so a change tells a move from a resize
    bool m_placedAnew = false; // placed from the settings and not judged yet: snapped as a move
    QTimer m_settle;
};
