#include "ImageChooser.h"

#include "DialogPlacement.h"
#include "ui_ImageChooser.h"
#include "widgets/ImageList.h"

#include <QKeyEvent>
#include <QResizeEvent>

#include <algorithm>
#include <QPixmap>

namespace {

bool IsEndKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

} // namespace

TImageListViewer::TImageListViewer(QWidget* parent) : QListWidget(parent)
{
    setViewMode(QListView::IconMode);
    setFlow(QListView::LeftToRight);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    setMovement(QListView::Static);
    setDragDropMode(QAbstractItemView::NoDragDrop);
    setUniformItemSizes(true);
    setSpacing(0);
    setGridSize(QSize(kCellSize, kCellSize));
    setIconSize(QSize(TImageList::kIconSize, TImageList::kIconSize));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Qt wraps a row once a cell would reach the last pixel column, so a width of 16 cells holds
    // 15; one pixel more for the layout (under the frame's edge) lets the cells fill the width.
    setViewportMargins(0, 0, -1, 0);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
}

void TImageListViewer::SetImages(const TImageList* images)
{
    if (images == m_images)
        return;
    m_images = images;
    clear();
    if (!images)
        return;
    for (int i = 0; i < images->Count(); ++i) {
        auto* item = new QListWidgetItem(QIcon(QPixmap::fromImage(images->Icon(i))), QString());
        item->setToolTip(images->Name(i));
        // The cells have no caption: a screen reader reads them by the icon's name, and by the
        // index a button stores after it.
        item->setData(Qt::AccessibleTextRole, images->Name(i));
        item->setData(Qt::AccessibleDescriptionRole, QStringLiteral("Icon %1").arg(i));
        item->setSizeHint(QSize(kCellSize, kCellSize));
        addItem(item);
    }
    FitScrollBar();
}

void TImageListViewer::resizeEvent(QResizeEvent* event)
{
    FitScrollBar();
    QListWidget::resizeEvent(event);
}

// With the bar "as needed" the list keeps its width free even while the bar is hidden, so the
// cells wrap one early. The bar is shown or hidden for good by whether the cells fit without it.
void TImageListViewer::FitScrollBar()
{
    const QRect area = contentsRect();
    const int perRow = std::max(1, area.width() / kCellSize);
    const int rows = (count() + perRow - 1) / perRow;
    setVerticalScrollBarPolicy(rows * kCellSize > area.height() ? Qt::ScrollBarAlwaysOn
                                                                : Qt::ScrollBarAlwaysOff);
}

int TImageListViewer::SelectedIndex() const
{
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? -1 : row(selected.first());
}

void TImageListViewer::SetSelectedIndex(int index)
{
    if (index >= 0 && index < count()) {
        setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
        scrollToItem(item(index));
    } else {
        clearSelection();
        setCurrentRow(-1);
        scrollToTop();
    }
}

void TImageListViewer::keyPressEvent(QKeyEvent* event)
{
    // The window ends on the release of these keys, not on their press.
    if (IsEndKey(event->key())) {
        if (!event->isAutoRepeat())
            m_keyDown = event->key();
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void TImageListViewer::keyReleaseEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (!IsEndKey(key)) {
        QListWidget::keyReleaseEvent(event);
        return;
    }
    event->accept();
    // A release whose press went elsewhere (the key that opened the window) is not a choice.
    if (event->isAutoRepeat() || key != m_keyDown)
        return;
    m_keyDown = 0;
    emit KeyUp(key);
}

void TImageListViewer::mouseDoubleClickEvent(QMouseEvent* event)
{
    QListWidget::mouseDoubleClickEvent(event);
    emit DoubleClicked();
}

void TImageListViewer::focusOutEvent(QFocusEvent* event)
{
    m_keyDown = 0;
    QListWidget::focusOutEvent(event);
}

TfmImageBrowser::TfmImageBrowser(QWidget* parent)
    : QDialog(parent, kToolWindowFlags),
      ui(std::make_unique<Ui::TfmImageBrowser>())
{
    ui->setupUi(this);
    resize(kInitialSize);
    connect(ui->ImageListViewer, &TImageListViewer::DoubleClicked, this,
            &TfmImageBrowser::ImageListViewerDblClick);
    connect(ui->ImageListViewer, &TImageListViewer::KeyUp, this,
            &TfmImageBrowser::ImageListViewerKeyUp);
}

TfmImageBrowser::~TfmImageBrowser() = default;

void TfmImageBrowser::SetImageList(const TImageList* images)
{
    ui->ImageListViewer->SetImages(images);
}

int TfmImageBrowser::SelectedIndex() const
{
    return ui->ImageListViewer->SelectedIndex();
}

void TfmImageBrowser::SetSelectedIndex(int index)
{
    ui->ImageListViewer->SetSelectedIndex(index);
}

TImageListViewer* TfmImageBrowser::Viewer() const
{
    return ui->ImageListViewer;
}

void TfmImageBrowser::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_sized) {
        // The initial size is the outer size; later the user's size stays as it is.
        m_sized = true;
        const QSize frame = frameGeometry().size() - geometry().size();
        resize(kInitialSize - frame);
    }
    ui->ImageListViewer->setFocus(Qt::OtherFocusReason);
    if (QListWidgetItem* selected = ui->ImageListViewer->currentItem())
        ui->ImageListViewer->scrollToItem(selected);
}

void TfmImageBrowser::ImageListViewerDblClick()
{
    accept();
}

void TfmImageBrowser::ImageListViewerKeyUp(int key)
{
    if (key == Qt::Key_Escape)
        reject();
    else
        accept();
}
