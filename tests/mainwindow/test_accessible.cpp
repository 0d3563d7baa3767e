// The grid as a screen reader finds it (roles, announcements and AT-SPI itself: smoke.sh).
#include "MainWindowFixture.h"

#include <QAccessible>
#include <QDialog>

namespace {

// Button 1 plays note 60 on press and release, with hot key A; button 2 toggles note 62.
const QByteArray kSet =
    kOutput1Active + "[Button 1]\nCaption=Kick\\nDrum\nHotKey=A\nAction=1\nMessage=1\nNote=60\n"
                     "Velocity=100\n[Button 1 Release]\nNote=60\n[Button 2]\nCaption=\nAction=2\n"
                     "Message=1\nNote=62\nVelocity=90\n[Button 2 Release]\nNote=62\n"
                     "[Button 3]\nCaption=R&&B\n";

class AccessibleTest : public MainWindowTest
{
protected:
    AccessibleTest() { WriteSettings(kSet), Start(); }
    QAccessible::State State(int n) { return Spoken(Button(n))->state(); }
    QAccessibleInterface* Spoken(QObject* o) { return QAccessible::queryAccessibleInterface(o); }
    void Play(int n)
    {
        Spoken(Button(n))->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCoreApplication::processEvents();
    }
};

TEST_F(AccessibleTest, WindowHoldsTheButtonsNamedByTheirCaptionsInButtonOrder)
{
    QAccessibleInterface* frame = Spoken(m_window.get());
    QStringList names{frame->text(QAccessible::Name)};
    for (int i = 0; i < frame->childCount(); ++i)
        names << frame->child(i)->text(QAccessible::Name);
    EXPECT_EQ(names, QStringList({"Keyrill", "Kick Drum", "Button 2", "R&B", "4", "5", "6", "7",
                                  "8", "9", "10", "11", "12", "13", "14", "15"}));
}

TEST_F(AccessibleTest, PressedWhileHeldByMouseOrKeyCheckedWhileAToggleIsOn)
{
    Press(1);
    EXPECT_TRUE(State(1).pressed);
    Release(1);
    m_window->FormKeyDown(0x41);
    EXPECT_TRUE(State(1).pressed);
    m_window->FormKeyUp(0x41);
    EXPECT_FALSE(State(1).pressed);
    Click(2);
    m_window->RefreshButtons(); // the Press face comes back, the toggle stays on
    EXPECT_TRUE(State(2).checked);
}

TEST_F(AccessibleTest, PressActionPlaysAClickThroughTheHandlersUnlessAModalWindowIsOpen)
{
    for (int n : {1, 2, 2})
        Play(n);
    EXPECT_EQ(Sent(), QStringList({"90 3C 64", "80 3C 00", "90 3E 5A", "80 3E 00"}));
    EXPECT_TRUE(m_window->Held().Empty());
    EXPECT_FALSE(State(2).checked);
    QDialog modal(m_window.get());
    modal.setModal(true);
    modal.show();
    Play(1);
    EXPECT_EQ(Sent().size(), 4);
}

} // namespace
