#include "MainWindowFixture.h"

#include <QAction>
#include <QMenu>

namespace {

class MenuTest : public MainWindowTest
{
protected:
    void OpenMenuOn(int number)
    {
        Press(number, Qt::RightButton);
        Release(number, Qt::RightButton);
        ASSERT_TRUE(m_window->PopupMenu()->isVisible());
    }
    void Choose(const char* item)
    {
        QAction* action = m_window->MenuItem(item);
        ASSERT_NE(action, nullptr) << item;
        action->trigger();
        m_window->PopupMenu()->close();
    }
    // The visible items as the user reads them: separators as "-", disabled items in brackets.
    QStringList VisibleItems() const
    {
        QStringList items;
        for (QAction* action : m_window->PopupMenu()->actions()) {
            if (!action->isVisible())
                continue;
            const QString text = action->isSeparator() ? "-" : action->text();
            items << (action->isEnabled() ? text : "[" + text + "]");
        }
        return items;
    }
};

TEST_F(MenuTest, FullMenuWithPasteGreyedUntilSomethingIsCopied)
{
    Start();
    OpenMenuOn(7);
    EXPECT_EQ(VisibleItems(),
              (QStringList{"[Button 7]", "Button Properties", "-", "Button Cut", "Button Copy",
                           "[Button Paste]", "[Undo]", "[Redo]", "-", "Panic",
                           "Configuration...", "About...", "E&xit"}));
    EXPECT_EQ(m_window->MenuItem("mnPanic")->shortcut().toString(QKeySequence::NativeText), "Esc");
    QStringList names;
    for (QAction* action : m_window->PopupMenu()->actions())
        names << action->objectName();
    EXPECT_EQ(names, (QStringList{"MnPuButton", "ButtonProperties1", "N3", "ButtonCut1",
                                  "ButtonCopy1", "ButtonPaste1", "mnUndo", "mnRedo", "N1",
                                  "mnPanic",
                                  "mnConfiguration", "mnAbout", "mnExit"}));
    m_window->PopupMenu()->close();
}

TEST_F(MenuTest, WithoutAllowEditingOnlyPanicAboutAndExitRemain)
{
    WriteSettings("[General]\nAllow Editing=0\n");
    Start();
    EXPECT_FALSE(m_window->MenuItem("mnConfiguration")->isVisible());
    OpenMenuOn(2);
    EXPECT_EQ(VisibleItems(), (QStringList{"Panic", "About...", "E&xit"}));
    m_window->PopupMenu()->close();
}

TEST_F(MenuTest, CopyThenPasteOntoTwoButtonsAndPasteStaysEnabled)
{
    WriteSettings("[Button 2]\nCaption=Kick\nAction=1\nButton Colour=#FF0000\n");
    Start();
    OpenMenuOn(2);
    Choose("ButtonCopy1");
    OpenMenuOn(5);
    EXPECT_TRUE(m_window->MenuItem("ButtonPaste1")->isEnabled());
    Choose("ButtonPaste1");
    OpenMenuOn(9);
    Choose("ButtonPaste1");
    for (int n : {2, 5, 9}) {
        EXPECT_EQ(Button(n)->Caption(), "Kick") << n;
        EXPECT_EQ(Button(n)->Color(), 255u) << n;
        EXPECT_EQ(m_window->CommandList()->Get(n - 1).Action, 1) << n;
    }
    OpenMenuOn(1);
    EXPECT_TRUE(m_window->MenuItem("ButtonPaste1")->isEnabled());
    m_window->PopupMenu()->close();
}

TEST_F(MenuTest, CutClearsTheFaceAndPasteBringsItBack)
{
    WriteSettings("[Button 3]\nCaption=Snare\nImage Index=4\nButton Colour=#00FF00\n");
    Start();
    OpenMenuOn(3);
    Choose("ButtonCut1");
    EXPECT_TRUE(Button(3)->Caption().isEmpty());
    EXPECT_TRUE(Button(3)->Glyph().isNull());
    EXPECT_EQ(Button(3)->Color(), kColorCream);
    OpenMenuOn(3);
    Choose("ButtonPaste1");
    EXPECT_EQ(Button(3)->Caption(), "Snare");
    EXPECT_FALSE(Button(3)->Glyph().isNull());
}

TEST_F(MenuTest, ExitRunsTheShutdownAndSaves)
{
    Start();
    OpenMenuOn(1);
    Choose("mnExit");
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_EQ(m_window->CommandList(), nullptr);
    EXPECT_TRUE(ReadSettings().contains("[Button 15 Release]\r\n"));
}

} // namespace
