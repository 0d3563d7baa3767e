// How the mouse moves a button from state to state, and when it repaints.
#include "WidgetTestSupport.h"

#include <QTest>

#include <vector>

namespace {

using State = TAdvToolButton::TState;
using ButtonMouse = ButtonFixture;

TEST_F(ButtonMouse, MouseDownFiresBeforeTheButtonGoesDown)
{
    std::vector<State> seen;
    QObject::connect(
        button, &TAdvToolButton::MouseDown,
        [&](TAdvToolButton* sender, Qt::MouseButton which, Qt::KeyboardModifiers, QPoint pos) {
            EXPECT_EQ(sender, button);
            EXPECT_EQ(which, Qt::LeftButton);
            EXPECT_EQ(pos, QPoint(10, 10));
            seen.push_back(sender->State());
        });
    Press();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], State::Up);
    EXPECT_EQ(button->State(), State::Down);
    EXPECT_TRUE(button->Tracking());
}

TEST_F(ButtonMouse, MouseUpFiresBeforeToggleFlipsDown)
{
    button->SetGroupIndex(3);
    button->SetAllowAllUp(true);
    std::vector<bool> downSeen;
    QObject::connect(button, &TAdvToolButton::MouseUp,
                     [&](TAdvToolButton* sender, Qt::MouseButton, Qt::KeyboardModifiers, QPoint) {
                         downSeen.push_back(sender->Down());
                     });
    Enter();
    Press();
    Release();
    ASSERT_EQ(downSeen, std::vector<bool>{false});
    EXPECT_TRUE(button->Down());
    EXPECT_EQ(button->State(), State::ToggledOn);
    EXPECT_TRUE(button->Hovered());
    // The second click turns it back.
    Press();
    EXPECT_EQ(button->State(), State::ToggledOn); // Down true: the press leaves the state alone
    Release();
    EXPECT_EQ(downSeen, (std::vector<bool>{false, true}));
    EXPECT_FALSE(button->Down());
    EXPECT_EQ(button->State(), State::Up);
}

TEST_F(ButtonMouse, OtherMouseButtonsFireEventsButChangeNoState)
{
    int downs = 0, ups = 0;
    Qt::MouseButton last = Qt::NoButton;
    QObject::connect(button, &TAdvToolButton::MouseDown,
                     [&](TAdvToolButton*, Qt::MouseButton b, Qt::KeyboardModifiers, QPoint) {
                         ++downs;
                         last = b;
                     });
    QObject::connect(button, &TAdvToolButton::MouseUp, [&] { ++ups; });
    Mouse(QEvent::MouseButtonPress, Qt::RightButton);
    EXPECT_EQ(button->State(), State::Up);
    EXPECT_FALSE(button->Tracking());
    Mouse(QEvent::MouseButtonRelease, Qt::RightButton);
    EXPECT_EQ(downs, 1);
    EXPECT_EQ(ups, 1);
    EXPECT_EQ(last, Qt::RightButton);
}

TEST_F(ButtonMouse, DraggingOutAndBackMovesBetweenUpAndDown)
{
    Press();
    MoveTo(QPoint(200, 10));
    EXPECT_EQ(button->State(), State::Up);
    MoveTo(QPoint(96, 32));
    EXPECT_EQ(button->State(), State::Down);
    MoveTo(QPoint(97, 32)); // just outside rect()
    EXPECT_EQ(button->State(), State::Up);
    Release(QPoint(97, 32));
    EXPECT_EQ(button->State(), State::Up);
    EXPECT_FALSE(button->Hovered());
    EXPECT_FALSE(button->Tracking());
}

TEST_F(ButtonMouse, ReleaseOutsideLeavesToggleAsItWas)
{
    button->SetGroupIndex(1);
    button->SetAllowAllUp(true);
    Press();
    MoveTo(QPoint(-5, 10));
    Release(QPoint(-5, 10));
    EXPECT_FALSE(button->Down());
    EXPECT_EQ(button->State(), State::Up);
}

TEST_F(ButtonMouse, ReleaseOfPlainButtonEndsUpAndHoveredWhereThePointerIs)
{
    Enter();
    Press();
    Release();
    EXPECT_EQ(button->State(), State::Up);
    EXPECT_TRUE(button->Hovered());
}

TEST_F(ButtonMouse, SetDownNeedsAGroup)
{
    button->SetDown(true);
    EXPECT_FALSE(button->Down());
    EXPECT_EQ(button->State(), State::Up);
    button->SetGroupIndex(5);
    button->SetDown(true);
    EXPECT_TRUE(button->Down());
    EXPECT_EQ(button->State(), State::ToggledOn);
    button->SetDown(false);
    EXPECT_EQ(button->State(), State::Up);
}

TEST_F(ButtonMouse, NeverTakesTheKeyboardFocus)
{
    EXPECT_EQ(button->focusPolicy(), Qt::NoFocus);
}

// Counts its paint events.
class CountingButton : public TQelSpeedButton
{
public:
    using TQelSpeedButton::TQelSpeedButton;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* e) override
    {
        ++paints;
        TQelSpeedButton::paintEvent(e);
    }
};

TEST(ButtonRepaint, RepaintsOnlyWhenAPaintedPropertyReallyChanges)
{
    QWidget window;
    window.resize(97, 33);
    auto* b = new CountingButton(&window);
    b->setGeometry(0, 0, 97, 33);
    b->SetCaption(QStringLiteral("A"));
    b->SetGlyph(SolidGlyph());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QCoreApplication::processEvents();

    auto paintsAfter = [&](auto change) {
        QCoreApplication::processEvents();
        b->paints = 0;
        change();
        QCoreApplication::processEvents();
        return b->paints;
    };
    EXPECT_EQ(paintsAfter([&] { b->SetColor(b->Color()); }), 0);
    EXPECT_EQ(paintsAfter([&] { b->SetCaption(QStringLiteral("A")); }), 0);
    EXPECT_EQ(paintsAfter([&] { b->SetGlyph(SolidGlyph()); }), 0);
    EXPECT_EQ(paintsAfter([&] { b->SetBorderColor(kColorNone); }), 0);
    EXPECT_EQ(paintsAfter([&] { b->SetLayout(b->Layout()); }), 0);
    EXPECT_EQ(paintsAfter([&] { b->SetDown(false); }), 0);
    EXPECT_EQ(paintsAfter([&] { b->SetFlat(true); }), 0);

    EXPECT_GE(paintsAfter([&] { b->SetColor(0x123456); }), 1);
    EXPECT_GE(paintsAfter([&] { b->SetCaption(QStringLiteral("B")); }), 1);
    EXPECT_GE(paintsAfter([&] { b->SetGlyph(SolidGlyph(0x00FF00)); }), 1);
    EXPECT_GE(paintsAfter([&] { b->SetBorderColor(kHighlight); }), 1);
    EXPECT_GE(paintsAfter([&] { b->SetFontColor(0x00FF00); }), 1);
}

} // namespace
