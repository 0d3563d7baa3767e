#include "DialogFixture.h"

#include <QScrollBar>

namespace {

class ChooserTest : public testing::Test
{
protected:
    ChooserTest() { m_chooser.SetImageList(&Icons()); }

    // Shows the chooser modally and runs `act` inside its loop; returns the result.
    int Run(const std::function<void()>& act)
    {
        QTimer::singleShot(0, &m_chooser, [&] {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(&m_chooser));
            act();
            if (m_chooser.isVisible()) {
                ADD_FAILURE() << "the chooser is still open";
                m_chooser.reject();
            }
        });
        return m_chooser.exec();
    }

    QPoint CellCentre(int index) const
    {
        return m_chooser.Viewer()->visualItemRect(m_chooser.Viewer()->item(index)).center();
    }

    QApplication& m_application = TestApplication(); // before any widget
    TfmImageBrowser m_chooser;
};

TEST_F(ChooserTest, ShowsEveryIconInTwentyPixelCellsFromTheLeft)
{
    Run([&] {
        TImageListViewer* viewer = m_chooser.Viewer();
        EXPECT_EQ(m_chooser.windowTitle(), "Select Button Icon");
        EXPECT_EQ(m_chooser.frameGeometry().size(), TfmImageBrowser::kInitialSize);
        EXPECT_EQ(viewer->count(), 135);
        EXPECT_EQ(QApplication::focusWidget(), viewer);
        const QRect first = viewer->visualItemRect(viewer->item(0));
        const QRect second = viewer->visualItemRect(viewer->item(1));
        EXPECT_EQ(first.topLeft(), QPoint(0, 0));
        EXPECT_EQ(first.size(), QSize(20, 20));
        EXPECT_EQ(second.topLeft(), QPoint(20, 0));
        int perRow = 1;
        while (viewer->visualItemRect(viewer->item(perRow)).top() == 0)
            ++perRow;
        EXPECT_EQ(viewer->visualItemRect(viewer->item(perRow)).topLeft(), QPoint(0, 20));
        EXPECT_GE(perRow, viewer->viewport()->width() / 20 - 1) << "rows fill the width";
        EXPECT_EQ(viewer->verticalScrollBar()->isVisible(),
                  (135 + perRow - 1) / perRow * 20 > viewer->viewport()->height());
        m_chooser.reject();
    });
}

TEST_F(ChooserTest, NothingSelectedAndEnterGivesOkWithMinusOne)
{
    m_chooser.SetSelectedIndex(-1);
    const int result = Run([&] {
        EXPECT_EQ(m_chooser.SelectedIndex(), -1);
        QTest::keyPress(m_chooser.Viewer(), Qt::Key_Return);
        EXPECT_TRUE(m_chooser.isVisible()) << "keys act on release";
        QTest::keyRelease(m_chooser.Viewer(), Qt::Key_Return);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(m_chooser.SelectedIndex(), -1);
}

TEST_F(ChooserTest, StartsOnTheGivenIconAndEscapeCancels)
{
    m_chooser.SetSelectedIndex(7);
    const int result = Run([&] {
        EXPECT_EQ(m_chooser.SelectedIndex(), 7);
        EXPECT_TRUE(m_chooser.Viewer()->item(7)->isSelected());
        QTest::keyPress(m_chooser.Viewer(), Qt::Key_Escape);
        EXPECT_TRUE(m_chooser.isVisible()) << "keys act on release";
        QTest::keyRelease(m_chooser.Viewer(), Qt::Key_Escape, Qt::ShiftModifier);
    });
    EXPECT_EQ(result, QDialog::Rejected);
}

TEST_F(ChooserTest, ArrowKeysAndClicksOnlySelect)
{
    m_chooser.SetSelectedIndex(7);
    Run([&] {
        QTest::keyClick(m_chooser.Viewer(), Qt::Key_Right);
        EXPECT_EQ(m_chooser.SelectedIndex(), 8);
        QTest::mouseClick(m_chooser.Viewer()->viewport(), Qt::LeftButton, {}, CellCentre(3));
        EXPECT_EQ(m_chooser.SelectedIndex(), 3);
        EXPECT_TRUE(m_chooser.isVisible());
        m_chooser.accept();
    });
}

TEST_F(ChooserTest, DoubleClickOnAnIconIsOkWithIt)
{
    const int result = Run([&] {
        QTest::mouseDClick(m_chooser.Viewer()->viewport(), Qt::LeftButton, {}, CellCentre(12));
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(m_chooser.SelectedIndex(), 12);
}

TEST_F(ChooserTest, CloseBoxIsCancel)
{
    m_chooser.SetSelectedIndex(4);
    EXPECT_EQ(Run([&] { m_chooser.close(); }), QDialog::Rejected);
}

TEST_F(ChooserTest, AKeyReleaseWhosePressWentElsewhereChoosesNothing)
{
    Run([&] {
        QTest::keyRelease(m_chooser.Viewer(), Qt::Key_Return);
        QTest::keyRelease(m_chooser.Viewer(), Qt::Key_Escape);
        EXPECT_TRUE(m_chooser.isVisible());
        m_chooser.reject();
    });
}

TEST_F(ChooserTest, ANewSizeStaysForTheNextUseAtTheGivenPosition)
{
    Run([&] {
        m_chooser.resize(200, 150);
        m_chooser.reject();
    });
    m_chooser.move(40, 50);
    Run([&] {
        EXPECT_EQ(m_chooser.size(), QSize(200, 150));
        EXPECT_EQ(m_chooser.pos(), QPoint(40, 50));
        m_chooser.reject();
    });
}

} // namespace
