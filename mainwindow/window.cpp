// Window behaviour of the main window: border style, placement in outer sizes, move lock,
// screen snap, and what of the window's bounds is kept at shutdown.
#include "window.h"

#include "TrayIcon.h"
#include "main.h"

#include <QScreen>
#include <QWidget>
#include <QWindowStateChangeEvent>

#include <cstdlib>

namespace {
constexpr int kDragPollMs = 50;
}

QPoint SnapToWorkArea(const QRect& frame, const QRect& workArea, int margin)
{
    const auto near = [margin](int a, int b) { return std::abs(a - b) < margin; };
    QPoint p = frame.topLeft();
    if (near(p.x(), workArea.left()))
        p.setX(workArea.left());
    if (near(p.y(), workArea.top()))
        p.setY(workArea.top());
    // Edges as exclusive coordinates, so a right edge on the work area's right lies on it.
    const int workRight = workArea.x() + workArea.width();
    const int workBottom = workArea.y() + workArea.height();
    if (near(p.x() + frame.width(), workRight))
        p.setX(workRight - frame.width());
    if (near(p.y() + frame.height(), workBottom))
        p.setY(workBottom - frame.height());
    return p;
}

TWindowKeeper::TWindowKeeper(QWidget& window, IWindowSystem& system, TRules rules)
    : m_window(window), m_system(system), m_rules(std::move(rules))
{
    m_settle.setSingleShot(true);
    QObject::connect(&m_settle, &QTimer::timeout, &m_window, [this] { Settle(); });
}

void TWindowKeeper::Frame(TBorderStyle style)
{
    m_style = style;
    m_system.ApplyBorderStyle(m_window, style);
}

void TWindowKeeper::Place(const QRect& outer)
{
    m_placed = outer.topLeft();
    m_outer = outer.size().expandedTo(QSize(kMinOuterSize, kMinOuterSize));
    m_margins = m_window.frameGeometry().size() - m_window.size();
    m_window.move(m_placed);
    m_window.resize(m_outer - m_margins);
    m_settled = QRect(m_placed, m_outer);
    m_placedAnew = true;
}

QRect TWindowKeeper::OuterBounds() const
{
    return m_window.frameGeometry();
}

bool TWindowKeeper::InNormalState() const
{
    return !(m_window.windowState() &
             (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
}

void TWindowKeeper::ClientLaidOut()
{
    if (!InNormalState())
        return; // a maximised window keeps its size: a resize would drop the maximised state
    if (m_window.isVisible() && m_system.SettleDelay() > 0) {
        m_settle.start(m_system.SettleDelay());
        return;
    }
    const QSize client = m_rules.WholeButtons(m_window.size());
    if (client != m_window.size())
        ResizeClient(client, m_window.frameGeometry());
}

void TWindowKeeper::GeometryChanged()
{
    m_settle.start(m_system.SettleDelay());
}

void TWindowKeeper::ResizeClient(QSize size, const QRect& frame)
{
    // The edge the user dragged gives way; the opposite one stays where the user left it.
    const bool keepRight = frame.left() != m_settled.left() && frame.right() == m_settled.right();
    const bool keepBottom = frame.top() != m_settled.top() && frame.bottom() == m_settled.bottom();
    const QSize outer = size + (frame.size() - m_window.size());
    const QPoint corner(keepRight ? frame.right() + 1 - outer.width() : frame.left(),
                        keepBottom ? frame.bottom() + 1 - outer.height() : frame.top());
    m_window.resize(size);
    if (m_window.frameGeometry().topLeft() != corner)
        m_window.move(corner);
}

void TWindowKeeper::Settle()
{
    if (!m_window.isVisible() || !InNormalState())
        return;
    if (m_system.PointerHeld()) {
        m_settle.start(kDragPollMs); // the user is still dragging
        return;
    }
    const QRect frame = m_window.frameGeometry();
    const QSize margins = frame.size() - m_window.size();
    const bool framed = margins != m_margins;
    if (framed) {
        // A frame came (or changed): the outer size stays, the client area gives way.
        m_margins = margins;
        m_window.setMinimumSize(
            (QSize(kMinOuterSize, kMinOuterSize) - margins).expandedTo(QSize(1, 1)));
    }
    const bool resized = !framed && !m_placedAnew && frame.size() != m_settled.size();
    const bool sizeLocked = m_style != TBorderStyle::Sizeable && !m_system.KeepsSingleBorder();
    const QSize client =
        m_rules.WholeButtons(framed || sizeLocked ? m_outer - margins : m_window.size());
    m_outer = client + margins;
    if (client != m_window.size()) {
        // A locked size is put back whole, place included; a free one is fitted to whole buttons.
        ResizeClient(client, resized && sizeLocked ? m_settled : frame);
        return; // the resize comes back as a change of its own
    }
    QPoint target = frame.topLeft();
    // A resize is no move: the move lock lets it be, and the screen snap leaves it alone.
    if (!resized && (target != m_placed || m_placedAnew)) {
        if (!m_rules.MoveAllowed())
            target = m_placed;
        else if (const QScreen* screen = m_window.screen())
            target = SnapToWorkArea(frame, screen->availableGeometry());
    }
    m_placed = target;
    m_settled = QRect(target, frame.size());
    m_placedAnew = false;
    if (target != frame.topLeft())
        m_window.move(target);
}

// TfmMain's side.

void TfmMain::ApplyBorderStyle()
{
    TBorderStyle style = TBorderStyle::Single;
    if (m_settings.MainBorderless)
        style = TBorderStyle::Borderless;
    else if (m_settings.AllowWindowResizing)
        style = TBorderStyle::Sizeable;
    m_keeper->Frame(style);
}

void TfmMain::PlaceWindow()
{
    m_keeper->Place(QRect(m_settings.MainLeft, m_settings.MainTop, m_settings.MainWidth,
                          m_settings.MainHeight));
}

bool TfmMain::MoveAllowed() const
{
    return m_keeper->BorderStyle() != TBorderStyle::Borderless &&
           (m_settings.AllowWindowMoving || m_settings.AllowEditing);
}

QSize TfmMain::WholeButtons(QSize client) const
{
    const int rows = m_settings.ButtonRows;
    const int cols = m_settings.ButtonCols;
    if (!ButtonsBuilt() || GridButtons().empty() || rows < 1 || cols < 1)
        return client;
    return QSize(client.width() / cols * cols, client.height() / rows * rows)
        .expandedTo(minimumSize());
}

Qt::WindowStates TfmMain::SavedWindowState() const
{
    return m_hiddenInTray ? m_stateBeforeTray : windowState();
}

bool TfmMain::WindowMaximised() const
{
    return SavedWindowState() & Qt::WindowMaximized;
}

void TfmMain::CaptureBounds()
{
    if (SavedWindowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))
        return;
    const QRect outer = m_hiddenInTray ? m_boundsBeforeTray : m_keeper->OuterBounds();
    m_settings.MainTop = outer.top();
    m_settings.MainLeft = outer.left();
    m_settings.MainHeight = outer.height();
    m_settings.MainWidth = outer.width();
}

bool TfmMain::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
        if (m_keeper)
            m_keeper->GeometryChanged();
        break;
    case QEvent::WindowStateChange:
        if (windowState() & Qt::WindowMinimized)
            MinimiseToTray(static_cast<QWindowStateChangeEvent*>(event)->oldState());
        break;
    case QEvent::WindowTitleChange:
        UpdateTrayToolTip();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}
