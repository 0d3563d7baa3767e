#pragma once

#include "model/Colour.h"
#include "play/PlayerView.h"

#include <QObject>
#include <QPoint>

#include <functional>
#include <vector>

class QFont;
class QWidget;
class TAdvToolButton;
class TGridKeys;
class TImageList;
class TPlayer;
class TQelSpeedButton;
class TReleaseWatch;
struct TCommand;

// The button grid on the window: builds, lays out and faces the buttons, and plays them through
// the player by the mouse, by fingers (each touch point a source of its own), by Space or Enter
// on the focused button and by a screen reader's press. The right button and the menu key ask
// the window for the context menu.
class TGridView : public QObject, public IPlayerView
{
    Q_OBJECT

public:
    struct TLinks
    {
        TPlayer& Player;
        const TImageList& Images;
        std::function<bool()> PointerHeld; // a mouse button is down, as the system knows it
        std::function<TColor()> Highlight;  // the frame of a held button
    };
    TGridView(QWidget& window, TLinks links);
    ~TGridView() override;

    // Buttons numbered down each column, in child order of the window.
    void Build(int rows, int cols, const QFont& font, bool repeatsArePressesOnly);
    void Destroy();
    bool Built() const { return m_built; }
    const std::vector<TQelSpeedButton*>& Buttons() const { return m_buttons; }
    TQelSpeedButton* Button(int number) const;
    int Rows() const { return m_rows; }
    // The buttons, `rows` down each column, cover `area` in equal parts.
    void Layout(int rows, int cols, QSize area);
    // Every button shows its definition's Press face, released, in this font and layout.
    void Refresh(const QFont& font, int layout);
    // The mouse still holds a button whose press opened a box: its real release ends it.
    bool MouseFollowed() const;

    void FaceShown(int number, TFace face) override;
    void HeldChanged(int number, bool held) override;
    void SwitchedChanged(int number, bool on) override;
    void FeedbackShown(int number, bool toggle, bool on) override;
    void HoldEnded(TPressSource source, int number, bool ownRelease) override;

signals:
    // The context menu of a button, at `at` (global); `keyboard`: asked from the keyboard.
    void MenuAsked(int number, QPoint at, bool keyboard);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void MouseDown(TAdvToolButton* sender, Qt::MouseButton button);
    void MouseUp(TAdvToolButton* sender, Qt::MouseButton button);
    void KeyDown(TAdvToolButton* sender);
    void KeyUp(TAdvToolButton* sender);
    bool Touch(QEvent* event);
    void ShowFace(TAdvToolButton& button, const TCommand& side);

    QWidget& m_window;
    TLinks m_links;
    std::vector<TQelSpeedButton*> m_buttons;
    int m_rows = 0;
    int m_cols = 0;
    bool m_built = false;
    TReleaseWatch* m_releaseWatch;
    TGridKeys* m_gridKeys = nullptr; // the arrows and Tab on the grid, made with it
};
