// The grid as a screen reader finds it: a frame of named push buttons in button order, their
// held and toggled states and the "Press" action playing them. (The events that announce
// changes need a platform with accessibility: tests/smoke/accessibility.sh reads them.)
#include "MainWindowFixture.h"

#include <QAccessible>
#include <QDialog>

namespace {

QAccessibleInterface* Accessible(QObject* object)
{
    return QAccessible::queryAccessibleInterface(object);
}

// Button 1 plays note 60 on press and release with hot key A; button 2 toggles note 62.
const QByteArray kSet = kOutput1Active +
                        "[Button 1]\nCaption=Kick\\nDrum\nHotKey=A\nAction=1\nMessage=1\nNote=60\n"
                        "Velocity=100\n[Button 1 Release]\nCaption=Stop\nNote=60\n"
                        "[Button 2]\nCaption=\nAction=2\nMessage=1\nNote=62\nVelocity=90\n"
                        "[Button 2 Release]\nNote=62\n[Button 3]\nCaption=R&&B\n";

class AccessibleTest : public MainWindowTest
{
protected:
    AccessibleTest()
    {
        WriteSettings(kSet);
        Start();
    }
    QAccessible::State State(int number) { return Accessible(Button(number))->state(); }
    void Play(int number)
    {
        Accessible(Button(number))
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::pressAction());
        QCoreApplication::processEvents();
    }
};

TEST_F(AccessibleTest, WindowIsAFrameOfButtonsNamedByTheirCaptionsInButtonOrder)
{
    QAccessibleInterface* frame = Accessible(m_window.get());
    EXPECT_EQ(frame->role(), QAccessible::Window);
    EXPECT_EQ(frame->text(QAccessible::Name), "Keyrill");
    QStringList names;
    for (int i = 0; i < frame->childCount(); ++i) {
        EXPECT_EQ(frame->child(i)->role(), QAccessible::Button);
        EXPECT_FALSE(frame->child(i)->state().focusable);
        names << frame->child(i)->text(QAccessible::Name);
    }
    EXPECT_EQ(names, QStringList({"Kick Drum", "Button 2", "R&B", "4", "5", "6", "7", "8", "9",
                                  "10", "11", "12", "13", "14", "15"}));
    EXPECT_EQ(frame->child(0)->text(QAccessible::Description), "Hot key A");
    EXPECT_EQ(frame->child(0)->actionInterface()->actionNames(), QStringList({"Press"}));
}

TEST_F(AccessibleTest, HeldButtonsArePressedAndToggleOnIsCheckedUntilItsReleaseGoesOut)
{
    Press(1);
    EXPECT_TRUE(State(1).pressed);
    Release(1);
    EXPECT_FALSE(State(1).pressed);
    m_window->FormKeyDown(0x41);
    EXPECT_TRUE(State(1).pressed);
    m_window->FormKeyUp(0x41);
    EXPECT_FALSE(State(1).pressed);

    EXPECT_TRUE(State(2).checkable);
    Click(2);
    EXPECT_TRUE(State(2).checked);
    m_window->RefreshButtons(); // the face goes back up, the toggle stays on
    EXPECT_TRUE(State(2).checked);
    Click(2);
    EXPECT_FALSE(State(2).checked);
}

TEST_F(AccessibleTest, PressActionPlaysTheButtonAsAClickUnlessAModalWindowShutsItOut)
{
    Play(1);
    Play(2);
    EXPECT_TRUE(State(2).checked);
    Play(2);
    EXPECT_EQ(Sent(), QStringList({"90 3C 64", "80 3C 00", "90 3E 5A", "80 3E 00"}));
    EXPECT_TRUE(m_window->Held().Empty());

    QDialog modal(m_window.get());
    modal.setModal(true);
    modal.show();
    Play(1);
    EXPECT_EQ(Sent().size(), 4);
}

} // namespace
