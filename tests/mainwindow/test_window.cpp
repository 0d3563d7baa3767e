#include "MainWindowFixture.h"

#include "mainwindow/window.h"
#include "platform/QtPlatform.h"
#include "support/FakeTrayIcon.h"
#include "support/FakeWindowSystem.h"

#include <QMenu>
#include <QScreen>

namespace {

// A main window on a fake tray and a fake windowing system whose pointer the test controls.
class WindowTest : public MainWindowTest
{
protected:
    TfmMain& StartWindow()
    {
        m_window = std::make_unique<TfmMain>(TPlatform{
            m_midi, m_boxes, {Path()}, m_dir.filePath("keyrill"), QString(), &m_tray, &m_system});
        m_window->CreateDialogs();
        m_window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
        Settle();
        return *m_window;
    }

    // Lets the window judge what happened to it.
    static void Settle()
    {
        for (int i = 0; i < 5; ++i)
            QApplication::processEvents();
    }

    QRect Outer() const { return m_window->frameGeometry(); }
    QRect WorkArea() const { return m_window->screen()->availableGeometry(); }

    // The user moves the frame's top-left corner (no window manager here: only the program
    // moves windows, so a plain move stands for the user's drag).
    void UserMove(QPoint to)
    {
        m_window->move(to);
        Settle();
    }

    QByteArray CloseAndRead()
    {
        EXPECT_TRUE(m_window->close());
        return ReadSettings();
    }

    TFakeTrayIcon m_tray;
    TFakeWindowSystem m_system;
};

QByteArray WindowKeys(int top, int left, int height, int width)
{
    return QStringLiteral("[Windows]\nMain Top=%1\nMain Left=%2\nMain Height=%3\nMain Width=%4\n")
        .arg(top)
        .arg(left)
        .arg(height)
        .arg(width)
        .toUtf8();
}

QByteArray SavedWindowKeys(const QRect& outer, bool maximised)
{
    return QStringLiteral("Main Top=%1\r\nMain Left=%2\r\nMain Height=%3\r\nMain Width=%4\r\n"
                          "Main Maximised=%5\r\n")
        .arg(outer.top())
        .arg(outer.left())
        .arg(outer.height())
        .arg(outer.width())
        .arg(maximised ? 1 : 0)
        .toUtf8();
}

TEST(ScreenSnap, EdgesNearerThanTheMarginLandOnTheWorkArea)
{
    const QRect work(0, 0, 1024, 768);
    const QRect belowBar(0, 30, 1024, 738); // a task bar along the top
    struct Case
    {
        QRect Work;
        QRect Frame;
        QPoint Expected;
    } cases[] = {
        {work, {6, 100, 300, 200}, {0, 100}},      // 6 px from the left: on it
        {work, {10, 100, 300, 200}, {10, 100}},    // 10 px: stays
        {work, {-9, 100, 300, 200}, {0, 100}},     // partly off the left
        {work, {100, 9, 300, 200}, {100, 0}},      // top
        {work, {718, 100, 300, 200}, {724, 100}},  // right edge 6 px short of the right
        {work, {714, 100, 300, 200}, {714, 100}},  // 10 px short: stays
        {work, {100, 559, 300, 200}, {100, 568}},  // bottom
        {work, {-3, -4, 1024, 768}, {0, 0}},       // the size of the work area
        {work, {-3, 100, 1030, 200}, {-6, 100}},   // wider: left first, then the right wins
        {work, {-20, 100, 1030, 200}, {-20, 100}}, // wider, neither edge near
        {belowBar, {50, 35, 300, 200}, {50, 30}},  // the work area's own top
        {belowBar, {50, 3, 300, 200}, {50, 3}},    // near the screen's top, not the area's
    };
    for (const Case& c : cases) {
        const QPoint snapped = SnapToWorkArea(c.Frame, c.Work);
        EXPECT_EQ(snapped, c.Expected) << "frame at " << c.Frame.x() << "," << c.Frame.y();
    }
}

// A border drag is a resize, never a move: the move lock lets it be, the screen snap leaves it
// alone, and the edge opposite the dragged one stays where the user left it.
class BorderDragTest : public WindowTest, public testing::WithParamInterface<QMargins>
{
};

TEST_P(BorderDragTest, KeepsTheOppositeEdgeWhereTheUserLeftIt)
{
    const QMargins drag = GetParam(); // how far each edge goes out; the right one to near the edge
    WriteSettings(WindowKeys(100, 200, 200, 300) + "[General]\nAllow Window Moving=0\n" +
                  "Allow Editing=" + (drag.right() ? "1" : "0") + "\n");
    StartWindow();
    const QRect before = Outer();
    QRect dragged = m_window->geometry().marginsAdded(drag);
    if (drag.right())
        dragged.setRight(WorkArea().right() - 9);
    m_window->setGeometry(dragged);
    Settle();
    const QRect after = Outer();
    EXPECT_EQ(drag.left() ? after.right() : after.left(), drag.left() ? before.right() : before.left());
    EXPECT_EQ(drag.top() ? after.bottom() : after.top(), drag.top() ? before.bottom() : before.top());
    EXPECT_NE(after.size(), before.size());
}

INSTANTIATE_TEST_SUITE_P(LeftTopWithTheLockOnAndRightToNearTheScreenEdge, BorderDragTest,
                         testing::Values(QMargins(37, 0, 0, 0), QMargins(0, 25, 0, 0),
                                         QMargins(0, 0, 1, 0)));

TEST(QtPlatform, XcbFirstUnlessTheUserChose)
{
    EXPECT_EQ(QtPlatformFor(""), "xcb;wayland");
    EXPECT_EQ(QtPlatformFor("wayland"), "wayland");
    EXPECT_EQ(QtPlatformFor("offscreen"), "offscreen");
}

TEST_F(WindowTest, BorderStyleFollowsTheSettingsBorderlessWins)
{
    struct Case
    {
        bool Borderless;
        bool Resizing;
        TBorderStyle Expected;
    } cases[] = {
        {true, true, TBorderStyle::Borderless},
        {true, false, TBorderStyle::Borderless},
        {false, true, TBorderStyle::Sizeable},
        {false, false, TBorderStyle::Single},
    };
    for (const Case& c : cases) {
        WriteSettings(QStringLiteral("[Windows]\nMain Borderless=%1\n[General]\n"
                                     "Allow Window Resizing=%2\nAllow Editing=1\n")
                          .arg(c.Borderless)
                          .arg(c.Resizing)
                          .toUtf8());
        m_system.Style.reset();
        StartWindow();
        EXPECT_EQ(m_system.Style, c.Expected);
        EXPECT_EQ(bool(m_window->windowFlags() & Qt::FramelessWindowHint), c.Borderless);
        m_window.reset();
    }
}

TEST_F(WindowTest, WindowOpensWhereItWasLeftWithItsOuterSize)
{
    WriteSettings(WindowKeys(120, 140, 200, 300));
    StartWindow();
    // The stored size is the outer one: the frame comes off it, then the client area is fitted
    // to whole buttons (3 x 5).
    const QSize frame = Outer().size() - m_window->size();
    ASSERT_FALSE(frame.isEmpty()) << "the offscreen platform draws no frame";
    const QSize client((300 - frame.width()) / 3 * 3, (200 - frame.height()) / 5 * 5);
    EXPECT_EQ(Outer(), QRect(QPoint(140, 120), client + frame));
    EXPECT_EQ(m_window->minimumSize(), QSize(150, 150) - frame);
    const QRect placed = Outer();
    EXPECT_TRUE(CloseAndRead().contains(SavedWindowKeys(placed, false)));

    // Reopened on the file just written: the same place and size.
    m_window.reset();
    StartWindow();
    EXPECT_EQ(Outer(), placed);
}

TEST_F(WindowTest, FirstSnapToWholeButtonsThenTheRoundTripIsStable)
{
    WriteSettings(WindowKeys(100, 100, 217, 311));
    StartWindow();
    const QRect first = Outer();
    EXPECT_EQ(m_window->width() % 3, 0);
    EXPECT_EQ(m_window->height() % 5, 0);
    EXPECT_EQ(first.topLeft(), QPoint(100, 100)) << "the snap of the client area moved the frame";
    CloseAndRead();
    m_window.reset();
    StartWindow();
    EXPECT_EQ(Outer(), first);
}

TEST_F(WindowTest, ScreenSnapPutsAMovedWindowOnTheEdge)
{
    WriteSettings(WindowKeys(100, 100, 200, 300));
    StartWindow();
    const QRect work = WorkArea();
    UserMove(QPoint(work.left() + 6, 150));
    EXPECT_EQ(Outer().topLeft(), QPoint(work.left(), 150));
    UserMove(QPoint(work.left() + 10, 150));
    EXPECT_EQ(Outer().topLeft(), QPoint(work.left() + 10, 150));
    const QSize size = Outer().size();
    UserMove(QPoint(work.right() + 1 - size.width() - 4, work.bottom() + 1 - size.height() - 7));
    EXPECT_EQ(
        Outer(),
        QRect(QPoint(work.right() + 1 - size.width(), work.bottom() + 1 - size.height()), size))
        << "the right and bottom edges snap, the size stays";
}

TEST_F(WindowTest, StartPositionNearTheEdgeSnaps)
{
    WriteSettings(WindowKeys(7, 8, 200, 300));
    StartWindow();
    EXPECT_EQ(Outer().topLeft(), WorkArea().topLeft());
}

TEST_F(WindowTest, MoveLockHoldsOnlyWhileMovingAndEditingAreBothOff)
{
    struct Case
    {
        bool Moving;
        bool Editing;
        bool Moves;
    } cases[] = {
        {true, true, true}, {true, false, true}, {false, true, true}, {false, false, false}};
    for (const Case& c : cases) {
        WriteSettings(WindowKeys(100, 100, 200, 300) +
                      QStringLiteral("[General]\nAllow Window Moving=%1\nAllow Editing=%2\n")
                          .arg(c.Moving)
                          .arg(c.Editing)
                          .toUtf8());
        StartWindow();
        UserMove(QPoint(200, 150));
        EXPECT_EQ(Outer().topLeft(), c.Moves ? QPoint(200, 150) : QPoint(100, 100))
            << "moving " << c.Moving << ", editing " << c.Editing;
        m_window.reset();
    }
}

TEST_F(WindowTest, BorderlessWindowCannotBeMovedByTheUser)
{
    // A window manager can still move a window without a title bar (openbox: Alt and drag).
    WriteSettings(WindowKeys(100, 100, 200, 300) + "Main Borderless=1\n");
    StartWindow();
    EXPECT_EQ(Outer(), QRect(100, 100, 300, 200)) << "no frame: outer = client";
    UserMove(QPoint(200, 150));
    EXPECT_EQ(Outer().topLeft(), QPoint(100, 100));
}

TEST_F(WindowTest, MoveLockIsReadAtEveryMoveAndWaitsForTheDragToEnd)
{
    WriteSettings(WindowKeys(100, 100, 200, 300) +
                  "[General]\nAllow Window Moving=0\nAllow Editing=0\n");
    StartWindow();
    m_system.Held = true; // the window manager is still dragging
    UserMove(QPoint(200, 150));
    EXPECT_EQ(Outer().topLeft(), QPoint(200, 150));
    m_system.Held = false;
    EXPECT_TRUE(QTest::qWaitFor([&] { return Outer().topLeft() == QPoint(100, 100); }, 2000))
        << "not put back once the drag ended";

    m_window->Settings().AllowWindowMoving = true; // the Configuration dialog's Apply
    UserMove(QPoint(200, 150));
    EXPECT_EQ(Outer().topLeft(), QPoint(200, 150));
}

TEST_F(WindowTest, LockedWindowStillMaximisesAndRestores)
{
    WriteSettings(WindowKeys(100, 100, 200, 300) +
                  "[General]\nAllow Window Moving=0\nAllow Editing=0\n");
    StartWindow();
    const QRect before = Outer();
    m_window->showMaximized();
    Settle();
    EXPECT_TRUE(m_window->isMaximized());
    EXPECT_GT(m_window->width(), 300);
    m_window->showNormal();
    Settle();
    EXPECT_EQ(Outer(), before);
}

TEST_F(WindowTest, SingleBorderUndoesAResizeButMaximises)
{
    WriteSettings(WindowKeys(100, 100, 200, 300) + "[General]\nAllow Window Resizing=0\n");
    StartWindow();
    const QRect before = Outer();
    m_window->resize(450, 400); // a border drag
    Settle();
    EXPECT_EQ(Outer(), before);
    m_window->showMaximized();
    Settle();
    EXPECT_TRUE(m_window->isMaximized());
    EXPECT_GT(m_window->width(), 450);
    m_window->showNormal();
    Settle();
    EXPECT_EQ(Outer(), before);
}

TEST_F(WindowTest, SizeableBorderKeepsTheUsersSizeInWholeButtons)
{
    WriteSettings(WindowKeys(100, 100, 200, 300));
    StartWindow();
    m_window->resize(451, 403);
    Settle();
    EXPECT_EQ(m_window->size(), QSize(450, 400));
    EXPECT_EQ(Outer().topLeft(), QPoint(100, 100));
}

TEST_F(WindowTest, MaximisedAtStartStaysMaximisedAndKeepsTheStoredSize)
{
    WriteSettings(WindowKeys(40, 30, 200, 300) + "Main Maximised=1\n");
    StartWindow();
    EXPECT_TRUE(m_window->isMaximized());
    const QSize client = m_window->size();
    EXPECT_GT(client.width(), 300);
    // The buttons cover the client area without the window being resized to whole buttons.
    EXPECT_EQ(Button(15)->geometry().right() / (client.width() / 3), 2);
    const QByteArray saved = CloseAndRead();
    EXPECT_TRUE(saved.contains(SavedWindowKeys(QRect(30, 40, 300, 200), true)))
        << saved.left(120).toStdString();
}

TEST_F(WindowTest, MinimiseHidesIntoTheTrayAndDoubleClickRestores)
{
    WriteSettings(WindowKeys(100, 100, 200, 300) +
                  "[General]\nCaption=Stage Left\nMinimise To Tray=1\n");
    StartWindow();
    EXPECT_FALSE(m_tray.Visible) << "the icon is there only while the window is hidden";
    EXPECT_EQ(m_tray.ToolTip, "Stage Left");
    const QRect before = Outer();
    m_window->showMinimized();
    Settle();
    EXPECT_TRUE(m_window->isHidden());
    EXPECT_TRUE(m_window->HiddenInTray());
    EXPECT_TRUE(m_tray.Visible);
    m_tray.DoubleClick();
    Settle();
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_FALSE(m_window->isMinimized());
    EXPECT_FALSE(m_tray.Visible);
    EXPECT_EQ(Outer(), before);
}

TEST_F(WindowTest, TrayMenuShowRestoresMaximised)
{
    WriteSettings("[General]\nMinimise To Tray=1\n");
    StartWindow();
    ASSERT_EQ(m_tray.Menu, m_window->TrayPopupMenu());
    QStringList items;
    for (QAction* action : m_tray.Menu->actions())
        items << action->objectName() + "=" + action->text();
    EXPECT_EQ(items, (QStringList{"mnTrayShow=Show", "mnTrayPanic=Panic", "mnTrayExit=Exit"}));
    m_window->showMaximized();
    Settle();
    m_window->showMinimized();
    Settle();
    ASSERT_TRUE(m_window->HiddenInTray());
    m_tray.Menu->actions()[0]->trigger();
    Settle();
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_TRUE(m_window->isMaximized());
    EXPECT_FALSE(m_tray.Visible);
}

TEST_F(WindowTest, BackFromTheTrayInTheStateItHadNotTheOneItStartedIn)
{
    WriteSettings(WindowKeys(100, 100, 200, 300) + "Main Maximised=1\n[General]\n"
                                                   "Minimise To Tray=1\n");
    StartWindow();
    ASSERT_TRUE(m_window->isMaximized());
    m_window->showNormal();
    Settle();
    const QRect normal = Outer();
    m_window->showMinimized();
    Settle();
    ASSERT_TRUE(m_window->HiddenInTray());
    m_tray.DoubleClick();
    Settle();
    EXPECT_FALSE(m_window->isMaximized());
    EXPECT_EQ(Outer(), normal);
}

TEST_F(WindowTest, ExitFromTheTraySavesTheBoundsBeforeHiding)
{
    WriteSettings(WindowKeys(100, 100, 200, 300) + "[General]\nMinimise To Tray=1\n");
    StartWindow();
    UserMove(QPoint(220, 180));
    const QRect before = Outer();
    m_window->showMinimized();
    Settle();
    ASSERT_TRUE(m_window->HiddenInTray());
    m_tray.Menu->actions().last()->trigger(); // Exit
    EXPECT_EQ(m_window->CommandList(), nullptr) << "the shutdown ran";
    EXPECT_FALSE(m_tray.Visible);
    EXPECT_TRUE(ReadSettings().contains(SavedWindowKeys(before, false)))
        << ReadSettings().left(120).toStdString();
}

TEST_F(WindowTest, ExitFromTheTrayAfterMaximisedWritesMaximised)
{
    WriteSettings(WindowKeys(40, 30, 200, 300) + "[General]\nMinimise To Tray=1\n");
    StartWindow();
    m_window->showMaximized();
    Settle();
    m_window->showMinimized();
    Settle();
    ASSERT_TRUE(m_window->HiddenInTray());
    m_window->mnTrayExitClick();
    EXPECT_TRUE(ReadSettings().contains(SavedWindowKeys(QRect(30, 40, 300, 200), true)));
}

TEST_F(WindowTest, WithoutANotificationAreaMinimiseIsOrdinary)
{
    WriteSettings("[General]\nMinimise To Tray=1\n");
    m_tray.Available = false;
    StartWindow();
    m_window->showMinimized();
    Settle();
    EXPECT_FALSE(m_window->isHidden()) << "hidden with no icon to bring it back";
    EXPECT_TRUE(m_window->isMinimized());
    EXPECT_FALSE(m_window->HiddenInTray());
    EXPECT_FALSE(m_tray.Visible);
}

TEST_F(WindowTest, TrayInactiveAfterApplyMinimisesTheOrdinaryWay)
{
    WriteSettings("[General]\nMinimise To Tray=1\n");
    StartWindow();
    EXPECT_TRUE(m_window->TrayIconActive());
    m_window->SetTrayIconActive(false);
    m_window->showMinimized();
    Settle();
    EXPECT_FALSE(m_window->isHidden());
    EXPECT_FALSE(m_tray.Visible);
    EXPECT_TRUE(CloseAndRead().contains("Minimise To Tray=0\r\n"));
}

TEST_F(WindowTest, TrayToolTipFollowsTheTitle)
{
    StartWindow();
    m_window->setWindowTitle("Second Set");
    EXPECT_EQ(m_tray.ToolTip, "Second Set");
}

} // namespace
