#pragma once

#include <QDialog>
#include <QListWidget>

#include <memory>

class TImageList;

namespace Ui {
class TfmImageBrowser;
}

// The icons of an image list as a grid of 20 x 20 cells that wraps from the left, one of them
// selectable. Enter and Escape are reported when they are released (and only when their press
// was seen here too); a double-click anywhere in the viewer is reported as well.
class TImageListViewer : public QListWidget
{
    Q_OBJECT

public:
    static constexpr int kCellSize = 20;

    explicit TImageListViewer(QWidget* parent = nullptr);

    // The icons to show; the list must outlive the viewer. Null shows nothing.
    void SetImages(const TImageList* images);
    const TImageList* Images() const { return m_images; }

    // The index of the selected icon, -1 for none.
    int SelectedIndex() const;
    void SetSelectedIndex(int index);

signals:
    void KeyUp(int key);
    void DoubleClicked();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FitScrollBar();

    const TImageList* m_images = nullptr;
    int m_keyDown = 0; // the Enter or Escape key whose press reached the viewer
};

// The icon chooser: a sizeable tool window whose one control, the viewer, picks an icon index.
// It is created hidden once and shown modally for every choice; its size stays for the run.
class TfmImageBrowser : public QDialog
{
    Q_OBJECT

public:
    static constexpr QSize kInitialSize{330, 300};

    explicit TfmImageBrowser(QWidget* parent = nullptr);
    ~TfmImageBrowser() override;

    void SetImageList(const TImageList* images);
    int SelectedIndex() const;
    void SetSelectedIndex(int index);
    TImageListViewer* Viewer() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ImageListViewerDblClick();
    void ImageListViewerKeyUp(int key);

    std::unique_ptr<Ui::TfmImageBrowser> ui;
    bool m_sized = false; // the initial outer size has been set
};
