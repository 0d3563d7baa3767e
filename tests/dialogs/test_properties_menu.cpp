// The Properties dialog as the context menu opens it on the main window.
#include "mainwindow/MainWindowFixture.h"

#include "dialogs/ImageChooser.h"
#include "dialogs/configuration.h"
#include "dialogs/properties.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include <functional>
#include <map>

namespace {

class PropertiesMenuTest : public MainWindowTest
{
protected:
    // Right-clicks a button, chooses "Button Properties" and runs `act` in the dialog's loop.
    void EditButton(int number, const std::function<void(TfmProperties&)>& act)
    {
        Press(number, Qt::RightButton);
        Release(number, Qt::RightButton);
        ASSERT_TRUE(m_window->PopupMenu()->isVisible());
        TfmProperties* dialog = m_window->Properties();
        ASSERT_NE(dialog, nullptr);
        bool ran = false;
        QTimer::singleShot(0, dialog, [&] {
            ran = true;
            EXPECT_TRUE(dialog->isVisible());
            act(*dialog);
            if (dialog->isVisible()) {
                ADD_FAILURE() << "the dialog is still open";
                dialog->reject();
            }
        });
        m_window->MenuItem("ButtonProperties1")->trigger();
        m_window->PopupMenu()->close();
        EXPECT_TRUE(ran);
    }
    static void SetCaption(TfmProperties& dialog, const QString& text)
    {
        dialog.findChild<QLineEdit*>("edPressCaption")->setText(text);
    }
};

TEST_F(PropertiesMenuTest, EveryEditUndoesAndRedoesAsOneStepAndANewEditDropsTheRedo)
{
    const auto menu = [&](int number, const char* item) {
        Press(number, Qt::RightButton);
        Release(number, Qt::RightButton);
        m_window->MenuItem(item)->trigger();
        m_window->PopupMenu()->close();
    };
    const std::map<char, std::function<void()>> ops = {
        {'x', [&] { menu(2, "ButtonCut1"); }},
        {'v', [&] { menu(1, "ButtonCopy1"), menu(3, "ButtonPaste1"); }},
        {'e', [&] { EditButton(1, [](TfmProperties& dialog) {
             SetCaption(dialog, "E");
             dialog.findChild<QPushButton*>("btnOK")->click();
         }); }},
        {'g', [&] { // a Configuration Apply that drops buttons 3 and 4
             TfmConfiguration& dialog = *m_window->Configuration();
             dialog.show();
             dialog.findChild<QSpinBox*>("edButtonRows")->setValue(1);
             dialog.findChild<QAbstractButton*>("BtApply")->click();
             dialog.hide();
         }},
        {'u', [&] { menu(1, "mnUndo"); }},
        {'z', [&] { QTest::keySequence(m_window.get(), QKeySequence("Ctrl+Z")); }},
        {'r', [&] { QTest::keySequence(m_window.get(), QKeySequence("Ctrl+Y")); }},
        {'R', [&] { QTest::keySequence(m_window.get(), QKeySequence("Ctrl+Shift+Z")); }},
    };
    struct Case
    {
        const char *steps, *captions, *undo, *redo;
    } cases[] = {{"xu", "A B C D", "Undo", "Redo Button Cut"},
                 {"xur", "A  C D", "Undo Button Cut", "Redo"},
                 {"vzR", "A B A D", "Undo Button Paste", "Redo"},
                 {"ez", "A B C D", "Undo", "Redo Button Properties"},
                 {"gzr", "A B", "Undo Configuration", "Redo"},
                 {"xuv", "A B A D", "Undo Button Paste", "Redo"},
                 {"xvzz", "A B C D", "Undo", "Redo Button Cut"},
                 {"gz", "A B C D", "Undo", "Redo Configuration"}};
    for (const Case& c : cases) {
        WriteSettings("[General]\nButton Rows=2\nButton Cols=2\n[Button 1]\nCaption=A\n"
                      "[Button 2]\nCaption=B\n[Button 3]\nCaption=C\n[Button 4]\nCaption=D\n");
        Start();
        for (const char* step = c.steps; *step; ++step)
            ops.at(*step)();
        QStringList captions;
        const int shown = m_window->Settings().ButtonRows * m_window->Settings().ButtonCols;
        for (int i = 0; i < shown; ++i)
            captions << m_window->CommandList()->Get(i).Press.Caption;
        EXPECT_EQ(captions.join(' ').toStdString(), c.captions) << c.steps;
        EXPECT_EQ(m_window->MenuItem("mnUndo")->text().toStdString(), c.undo) << c.steps;
        EXPECT_EQ(m_window->MenuItem("mnRedo")->text().toStdString(), c.redo) << c.steps;
    }
    m_window->close(); // the last Apply undone is saved as it was before: two rows, buttons 3, 4
    EXPECT_TRUE(ReadSettings().contains("Button Rows=2\r\n")) << ReadSettings().toStdString();
    EXPECT_TRUE(ReadSettings().contains("[Button 4]\r\nAction=0\r\nHotKey=\r\nCaption=D\r\n"));
}

TEST_F(PropertiesMenuTest, OpensAtTheRightClickedButtonsCorner)
{
    Start();
    for (int number : {1, 6, 14}) {
        EditButton(number, [&](TfmProperties& dialog) {
            EXPECT_EQ(dialog.pos(), Button(number)->mapToGlobal(QPoint(0, 0))) << number;
            EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Button %1 Properties").arg(number));
            dialog.reject();
        });
    }
}

TEST_F(PropertiesMenuTest, OkAssignsTheEditAndRefreshesEveryFace)
{
    WriteSettings("[Button 2]\nCaption=Tog\nAction=2\n[Button 2 Release]\nCaption=On\n");
    Start();
    Click(2);
    ASSERT_TRUE(Button(2)->Down());
    ASSERT_EQ(Button(2)->Caption(), "On");
    EditButton(5, [&](TfmProperties& dialog) {
        SetCaption(dialog, "Snare\\nHit");
        dialog.findChild<QPushButton*>("btnOK")->click();
    });
    EXPECT_EQ(m_window->CommandList()->Get(4).Press.Caption, "Snare\\nHit");
    EXPECT_EQ(Button(5)->Caption(), "Snare\nHit");
    EXPECT_FALSE(Button(2)->Down()) << "every face is refreshed";
    EXPECT_EQ(Button(2)->Caption(), "Tog");
}

TEST_F(PropertiesMenuTest, CancelAndEscapeChangeNothingAndRefreshNothing)
{
    WriteSettings("[Button 2]\nCaption=Tog\nAction=2\n[Button 2 Release]\nCaption=On\n");
    Start();
    Click(2);
    const TCommandSet before = m_window->CommandList()->Get(0);
    const std::vector<std::function<void(TfmProperties&)>> cancels = {
        [](TfmProperties& d) { d.findChild<QPushButton*>("btCancel")->click(); },
        [](TfmProperties& d) {
            QTest::keyClick(d.findChild<QComboBox*>("edButtonAction"), Qt::Key_Escape);
        },
        [](TfmProperties& d) { d.close(); },
    };
    for (const auto& cancel : cancels) {
        EditButton(1, [&](TfmProperties& dialog) {
            SetCaption(dialog, "Changed");
            cancel(dialog);
        });
        EXPECT_EQ(m_window->Properties()->EditSet().Press.Caption, "Changed");
        EXPECT_TRUE(m_window->CommandList()->Get(0).SameDefinition(before));
        EXPECT_TRUE(Button(2)->Down()) << "nothing was refreshed";
    }
}

TEST_F(PropertiesMenuTest, ExampleSendsThroughTheOutputSlots)
{
    WriteSettings(kOutput1Active + "[Button 1]\nMessage=1\nNote=60\nVelocity=100\n"
                                   "[Button 3]\nMessage=1\nNote=62\nOutput=2\n");
    Start();
    for (int number : {1, 3}) {
        EditButton(number, [&](TfmProperties& dialog) {
            auto* example = dialog.findChild<TAdvToolButton*>("btExample");
            QTest::mouseClick(example, Qt::LeftButton, {}, QPoint(10, 10));
            dialog.reject();
        });
    }
    EXPECT_EQ(Sent(), (QStringList{"90 3C 64"})) << "output 2 is not active";
}

TEST_F(PropertiesMenuTest, TheChooserGetsTheIconsWhenTheWindowIsShown)
{
    Start(false);
    EXPECT_EQ(m_window->ImageBrowser()->Viewer()->count(), 0);
    m_window->show();
    EXPECT_EQ(m_window->ImageBrowser()->Viewer()->count(), m_window->ImageList().Count());
}

} // namespace
