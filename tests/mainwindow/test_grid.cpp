#include "MainWindowFixture.h"

namespace {

using GridTest = MainWindowTest;

TEST_F(GridTest, ButtonsAreNumberedColumnByColumn)
{
    Start();
    ASSERT_EQ(m_window->GridButtons().size(), 15u);
    QAccessibleInterface* frame = QAccessible::queryAccessibleInterface(m_window.get());
    EXPECT_EQ(frame->text(QAccessible::Name), "Keyrill");
    ASSERT_EQ(frame->childCount(), 15) << "a screen reader finds the buttons in the window";
    for (int n = 1; n <= 15; ++n) {
        ASSERT_NE(Button(n), nullptr) << n;
        EXPECT_EQ(frame->child(n - 1)->text(QAccessible::Name), QString::number(n)) << "in order";
        EXPECT_EQ(Button(n)->Tag(), n);
        EXPECT_EQ(m_window->GridButtons()[std::size_t(n - 1)], Button(n)) << "child order";
    }
    EXPECT_EQ(Button(1)->pos(), QPoint(0, 0));
    EXPECT_EQ(Button(5)->x(), 0);
    EXPECT_GT(Button(5)->y(), Button(4)->y());
    EXPECT_EQ(Button(6)->y(), 0);
    EXPECT_GT(Button(6)->x(), 0);
    EXPECT_EQ(Button(15)->geometry().bottomRight(), m_window->rect().bottomRight());
}

TEST_F(GridTest, LayoutFillsTheClientAreaAndSnapsItToWholeButtons)
{
    Start();
    m_window->resize(292, 166);
    QApplication::processEvents();
    for (int n = 1; n <= 15; ++n)
        EXPECT_EQ(Button(n)->size(), QSize(97, 33)) << n;
    EXPECT_EQ(Button(6)->x(), 97);
    EXPECT_EQ(Button(11)->x(), 194);
    for (int r = 1; r <= 5; ++r)
        EXPECT_EQ(Button(r)->y(), (r - 1) * 33);
    EXPECT_EQ(m_window->size(), QSize(291, 165));
}

TEST_F(GridTest, MinimumSizeLeavesAStripUncovered)
{
    WriteSettings("[General]\nButton Rows=20\nButton Cols=20\n");
    Start();
    m_window->resize(150, 150);
    QApplication::processEvents();
    EXPECT_EQ(m_window->frameGeometry().size(), QSize(150, 150))
        << "the window, frame included, never goes below its minimum";
    EXPECT_EQ(Button(400)->geometry().right(), 20 * 7 - 1);
}

TEST_F(GridTest, PressSideFaceWithLineBreakAndIcon)
{
    WriteSettings("[Button 1]\nCaption=Intro\\nVerse\nImage Index=3\nButton Colour=#FF0000\n"
                  "Text Colour=#0000FF\n[Button 2]\nImage Index=135\n[Button 3]\nImage Index=-1\n"
                  "Caption=\n[Button 4]\nImage Index=3\nCaption=\n");
    Start();
    EXPECT_EQ(Spoken(4)->text(QAccessible::Name), "record") << "an icon alone: its name";
    EXPECT_EQ(Button(1)->Caption(), "Intro\nVerse");
    EXPECT_EQ(Spoken(1)->text(QAccessible::Name), "Intro Verse");
    EXPECT_EQ(Spoken(3)->text(QAccessible::Name), "Button 3");
    EXPECT_FALSE(Button(1)->Glyph().isNull());
    EXPECT_EQ(Button(1)->Color(), 255u);
    EXPECT_EQ(Button(1)->ColorHot(), 255u);
    EXPECT_EQ(Button(1)->FontColor(), 0xFF0000u);
    EXPECT_TRUE(Button(1)->font().bold());
    EXPECT_EQ(Button(1)->font().family(), "Arial");
    EXPECT_TRUE(Button(2)->Glyph().isNull());
    EXPECT_TRUE(Button(3)->Glyph().isNull());
    EXPECT_EQ(Button(2)->Caption(), "2");
    EXPECT_EQ(Button(2)->Color(), kColorCream);
}

TEST_F(GridTest, ModeFollowsTheAction)
{
    WriteSettings("[Button 1]\nAction=0\n[Button 2]\nAction=1\nButton Colour=#010101\n"
                  "[Button 2 Release]\nButton Colour=#020202\n"
                  "[Button 3]\nAction=2\n[Button 3 Release]\nButton Colour=#030303\n");
    Start();
    EXPECT_EQ(Button(1)->GroupIndex(), 0);
    EXPECT_EQ(Button(1)->ColorDown(), kColorCream);
    EXPECT_EQ(Button(2)->GroupIndex(), 0);
    EXPECT_EQ(Button(2)->ColorDown(), 0x020202u);
    EXPECT_EQ(Button(3)->GroupIndex(), 3);
    EXPECT_TRUE(Button(3)->AllowAllUp());
    EXPECT_EQ(Button(3)->ColorDown(), 0x030303u);
}

TEST_F(GridTest, GrowingTheGridGivesNewButtonsTheirNumbers)
{
    Start();
    m_window->ResizeCommandList(15);
    m_window->Settings().ButtonCols = 4;
    m_window->ResizeCommandList(20);
    ASSERT_EQ(m_window->CommandList()->Count(), 20);
    ASSERT_EQ(m_window->GridButtons().size(), 20u);
    EXPECT_EQ(Button(18)->Caption(), "18");
    EXPECT_TRUE(m_window->CommandList()->Get(17).Release.Caption.isEmpty());
    EXPECT_EQ(m_window->CommandList()->Get(17).Press.Output, 1);
}

TEST_F(GridTest, SameCountInAnotherArrangementIsLaidOutAtOnce)
{
    Start();
    m_window->resize(300, 200);
    m_window->ResizeCommandList(15);
    const std::vector<TQelSpeedButton*> before = m_window->GridButtons();
    m_window->Settings().ButtonRows = 3;
    m_window->Settings().ButtonCols = 5;
    m_window->ResizeCommandList(15);
    EXPECT_EQ(m_window->GridButtons(), before) << "the same buttons, not rebuilt";
    const QSize cell = Button(1)->size();
    EXPECT_EQ(Button(4)->pos(), QPoint(cell.width(), 0));
    EXPECT_EQ(Button(6)->pos(), QPoint(cell.width(), 2 * cell.height()));
}

} // namespace
