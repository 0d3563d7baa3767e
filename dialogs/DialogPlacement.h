#pragma once

#include <QPoint>
#include <QRect>
#include <Qt>

class QWidget;

// The dialogs are small tool windows with a title bar and only a close box: no minimise, no
// maximise (a window manager offers those unless told not to).
inline constexpr Qt::WindowFlags kToolWindowFlags =
    Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;

// The top-left corner that keeps `frame` inside `available`, moved the least distance from where
// it is; a frame larger than the area keeps its top-left corner (and so its title bar) inside.
QPoint KeptInside(const QRect& frame, const QRect& available);

// Puts the dialog's frame with its top-left corner at `topLeft`, or as near as keeps the whole
// frame on the screen that `anchor`'s window is on: a dialog out of reach can never be dragged
// back. The frame's size is estimated from the anchor's window before the dialog is first shown.
void PlaceDialog(QWidget& dialog, QPoint topLeft, const QWidget& anchor);
// The same, centred over the anchor's window.
void CentreDialog(QWidget& dialog, const QWidget& anchor);
