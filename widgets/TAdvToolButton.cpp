#include "widgets/TAdvToolButton.h"

#include "widgets/AccessibleButton.h"
#include "widgets/QtColour.h"

#include <QAccessible>
#include <QApplication>
#include <QEnterEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScopeGuard>

#include <algorithm>

namespace {

constexpr int kGlyphSize = 16;
constexpr int kDrawFlags =
    Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextShowMnemonic | Qt::TextDontClip;

// Integer division truncating toward zero, as the layout rules are written.
constexpr int Div(int a, int b)
{
    return a / b;
}

void Fill(QPainter& p, const QRect& r, TColor c)
{
    if (c != kColorNone && !r.isEmpty())
        p.fillRect(r, ToQColor(c));
}

// A 1-pixel frame along r's inner edge, drawn as four filled strips so that it stays crisp at
// any device pixel ratio.
void Frame(QPainter& p, const QRect& r, TColor c)
{
    if (c == kColorNone || r.isEmpty())
        return;
    const QColor q = ToQColor(c);
    p.fillRect(QRect(r.left(), r.top(), r.width(), 1), q);
    p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), q);
    p.fillRect(QRect(r.left(), r.top(), 1, r.height()), q);
    p.fillRect(QRect(r.right(), r.top(), 1, r.height()), q);
}

QStringList CaptionLines(const QString& caption)
{
    if (caption.isEmpty())
        return {};
    QString text = caption;
    text.remove(QLatin1Char('\r'));
    return text.split(QLatin1Char('\n'));
}

int LineWidth(const QFontMetrics& fm, const QString& line)
{
    return fm.horizontalAdvance(WithoutMnemonics(line));
}

// The icon with every pixel of its bottom-left pixel's colour made transparent.
QImage KeyOutTransparent(const QImage& glyph)
{
    if (glyph.isNull())
        return {};
    // An opaque glyph (the usual case) is keyed out in its premultiplied form directly: with
    // every alpha at 255 both forms hold the same values.
    const bool opaque = !glyph.hasAlphaChannel();
    QImage img =
        glyph.convertToFormat(opaque ? QImage::Format_ARGB32_Premultiplied : QImage::Format_ARGB32);
    const int width = img.width();
    const int height = img.height();
    const QRgb key = img.pixel(0, height - 1);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        std::replace(line, line + width, key, QRgb(0));
    }
    return opaque ? img : img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

// A caption line as drawn: "&&" becomes "&", a single "&" vanishes (it underlines the next
// character when drawn with Qt::TextShowMnemonic).
QString WithoutMnemonics(const QString& line)
{
    QString out;
    out.reserve(line.size());
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == QLatin1Char('&')) {
            if (++i == line.size())
                break;
        }
        out += line[i];
    }
    return out;
}

// Tells assistive technology, when it goes out of scope, which of the states it reads of the
// button have changed meanwhile. Nothing is built or sent while no assistive technology listens.
class TAdvToolButton::TStateAnnouncer
{
public:
    explicit TStateAnnouncer(TAdvToolButton& button) : m_button(button), m_before(Read(button)) {}
    ~TStateAnnouncer()
    {
        const TRead now = Read(m_button);
        if (now == m_before || !QAccessible::isActive())
            return;
        QAccessible::State changed;
        changed.pressed = now.pressed != m_before.pressed;
        changed.checkable = now.checkable != m_before.checkable;
        changed.checked = now.checked != m_before.checked;
        QAccessibleStateChangeEvent event(&m_button, changed);
        QAccessible::updateAccessibility(&event);
        if (changed.pressed)
            AnnouncePressed(m_button, now.pressed);
    }
    TStateAnnouncer(const TStateAnnouncer&) = delete;
    TStateAnnouncer& operator=(const TStateAnnouncer&) = delete;

private:
    struct TRead
    {
        bool pressed;
        bool checkable;
        bool checked;
        bool operator==(const TRead&) const = default;
    };
    static TRead Read(const TAdvToolButton& b)
    {
        const bool toggle = b.m_groupIndex != 0;
        return {b.Held(), toggle, toggle ? b.SwitchedOn() : b.m_lit};
    }

    TAdvToolButton& m_button;
    const TRead m_before;
};

TAdvToolButton::TAdvToolButton(QWidget* parent) : QWidget(parent)
{
    InstallAccessibleToolButtons();
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(false);
}

TAdvToolButton::~TAdvToolButton() = default;

// ---- properties: each repaints only when its value really changes ----

#define KEYRILL_SETTER(Name, member)                                                               \
    void TAdvToolButton::Set##Name(TColor value)                                                   \
    {                                                                                              \
        if (member == value)                                                                       \
            return;                                                                                \
        member = value;                                                                            \
        update();                                                                                  \
    }
KEYRILL_SETTER(Color, m_color)
KEYRILL_SETTER(ColorHot, m_colorHot)
KEYRILL_SETTER(ColorDown, m_colorDown)
KEYRILL_SETTER(ColorChecked, m_colorChecked)
KEYRILL_SETTER(BorderColor, m_borderColor)
KEYRILL_SETTER(BorderDownColor, m_borderDownColor)
KEYRILL_SETTER(BorderHotColor, m_borderHotColor)
KEYRILL_SETTER(FontColor, m_fontColor)
#undef KEYRILL_SETTER

void TAdvToolButton::SetCaption(const QString& value)
{
    if (m_caption == value)
        return;
    m_caption = value;
    m_captionText.reset();
    update();
    if (QAccessible::isActive()) {
        QAccessibleEvent event(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}

QString TAdvToolButton::SpokenCaption() const
{
    QStringList lines = CaptionLines(m_caption);
    for (QString& line : lines)
        line = WithoutMnemonics(line);
    return lines.join(QLatin1Char(' ')).simplified();
}

void TAdvToolButton::SetHeld(bool value)
{
    if (m_held == value)
        return;
    const TStateAnnouncer announcer(*this);
    m_held = value;
}

void TAdvToolButton::SetSwitchedOn(bool value)
{
    if (m_switchedOn == value)
        return;
    const TStateAnnouncer announcer(*this);
    m_switchedOn = value;
}

void TAdvToolButton::SetGlyphName(const QString& value)
{
    if (m_glyphName == value)
        return;
    m_glyphName = value;
    if (m_caption.isEmpty() && QAccessible::isActive()) {
        QAccessibleEvent event(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}

void TAdvToolButton::SetLit(bool value)
{
    if (m_lit == value)
        return;
    const TStateAnnouncer announcer(*this);
    m_lit = value;
}

void TAdvToolButton::SetGlyph(const QImage& value)
{
    if (m_glyph.isNull() && value.isNull())
        return;
    if (!m_glyph.isNull() && !value.isNull() && m_glyph == value)
        return;
    m_glyph = value;
    m_drawGlyph = KeyOutTransparent(value);
    update();
}

void TAdvToolButton::SetLayout(int value)
{
    if (m_layout == value)
        return;
    m_layout = value;
    update();
}

void TAdvToolButton::SetMargin(int value)
{
    if (m_margin == value)
        return;
    m_margin = value;
    update();
}

void TAdvToolButton::SetSpacing(int value)
{
    if (m_spacing == value)
        return;
    m_spacing = value;
    update();
}

// Every face is drawn flat; the value is kept for the program's sake and paints nothing.
void TAdvToolButton::SetFlat(bool value)
{
    m_flat = value;
}

void TAdvToolButton::SetGroupIndex(int value)
{
    if (m_groupIndex == value)
        return;
    const TStateAnnouncer announcer(*this);
    m_groupIndex = value;
    if (m_groupIndex == 0 && m_down) {
        m_down = false;
        if (m_state == TState::ToggledOn)
            SetState(TState::Up);
    }
}

void TAdvToolButton::SetAllowAllUp(bool value)
{
    m_allowAllUp = value;
}

void TAdvToolButton::SetDown(bool value)
{
    if (m_groupIndex == 0)
        value = false;
    if (m_down == value)
        return;
    const TStateAnnouncer announcer(*this);
    m_down = value;
    if (m_down)
        ReleaseGroupSiblings();
    SetState(m_down ? TState::ToggledOn : TState::Up);
}

// Buttons of one group under one parent: at most one is down.
void TAdvToolButton::ReleaseGroupSiblings()
{
    if (m_groupIndex == 0 || !parentWidget())
        return;
    const auto siblings = parentWidget()->findChildren<TAdvToolButton*>(Qt::FindDirectChildrenOnly);
    for (TAdvToolButton* other : siblings)
        if (other != this && other->m_groupIndex == m_groupIndex && other->m_down)
            other->SetDown(false);
}

void TAdvToolButton::SetState(TState value)
{
    if (m_state == value)
        return;
    m_state = value;
    update();
}

void TAdvToolButton::SetHovered(bool value)
{
    if (m_hovered == value)
        return;
    m_hovered = value;
    update();
}

// ---- mouse rules ----

void TAdvToolButton::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    QWidget* grabber = QWidget::mouseGrabber();
    const bool otherHolds = (grabber && grabber != this) ||
                            (!m_tracking && QGuiApplication::mouseButtons() != Qt::NoButton);
    if (!otherHolds)
        SetHovered(true);
}

void TAdvToolButton::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    SetHovered(false);
}

void TAdvToolButton::mousePressEvent(QMouseEvent* event)
{
    Press(event->button(), event->modifiers(), event->position().toPoint());
}

bool TAdvToolButton::Press(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos)
{
    const QPointer<TAdvToolButton> self(this);
    emit MouseDown(this, button, modifiers, pos);
    if (!self || button != Qt::LeftButton)
        return false;
    const TStateAnnouncer announcer(*this);
    m_tracking = true;
    PressState();
    return true;
}

void TAdvToolButton::PressState()
{
    if (!m_down)
        SetState(TState::Down);
}

void TAdvToolButton::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_tracking)
        return;
    const bool inside = rect().contains(event->position().toPoint());
    if (m_down)
        SetState(TState::ToggledOn);
    else
        SetState(inside ? TState::Down : TState::Up);
}

void TAdvToolButton::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (Release(event->button(), event->modifiers(), pos))
        SetHovered(rect().contains(pos));
}

bool TAdvToolButton::Release(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos)
{
    const QPointer<TAdvToolButton> self(this);
    emit MouseUp(this, button, modifiers, pos);
    if (!self || button != Qt::LeftButton || !m_tracking)
        return false;
    const TStateAnnouncer announcer(*this);
    m_tracking = false;
    ReleaseState(pos);
    return true;
}

void TAdvToolButton::ReleaseState(QPoint pos)
{
    const bool inside = rect().contains(pos);
    if (m_groupIndex == 0) {
        SetState(TState::Up);
    } else if (inside) {
        // A group without AllowAllUp keeps its one down button down.
        if (!m_down || m_allowAllUp) {
            m_down = !m_down;
            if (m_down)
                ReleaseGroupSiblings();
        }
        SetState(m_down ? TState::ToggledOn : TState::Up);
    } else if (m_down) {
        SetState(TState::ToggledOn);
    }
}

void TAdvToolButton::Click()
{
    // A modal dialog or message box shuts the button out for a screen reader as for the mouse:
    // the grid cannot play while Properties is open, nor a handler's error box be re-entered.
    const QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != window())
        return;
    const QPoint middle = rect().center();
    m_clicking = true;
    const QPointer<TAdvToolButton> self(this);
    const auto done = qScopeGuard([&] {
        if (self)
            m_clicking = false;
    });
    if (Press(Qt::LeftButton, Qt::NoModifier, middle))
        Release(Qt::LeftButton, Qt::NoModifier, middle);
}

void TAdvToolButton::EndTracking()
{
    if (!m_tracking)
        return;
    const TStateAnnouncer announcer(*this);
    m_tracking = false;
    SetState(m_down ? TState::ToggledOn : TState::Up);
}

// ---- keyboard ----

void TAdvToolButton::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    const bool menuKey =
        key == Qt::Key_Menu || (key == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier);
    if (menuKey) {
        if (!event->isAutoRepeat()) {
            m_menuKey = key;
            emit MenuKey(this);
        }
        return;
    }
    if (key != Qt::Key_Space && key != Qt::Key_Return && key != Qt::Key_Enter) {
        event->ignore(); // the window's hot keys
        return;
    }
    // A held key's repeats, and a second key while one holds, press nothing again.
    if (event->isAutoRepeat() || m_holdKey != 0 || m_tracking)
        return;
    // Held before it is reported: an error box of the press takes the focus, and the key's
    // release with it, and the focus leaving must release what the key pressed.
    {
        const TStateAnnouncer announcer(*this);
        m_holdKey = key == Qt::Key_Enter ? int(Qt::Key_Return) : key;
    }
    const QPointer<TAdvToolButton> self(this);
    emit KeyDown(this);
    if (self && m_holdKey != 0)
        PressState();
}

void TAdvToolButton::keyReleaseEvent(QKeyEvent* event)
{
    const int key = event->key() == Qt::Key_Enter ? int(Qt::Key_Return) : event->key();
    if (key == m_menuKey) {
        if (!event->isAutoRepeat())
            m_menuKey = 0;
        return;
    }
    if (key != Qt::Key_Space && key != Qt::Key_Return) {
        event->ignore();
        return;
    }
    if ((!event->isAutoRepeat() || m_repeatsArePressesOnly) && key == m_holdKey)
        ReleaseKey();
}

void TAdvToolButton::ReleaseKey()
{
    const QPointer<TAdvToolButton> self(this);
    emit KeyUp(this);
    if (!self || m_holdKey == 0)
        return;
    const TStateAnnouncer announcer(*this);
    m_holdKey = 0;
    ReleaseState(rect().center());
}

void TAdvToolButton::EndKeyHold()
{
    if (m_holdKey == 0)
        return;
    const TStateAnnouncer announcer(*this);
    m_holdKey = 0;
    SetState(m_down ? TState::ToggledOn : TState::Up);
}

void TAdvToolButton::focusInEvent(QFocusEvent* event)
{
    // Coming back with its window keeps what was shown; any other way in is the keyboard's.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        m_focusShown = event->reason() != Qt::MouseFocusReason;
    QWidget::focusInEvent(event);
    update();
}

void TAdvToolButton::focusOutEvent(QFocusEvent* event)
{
    // A key that holds the button is released here once; its key-up goes elsewhere.
    if (m_holdKey != 0)
        ReleaseKey();
    m_menuKey = 0;
    QWidget::focusOutEvent(event);
    update();
}

// ---- painting ----

QRect TAdvToolButton::ContentArea() const
{
    QRect r = rect();
    if (m_borderDownColor == kColorNone)
        r.adjust(1, 1, -1, -1);
    r.adjust(1, 1, -1, -1);
    if (m_state == TState::ToggledOn && !m_hovered)
        r.adjust(-1, -1, 1, 1);
    return r;
}

const TAdvToolButton::TCaptionText& TAdvToolButton::CaptionText() const
{
    if (m_captionText)
        return *m_captionText;
    TCaptionText& text = m_captionText.emplace();
    text.lines = CaptionLines(m_caption);
    const QFontMetrics fm = fontMetrics();
    text.lineHeight = fm.height();
    text.widths.reserve(std::size_t(text.lines.size()));
    for (const QString& line : text.lines) {
        text.widths.push_back(LineWidth(fm, line));
        text.width = std::max(text.width, text.widths.back());
    }
    return text;
}

void TAdvToolButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        m_captionText.reset();
    QWidget::changeEvent(event);
}

TAdvToolButton::TFaceLayout TAdvToolButton::ComputeLayout() const
{
    TFaceLayout out;
    out.content = ContentArea();
    const int w = out.content.width();
    const int h = out.content.height();

    const int gw = m_glyph.isNull() ? 0 : kGlyphSize;
    const int gh = gw;

    const TCaptionText& text = CaptionText();
    const int tw = text.width;
    const int th = int(text.lines.size()) * text.lineHeight;

    const int s = (gw == 0 || tw == 0) ? 0 : std::max(m_spacing, 0);

    QPoint glyphPos;
    QPoint textPos;
    if (gw == 0 || tw == 0) {
        // One item alone is centred on both axes, whatever the layout, so an icon-only button
        // looks the same in every layout: a 97 x 33 button puts its icon at (41, 9) in each.
        glyphPos = QPoint(Div(w - gw + 1, 2), Div(h - gh + 1, 2));
        textPos = QPoint(Div(w - tw + 1, 2), Div(h - th + 1, 2));
        if (m_margin >= 0) {
            const bool vertical = m_layout == blGlyphTop || m_layout == blGlyphBottom;
            const int size = vertical ? h : w;
            const int item = vertical ? gh + th : gw + tw;
            const int at = (m_layout == blGlyphRight || m_layout == blGlyphBottom)
                               ? size - m_margin - item
                               : m_margin;
            (vertical ? glyphPos.ry() : glyphPos.rx()) = at;
            (vertical ? textPos.ry() : textPos.rx()) = at;
        }
    } else if (m_layout == blGlyphTop || m_layout == blGlyphBottom) {
        glyphPos.setX(Div(w - gw + 1, 2));
        textPos.setX(Div(w - tw + 1, 2));
        const int m = m_margin >= 0 ? m_margin : Div(h - (gh + s + th) + 1, 2);
        if (m_layout == blGlyphTop) {
            glyphPos.setY(m);
            textPos.setY(m + gh + s);
        } else {
            glyphPos.setY(h - m - gh);
            textPos.setY(glyphPos.y() - s - th);
        }
    } else {
        // Icon Left, Icon Right; any other layout value is drawn as Icon Left.
        glyphPos.setY(Div(h - gh + 1, 2));
        textPos.setY(Div(h - th + 1, 2));
        const int m = m_margin >= 0 ? m_margin : Div(w - (gw + s + tw) + 1, 2);
        if (m_layout == blGlyphRight) {
            glyphPos.setX(w - m - gw);
            textPos.setX(glyphPos.x() - s - tw);
        } else {
            glyphPos.setX(m);
            textPos.setX(m + gw + s);
        }
    }

    const QPoint origin = out.content.topLeft();
    const QPoint offset = (m_hovered && m_state == TState::Up) ? QPoint(-1, -1) : QPoint(0, 0);
    if (gw > 0)
        out.glyph = QRect(origin + glyphPos + offset, QSize(gw, gh));
    if (tw > 0)
        out.caption = QRect(origin + textPos, QSize(tw, th));
    return out;
}

QRect TAdvToolButton::GlyphRect() const
{
    return ComputeLayout().glyph;
}
QRect TAdvToolButton::CaptionRect() const
{
    return ComputeLayout().caption;
}

void TAdvToolButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);

    // Steps 1 to 4: face and frame.
    QRect r = rect();
    if (m_borderDownColor == kColorNone)
        r.adjust(1, 1, -1, -1);
    if (m_hovered) {
        if (m_state == TState::Down) {
            Fill(p, r, m_colorDown);
            Frame(p, r, m_borderDownColor != kColorNone ? m_borderDownColor : m_colorDown);
        } else {
            Fill(p, r, m_colorHot);
            Frame(p, r, m_borderHotColor != kColorNone ? m_borderHotColor : m_colorHot);
        }
    } else {
        Fill(p, r, m_color);
        Frame(p, r, m_borderColor);
    }
    r.adjust(1, 1, -1, -1);
    if (m_state == TState::ToggledOn && !m_hovered) {
        r.adjust(-1, -1, 1, 1);
        Fill(p, r, m_colorChecked);
        Frame(p, r, m_borderDownColor);
    }

    // Steps 5 to 8: icon and caption.
    const TFaceLayout layout = ComputeLayout();
    if (!layout.glyph.isEmpty()) {
        if (p.device()->devicePixelRatio() != 1.0)
            p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(layout.glyph, m_drawGlyph);
    }
    if (!layout.caption.isEmpty() && m_fontColor != kColorNone) {
        p.setFont(font());
        p.setPen(ToQColor(m_fontColor));
        const TCaptionText& text = CaptionText();
        int y = layout.caption.top();
        for (std::size_t i = 0; i < text.widths.size(); ++i) {
            const int lw = text.widths[i];
            const int x = layout.caption.left() + Div(layout.caption.width() - lw, 2);
            p.drawText(QRect(x, y, lw, text.lineHeight), kDrawFlags, text.lines[qsizetype(i)]);
            y += text.lineHeight;
        }
    }

    // Step 9: the keyboard's focus, a dotted line inside the border in the caption's colour.
    if (FocusShown()) {
        QPen pen(ToQColor(m_fontColor != kColorNone ? m_fontColor : 0), 1, Qt::DotLine);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(2, 2, -3, -3));
    }
}

QSize TAdvToolButton::sizeHint() const
{
    const TCaptionText& text = CaptionText();
    const int tw = text.width;
    const int th = int(text.lines.size()) * text.lineHeight;
    const int gw = m_glyph.isNull() ? 0 : kGlyphSize;
    const bool vertical = m_layout == blGlyphTop || m_layout == blGlyphBottom;
    const int s = (gw && tw) ? m_spacing : 0;
    const int w = vertical ? std::max(gw, tw) : gw + s + tw;
    const int h = vertical ? gw + s + th : std::max(gw, th);
    return QSize(std::max(w + 8, 23), std::max(h + 8, 22));
}
