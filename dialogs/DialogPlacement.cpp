#include "DialogPlacement.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>

QPoint KeptInside(const QRect& frame, const QRect& available)
{
    const auto axis = [](int start, int size, int areaStart, int areaSize) {
        return std::max(areaStart, std::min(start, areaStart + areaSize - size));
    };
    return {axis(frame.x(), frame.width(), available.x(), available.width()),
            axis(frame.y(), frame.height(), available.y(), available.height())};
}

namespace {

// The dialog's outer size: once it has been shown its own frame is known; before, a tool window's
// frame is taken to be the anchor window's.
QSize FrameSize(const QWidget& dialog, const QWidget& anchor)
{
    const QSize own = dialog.frameGeometry().size() - dialog.size();
    if (dialog.testAttribute(Qt::WA_WState_Created) && !own.isEmpty())
        return dialog.size() + own;
    const QWidget* window = anchor.window();
    return dialog.size() + (window->frameGeometry().size() - window->size());
}

} // namespace

void PlaceDialog(QWidget& dialog, QPoint topLeft, const QWidget& anchor)
{
    const QScreen* screen = anchor.window()->screen();
    if (!screen) {
        dialog.move(topLeft);
        return;
    }
    dialog.move(KeptInside(QRect(topLeft, FrameSize(dialog, anchor)), screen->availableGeometry()));
}

void CentreDialog(QWidget& dialog, const QWidget& anchor)
{
    QRect frame(QPoint(), FrameSize(dialog, anchor));
    frame.moveCenter(anchor.window()->frameGeometry().center());
    PlaceDialog(dialog, frame.topLeft(), anchor);
}
