#include "GridView.h"

#include "GridKeys.h"
#include "ImageList.h"
#include "ReleaseWatch.h"
#include "TAdvToolButton.h"
#include "model/MidiCatalogue.h"
#include "play/Player.h"

#include <QEvent>
#include <QTouchEvent>
#include <QWidget>

TGridView::TGridView(QWidget& window, TLinks links)
    : QObject(&window), m_window(window), m_links(std::move(links)),
      m_releaseWatch(new TReleaseWatch(window, m_links.PointerHeld))
{
    // Fingers come to the window, whose buttons take none themselves: each point is followed
    // from the button it went down on, and none turns into a mouse press.
    window.setAttribute(Qt::WA_AcceptTouchEvents);
    window.installEventFilter(this);
    m_links.Player.AddView(*this);
}

TGridView::~TGridView() = default;

void TGridView::Build(int rows, int cols, const QFont& font, bool repeatsArePressesOnly)
{
    m_rows = rows;
    m_cols = cols;
    m_buttons.reserve(std::size_t(std::max(0, rows * cols)));
    if (!m_gridKeys) {
        m_gridKeys = new TGridKeys(
            m_window, [this] { return m_rows; }, [this](int number) { return Button(number); },
            [this] { return int(m_buttons.size()); });
        // The window itself has the focus when it opens: Qt would hand it to the first button,
        // and a Space meant for nothing would play it.
        m_window.setFocus(Qt::OtherFocusReason);
    }
    for (int c = 1; c <= cols; ++c) {
        for (int r = 1; r <= rows; ++r) {
            const int n = r + (c - 1) * rows;
            auto* button = new TQelSpeedButton(&m_window);
            button->setObjectName(QStringLiteral("BtTx%1").arg(n));
            button->SetTag(n);
            button->setGeometry((c - 1) * 49, (r - 1) * 21, 49, 21);
            button->SetFlat(true);
            button->setFont(font);
            // Tab only: a click gives no focus, so a window played with the mouse stays as it was.
            button->setFocusPolicy(Qt::TabFocus);
            button->SetRepeatsArePressesOnly(repeatsArePressesOnly);
            m_gridKeys->Watch(*button, n);
            connect(button, &TAdvToolButton::MouseDown, this,
                    [this](TAdvToolButton* sender, Qt::MouseButton b) { MouseDown(sender, b); });
            connect(button, &TAdvToolButton::MouseUp, this,
                    [this](TAdvToolButton* sender, Qt::MouseButton b) { MouseUp(sender, b); });
            connect(button, &TAdvToolButton::KeyDown, this, &TGridView::KeyDown);
            connect(button, &TAdvToolButton::KeyUp, this, &TGridView::KeyUp);
            connect(button, &TAdvToolButton::MenuKey, this, [this](TAdvToolButton* sender) {
                emit MenuAsked(sender->Tag(), sender->mapToGlobal(QPoint(0, 0)), true);
            });
            button->show();
            m_buttons.push_back(button);
        }
    }
    m_built = true;
}

void TGridView::Destroy()
{
    m_built = false;
    while (!m_buttons.empty()) {
        delete m_buttons.back();
        m_buttons.pop_back();
    }
}

TQelSpeedButton* TGridView::Button(int number) const
{
    if (number < 1 || number > int(m_buttons.size()))
        return nullptr;
    return m_buttons[std::size_t(number - 1)];
}

void TGridView::Layout(int rows, int cols, QSize area)
{
    m_rows = rows;
    m_cols = cols;
    if (m_rows < 1 || m_cols < 1)
        return;
    const int w = area.width() / m_cols;
    const int h = area.height() / m_rows;
    for (TQelSpeedButton* button : m_buttons) {
        const int k = button->Tag() - 1;
        button->setGeometry((k / m_rows) * w, (k % m_rows) * h, w, h);
    }
}

void TGridView::Refresh(const QFont& font, int layout)
{
    for (TQelSpeedButton* button : m_buttons) {
        const TCommandSet* s = m_links.Player.Definition(button->Tag());
        if (!s)
            continue;
        if (button->font() != font)
            button->setFont(font);
        button->SetDown(false);
        button->SetLit(false);
        button->SetLayout(layout);
        ShowFace(*button, s->Press);
        const bool toggle = s->Action == actToggle;
        button->SetGroupIndex(toggle ? button->Tag() : 0);
        button->SetAllowAllUp(toggle);
        button->SetColorDown(s->Action == actPress ? s->Press.ButtonColour
                                                   : s->Release.ButtonColour);
        button->SetSwitchedOn(toggle && s->Pressed);
        // A screen reader reads the hot key after the caption.
        const QString hint =
            s->HotKey.isEmpty() ? QString() : QStringLiteral("Hot key %1").arg(s->HotKey);
        if (button->accessibleDescription() != hint)
            button->setAccessibleDescription(hint);
    }
}

bool TGridView::MouseFollowed() const
{
    return m_releaseWatch->Following();
}

void TGridView::MouseDown(TAdvToolButton* sender, Qt::MouseButton button)
{
    const int number = sender->Tag();
    if (button != Qt::LeftButton || !m_links.Player.Definition(number))
        return;
    if (sender->Clicking()) {
        m_links.Player.Press(number, TPressSource::Accessibility());
        return;
    }
    // A modal error box of the send takes the release of the left button with it: the real
    // release is followed then, wherever it goes.
    TPlayer& player = m_links.Player;
    m_releaseWatch->Press([&] { player.Press(number, TPressSource::Mouse()); },
                          [&player] { player.Release(TPressSource::Mouse()); });
}

void TGridView::MouseUp(TAdvToolButton* sender, Qt::MouseButton button)
{
    if (button == Qt::RightButton) {
        emit MenuAsked(sender->Tag(), sender->mapToGlobal(QPoint(0, 0)), false);
        return;
    }
    if (button != Qt::LeftButton)
        return;
    // Nothing held: the press has been released already (the menu took its release, the window
    // lost the keyboard, the definition changed).
    m_links.Player.Release(sender->Clicking() ? TPressSource::Accessibility()
                                              : TPressSource::Mouse(),
                           sender->Tag());
}

void TGridView::KeyDown(TAdvToolButton* sender)
{
    m_links.Player.Press(sender->Tag(), TPressSource::FocusKey());
}

void TGridView::KeyUp(TAdvToolButton* sender)
{
    m_links.Player.Release(TPressSource::FocusKey(), sender->Tag());
}

bool TGridView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_window)
        switch (event->type()) {
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TouchCancel:
            return Touch(event);
        default:
            break;
        }
    return QObject::eventFilter(watched, event);
}

bool TGridView::Touch(QEvent* event)
{
    TPlayer& player = m_links.Player;
    if (event->type() == QEvent::TouchCancel) {
        player.ReleaseIf([](const THeldPress& h) { return h.Source.Kind == TSourceKind::Touch; });
        return true;
    }
    // A finger holds the button it went down on until it lifts, wherever it is then.
    for (const QEventPoint& point : static_cast<QTouchEvent*>(event)->points()) {
        const TPressSource finger = TPressSource::Touch(point.id());
        if (point.state() == QEventPoint::Pressed) {
            const auto* button =
                qobject_cast<TQelSpeedButton*>(m_window.childAt(point.position().toPoint()));
            if (button)
                player.Press(button->Tag(), finger);
        } else if (point.state() == QEventPoint::Released) {
            player.Release(finger);
        }
    }
    event->accept();
    return true;
}

void TGridView::ShowFace(TAdvToolButton& button, const TCommand& side)
{
    button.SetCaption(FaceCaption(side.Caption));
    button.SetGlyph(m_links.Images.Glyph(side.ImageIndex));
    button.SetGlyphName(m_links.Images.Name(side.ImageIndex));
    button.SetFontColor(side.TextColour);
    button.SetColor(side.ButtonColour);
    button.SetColorHot(side.ButtonColour);
}

void TGridView::FaceShown(int number, TFace face)
{
    TQelSpeedButton* button = Button(number);
    const TCommandSet* d = m_links.Player.Definition(number);
    if (button && d)
        ShowFace(*button, face == TFace::Release ? d->Release : d->Press);
}

void TGridView::HeldChanged(int number, bool held)
{
    if (TQelSpeedButton* button = Button(number)) {
        const TColor frame = held ? m_links.Highlight() : kColorNone;
        button->SetBorderColor(frame);
        button->SetBorderDownColor(frame);
        button->SetHeld(held);
    }
}

void TGridView::SwitchedChanged(int number, bool on)
{
    if (TQelSpeedButton* button = Button(number))
        button->SetSwitchedOn(on);
}

void TGridView::FeedbackShown(int number, bool toggle, bool on)
{
    TQelSpeedButton* button = Button(number);
    if (!button)
        return;
    if (toggle) {
        button->SetDown(on);
        button->SetSwitchedOn(on);
    }
    button->SetLit(on && !toggle);
}

void TGridView::HoldEnded(TPressSource source, int number, bool ownRelease)
{
    TQelSpeedButton* button = Button(number);
    if (!button || ownRelease)
        return;
    // The release went elsewhere (a menu, a dialog, the window losing the keyboard): the button
    // stops following the mouse or the key without reporting it.
    if (source.Kind == TSourceKind::Mouse || source.Kind == TSourceKind::Accessibility)
        button->EndTracking();
    else if (source.Kind == TSourceKind::FocusKey)
        button->EndKeyHold();
}
