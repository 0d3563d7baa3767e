#pragma once

#include "model/Colour.h"

#include <QImage>
#include <QStringList>
#include <QWidget>

#include <optional>
#include <vector>

// A caption as drawn: "&&" becomes "&", a single "&" vanishes (it marks the next character).
QString WithoutMnemonics(const QString& line);

// A flat tool button that paints its own face: one flat colour, an optional 16 x 16 icon and a
// caption of one or more lines, framed in a border colour while it is held. It reports mouse
// presses and releases before it changes its own state. It takes no keyboard focus unless its
// owner lets it: then Space or Enter plays it as the left mouse button does, and the menu key (or
// Shift+F10) as the right one; the focus is drawn only once the keyboard has moved it.
// Screen readers see it as a push or toggle button (AccessibleButton.h) that tells of its changes.
class TAdvToolButton : public QWidget
{
    Q_OBJECT

public:
    enum class TState { Up, Down, ToggledOn };
    enum TLayout { blGlyphLeft = 0, blGlyphRight = 1, blGlyphTop = 2, blGlyphBottom = 3 };

    explicit TAdvToolButton(QWidget* parent = nullptr);
    ~TAdvToolButton() override;

    // Face and frame colours, in the program's colour values; kColorNone draws nothing.
    TColor Color() const { return m_color; }
    void SetColor(TColor value);
    TColor ColorHot() const { return m_colorHot; }
    void SetColorHot(TColor value);
    TColor ColorDown() const { return m_colorDown; }
    void SetColorDown(TColor value);
    TColor ColorChecked() const { return m_colorChecked; }
    void SetColorChecked(TColor value);
    TColor BorderColor() const { return m_borderColor; }
    void SetBorderColor(TColor value);
    TColor BorderDownColor() const { return m_borderDownColor; }
    void SetBorderDownColor(TColor value);
    TColor BorderHotColor() const { return m_borderHotColor; }
    void SetBorderHotColor(TColor value);

    // Caption colour; the caption font is the widget's own font (QWidget::setFont).
    TColor FontColor() const { return m_fontColor; }
    void SetFontColor(TColor value);

    // Caption text; line feeds separate lines, "&" underlines the next character, "&&" draws one.
    QString Caption() const { return m_caption; }
    void SetCaption(const QString& value);
    // The caption as a screen reader speaks it: its lines joined by spaces, without the "&" marks.
    QString SpokenCaption() const;

    // The icon; a null image means none. Pixels of the colour of its bottom-left pixel are
    // transparent.
    const QImage& Glyph() const { return m_glyph; }
    void SetGlyph(const QImage& value);
    // The icon's name, spoken for a button without a caption.
    const QString& GlyphName() const { return m_glyphName; }
    void SetGlyphName(const QString& value);

    // Where the icon stands beside the caption (TLayout); other values are drawn as icon left.
    int Layout() const { return m_layout; }
    void SetLayout(int value);
    int Margin() const { return m_margin; }
    void SetMargin(int value);
    int Spacing() const { return m_spacing; }
    void SetSpacing(int value);
    bool Flat() const { return m_flat; }
    void SetFlat(bool value);

    // Sticky toggling: with a non-zero group each click flips Down.
    int GroupIndex() const { return m_groupIndex; }
    void SetGroupIndex(int value);
    bool AllowAllUp() const { return m_allowAllUp; }
    void SetAllowAllUp(bool value);
    bool Down() const { return m_down; }
    void SetDown(bool value);

    // The button's number in the grid (0 for a button outside it).
    int Tag() const { return m_tag; }
    void SetTag(int value) { m_tag = value; }

    // Interaction state, for the painting and for tests.
    TState State() const { return m_state; }
    bool Hovered() const { return m_hovered; }
    bool Tracking() const { return m_tracking; }
    // Ends a mouse press whose release went elsewhere (a menu or a dialog took the mouse), as a
    // release off the button would.
    void EndTracking();
    // Ends a press by Space or Enter whose release will not come here, without reporting it.
    void EndKeyHold();
    bool KeyHeld() const { return m_holdKey != 0; }
    // Where the system sends a held key's repeats as presses alone, every release is real: Qt's
    // guess of a repeat from the event times can only be wrong there.
    void SetRepeatsArePressesOnly(bool value) { m_repeatsArePressesOnly = value; }
    // Whether the focus outline is drawn: the keyboard moved the focus here.
    bool FocusShown() const { return m_focusShown && hasFocus(); }
    // A left click over the button's middle without the mouse, for assistive technology: the
    // mouse-down and mouse-up events and the state changes of a real click, the hover aside.
    // Nothing happens while a modal window other than the button's own shuts it out.
    void Click();
    // True while Click runs: its press and release come from assistive technology.
    bool Clicking() const { return m_clicking; }

    // What assistive technology is told. Held: its owner holds a press of it (a hot key holds a
    // button without the mouse), or the mouse does. Switched on: a toggle is on as its owner
    // says, or, until the owner says so, while it is down. Neither is drawn.
    bool Held() const { return m_held || m_tracking || m_holdKey != 0; }
    void SetHeld(bool value);
    bool SwitchedOn() const { return m_switchedOn.value_or(m_down); }
    void SetSwitchedOn(bool value);
    // A button that is no toggle lit by what the other end reports.
    bool Lit() const { return m_lit; }
    void SetLit(bool value);

    // Where the icon and the caption box stand now, in widget coordinates (the icon rectangle
    // includes the hover offset); empty rectangles when there is no icon or no caption.
    QRect GlyphRect() const;
    QRect CaptionRect() const;

    QSize sizeHint() const override;

signals:
    // Fired before the button changes its own state, for every mouse button.
    void MouseDown(TAdvToolButton* sender, Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
                   QPoint pos);
    void MouseUp(TAdvToolButton* sender, Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
                 QPoint pos);
    // Space or Enter down and up on the focused button, before its state changes; KeyUp also
    // when the focus leaves while the key is down.
    void KeyDown(TAdvToolButton* sender);
    void KeyUp(TAdvToolButton* sender);
    // The menu key or Shift+F10 on the focused button.
    void MenuKey(TAdvToolButton* sender);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    class TStateAnnouncer;
    // The left button's press and release at pos: the event first, then the widget's own state.
    // False when the button is gone after the event or the event changes nothing here.
    bool Press(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
    bool Release(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
    // The state changes of a left press and of its release at pos.
    void PressState();
    void ReleaseState(QPoint pos);
    void ReleaseKey();

    struct TFaceLayout
    {
        QRect content; // the content area
        QRect glyph;   // the icon, offset included
        QRect caption; // the caption box
    };

    void SetState(TState value);
    void SetHovered(bool value);
    void ReleaseGroupSiblings();
    // The caption's lines as drawn and their widths in the current font: measuring text is
    // the dearest part of painting a face, so it is done once per caption and font.
    struct TCaptionText
    {
        QStringList lines;
        std::vector<int> widths;
        int width = 0; // the widest line
        int lineHeight = 0;
    };
    const TCaptionText& CaptionText() const;
    TFaceLayout ComputeLayout() const;
    QRect ContentArea() const;

    QImage m_drawGlyph; // m_glyph with its transparent colour keyed out

    TColor m_color = 0xFFFFFF;
    TColor m_colorHot = 0xFFFFFF;
    TColor m_colorDown = 0xFFFFFF;
    TColor m_colorChecked = 8421504;
    TColor m_borderColor = kColorNone;
    TColor m_borderDownColor = kColorNone;
    TColor m_borderHotColor = kColorNone;
    TColor m_fontColor = 0;
    QString m_caption;
    mutable std::optional<TCaptionText> m_captionText; // dropped when the caption or font changes
    QImage m_glyph;
    QString m_glyphName;
    int m_layout = blGlyphLeft;
    int m_margin = -1;
    int m_spacing = 4;
    bool m_flat = true;
    int m_groupIndex = 0;
    bool m_allowAllUp = false;
    bool m_down = false;
    int m_tag = 0;
    TState m_state = TState::Up;
    bool m_hovered = false;
    bool m_tracking = false;
    bool m_held = false;
    int m_holdKey = 0; // the key (Space or Enter) that holds the button, 0 for none
    int m_menuKey = 0; // the key that opened the menu, whose release is no hot key's
    bool m_repeatsArePressesOnly = false;
    bool m_focusShown = false;
    bool m_lit = false;
    bool m_clicking = false;
    std::optional<bool> m_switchedOn;
};

// The grid button. A class of its own so that the grid can tell its buttons from any other
// child control of the window.
class TQelSpeedButton : public TAdvToolButton
{
    Q_OBJECT

public:
    using TAdvToolButton::TAdvToolButton;
};
