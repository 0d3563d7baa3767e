#include "MainWindowFixture.h"

#include "widgets/GridKeys.h"
#include "widgets/AccessibleButton.h"

#include <QDialog>
#include <QMenu>
#include <QPointingDevice>

namespace {

const QByteArray kNoteButtons = kOutput1Active +
                                "[General]\nButton Border Highlight Colour=#00FF00\n"
                                "[Button 1]\nAction=1\nCaption=On\nMessage=1\nNote=60\nVelocity=100\n"
                                "[Button 1 Release]\nCaption=Off\nNote=60\nButton Colour=#123456\n"
                                "[Button 2]\nAction=2\nCaption=Loop\nMessage=3\nChannel=2\nNote=7\n"
                                "Velocity=127\n[Button 2 Release]\nCaption=Looping\nMessage=3\n"
                                "Channel=2\nNote=7\n"
                                "[Button 3]\nAction=0\nMessage=4\nNote=5\n";

using PressTest = MainWindowTest;

TEST_F(PressTest, ClearedPressButtonSendsNoteOffOnPressAndNothingOnRelease)
{
    WriteSettings(kOutput1Active + "[Button 4]\nCaption=4\n");
    Start();
    Press(4);
    EXPECT_EQ(Sent(), QStringList{"80 00 00"});
    Release(4);
    EXPECT_EQ(Sent(), QStringList{"80 00 00"});
}

TEST_F(PressTest, PressReleaseSendsBothAndShowsTheReleaseFaceWhileHeld)
{
    WriteSettings(kNoteButtons);
    Start();
    Press(1);
    EXPECT_EQ(Sent(), QStringList{"90 3C 64"});
    EXPECT_EQ(Button(1)->Caption(), "Off");
    EXPECT_EQ(Button(1)->Color(), 0x563412u);
    EXPECT_EQ(Button(1)->BorderColor(), 0x00FF00u);
    EXPECT_EQ(Button(1)->BorderDownColor(), 0x00FF00u);
    EXPECT_TRUE(m_window->CommandList()->Get(0).Pressed);
    Release(1);
    EXPECT_EQ(Sent(), (QStringList{"90 3C 64", "80 3C 00"}));
    EXPECT_EQ(Button(1)->Caption(), "On");
    EXPECT_EQ(Button(1)->BorderColor(), kColorNone);
    EXPECT_FALSE(m_window->CommandList()->Get(0).Pressed);
}

// Each finger holds the button it went down on until it lifts, wherever it is then; a finger and
// the mouse on one button play it once; a cancel ends the fingers only; none becomes the mouse.
TEST_F(PressTest, FingersHoldTheirOwnButtonsAndNeverArriveAsTheMouse)
{
    WriteSettings(kNoteButtons + "[Button 4]\nAction=1\nMessage=1\nNote=62\nVelocity=100\n"
                                 "[Button 4 Release]\nNote=62\n");
    Start();
    int mousePresses = 0;
    for (TQelSpeedButton* button : m_window->GridButtons())
        QObject::connect(button, &TAdvToolButton::MouseDown, [&] { ++mousePresses; });
    QPointingDevice* screen = QTest::createTouchDevice();
    TfmMain* window = m_window.get();
    const auto at = [&](int number) { return Button(number)->geometry().center(); };
    QTest::touchEvent(window, screen).press(0, at(1), window);
    QTest::touchEvent(window, screen).stationary(0).press(1, at(4), window);
    EXPECT_EQ(Sent(), (QStringList{"90 3C 64", "90 3E 64"})) << "in the order they went down";
    EXPECT_TRUE(Button(1)->Held() && Button(4)->Held());
    QTest::touchEvent(window, screen).move(0, at(2), window).stationary(1);
    QTest::touchEvent(window, screen).release(0, at(2), window).stationary(1);
    EXPECT_EQ(Sent().mid(2), QStringList{"80 3C 00"}) << "lifted off its button: its own only";
    Press(4);
    QTest::touchEvent(window, screen).stationary(1).press(2, at(1), window);
    QTouchEvent cancel(QEvent::TouchCancel, screen);
    QApplication::sendEvent(window, &cancel);
    EXPECT_EQ(Sent().mid(3), (QStringList{"90 3C 64", "80 3C 00"})) << "the mouse still holds 4";
    Release(4);
    EXPECT_EQ(Sent().mid(5), QStringList{"80 3E 00"});
    EXPECT_EQ(mousePresses, 1) << "the real mouse press alone";
    EXPECT_TRUE(m_window->Player().Empty());
}

TEST_F(PressTest, ReleaseDraggedOffTheButtonStillReleases)
{
    WriteSettings(kNoteButtons);
    Start();
    Press(1);
    QTest::mouseMove(Button(1), QPoint(200, 150));
    Release(1, Qt::LeftButton, QPoint(200, 150));
    EXPECT_EQ(Sent(), (QStringList{"90 3C 64", "80 3C 00"}));
    EXPECT_EQ(Button(1)->Caption(), "On");
}

TEST_F(PressTest, ToggleSendsPressOnFirstDownAndReleaseOnSecondUp)
{
    WriteSettings(kNoteButtons);
    Start();
    const TCommandSet& d = m_window->CommandList()->Get(1);
    Press(2);
    EXPECT_EQ(Sent(), QStringList{"B2 07 7F"});
    EXPECT_EQ(Button(2)->Caption(), "Looping");
    EXPECT_FALSE(d.Pressed);
    Release(2);
    EXPECT_TRUE(d.Pressed);
    EXPECT_TRUE(Button(2)->Down()) << "sticky while on";
    EXPECT_EQ(Button(2)->Caption(), "Looping");
    EXPECT_EQ(Button(2)->BorderColor(), kColorNone);
    Press(2);
    EXPECT_EQ(Sent().size(), 1);
    EXPECT_EQ(Button(2)->BorderColor(), 0x00FF00u);
    Release(2);
    EXPECT_EQ(Sent(), (QStringList{"B2 07 7F", "B2 07 00"}));
    EXPECT_FALSE(d.Pressed);
    EXPECT_FALSE(Button(2)->Down());
    EXPECT_EQ(Button(2)->Caption(), "Loop");
    EXPECT_EQ(Spoken(2)->role(), kToggleButtonRole);
    EXPECT_EQ(Spoken(2)->actionInterface()->actionNames(), QStringList{"Toggle"});
    EXPECT_EQ(Spoken(1)->role(), QAccessible::Button) << "Press / Release is no toggle";
}

TEST_F(PressTest, RefreshWhileAToggleIsOnShowsThePressFaceButKeepsItOn)
{
    WriteSettings(kNoteButtons);
    Start();
    Click(2);
    m_window->RefreshButtons();
    EXPECT_EQ(Button(2)->Caption(), "Loop");
    EXPECT_FALSE(Button(2)->Down());
    EXPECT_TRUE(Spoken(2)->state().checked) << "read as on";
    Press(2);
    EXPECT_EQ(Sent().size(), 1) << "still on: the press sends nothing";
    Release(2);
    EXPECT_EQ(Sent().last(), "B2 07 00");
    EXPECT_FALSE(Spoken(2)->state().checked);
}

TEST_F(PressTest, ScreenReadersPressPlaysAClickUnlessAModalWindowShutsTheGridOut)
{
    WriteSettings(kNoteButtons);
    Start();
    const auto play = [this](int number) {
        QAccessibleActionInterface* action = Spoken(number)->actionInterface();
        action->doAction(action->actionNames().constFirst());
        QApplication::processEvents();
    };
    for (int n : {1, 2, 2})
        play(n);
    EXPECT_EQ(Sent(), (QStringList{"90 3C 64", "80 3C 00", "B2 07 7F", "B2 07 00"}));
    EXPECT_TRUE(m_window->Player().Empty());
    QDialog modal(m_window.get());
    modal.setModal(true);
    modal.show();
    play(1);
    EXPECT_EQ(Sent().size(), 4);
}

TEST_F(PressTest, SpaceAndEnterPlayTheFocusedButtonOnceAndTheFocusLeavingReleasesIt)
{
    WriteSettings(kNoteButtons);
    Start();
    QApplication::setActiveWindow(m_window.get());
    EXPECT_EQ(QApplication::focusWidget(), m_window.get()) << "no button has it at the start";
    for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Enter}) {
        Button(1)->setFocus(Qt::TabFocusReason);
        QTest::keyPress(Button(1), key);
        QKeyEvent repeat(QEvent::KeyPress, key, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(Button(1), &repeat);
        EXPECT_EQ(Sent().last(), "90 3C 64") << "auto-repeat retriggers nothing";
        QTest::keyRelease(Button(1), key == Qt::Key_Space ? Qt::Key_Enter : Qt::Key_Space);
        EXPECT_EQ(Sent().size() % 2, 1) << "the other key releases nothing";
        Button(2)->setFocus(Qt::TabFocusReason);
        QTest::keyRelease(Button(1), key);
        EXPECT_EQ(Sent().last(), "80 3C 00");
        EXPECT_TRUE(m_window->Player().Empty() && !Button(1)->Held());
    }
    EXPECT_EQ(Sent().size(), 4);
}

TEST(GridKeys, ArrowsMoveByRowAndColumnAndStopAtTheEdge)
{
    const struct
    {
        int from, key, to;
    } moves[] = {{1, Qt::Key_Down, 2}, {5, Qt::Key_Down, 0},  {6, Qt::Key_Up, 0},
                 {7, Qt::Key_Up, 6},   {2, Qt::Key_Right, 7}, {12, Qt::Key_Right, 0},
                 {4, Qt::Key_Left, 0}, {9, Qt::Key_Left, 4}};
    for (const auto& m : moves)
        EXPECT_EQ(GridNeighbour(m.from, m.key, 5, 15), m.to) << m.from << " " << m.key;
}

TEST_F(PressTest, RightClickOpensTheMenuAtTheButtonAndChangesNothing)
{
    WriteSettings(kNoteButtons);
    Start();
    Press(7, Qt::RightButton);
    Release(7, Qt::RightButton);
    EXPECT_TRUE(Sent().isEmpty());
    EXPECT_EQ(m_window->CurrentButton(), 7);
    EXPECT_EQ(m_window->PopupPoint(), Button(7)->mapToGlobal(QPoint(0, 0)));
    EXPECT_TRUE(m_window->PopupMenu()->isVisible());
    EXPECT_EQ(Button(7)->BorderColor(), kColorNone);
    EXPECT_EQ(Button(7)->Caption(), "7");
    m_window->PopupMenu()->close();
    Button(5)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(Button(5), Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_EQ(m_window->PopupPoint(), Button(5)->mapToGlobal(QPoint(0, 0))) << "Shift+F10";
    EXPECT_EQ(m_window->PopupMenu()->activeAction()->objectName(), "ButtonProperties1");
    EXPECT_TRUE(Sent().isEmpty());
    m_window->PopupMenu()->close();
}

TEST_F(PressTest, InactiveOutputSendsNothingAndShowsNothing)
{
    WriteSettings("[Button 1]\nMessage=1\nNote=60\n");
    Start();
    Click(1);
    EXPECT_TRUE(Sent().isEmpty());
    EXPECT_TRUE(m_boxes.Boxes.empty());
}

TEST_F(PressTest, ValuesOnlyAHandEditedFileHoldsNeverIndexOutsideTheTables)
{
    WriteSettings(kOutput1Active + "[Button 1]\nMessage=9\n[Button 2]\nOutput=7\n"
                                   "[Button 3]\nChannel=16\nMessage=1\n");
    Start();
    Click(1);
    EXPECT_TRUE(Sent().isEmpty()) << "no message kind 9";
    Click(2);
    EXPECT_TRUE(Sent().isEmpty()) << "no output 7";
    ASSERT_EQ(m_boxes.Boxes.size(), 1u);
    EXPECT_TRUE(m_boxes.Boxes[0].Text.startsWith("MIDI port error on output 7.(MIDI Device # "));
    Click(3);
    EXPECT_EQ(Sent(), QStringList{"A0 00 00"}) << "channel 16 carries into the high nibble";
}

} // namespace
