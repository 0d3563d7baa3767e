#include "MainWindowFixture.h"

#include "dialogs/About.h"
#include "dialogs/ImageChooser.h"
#include "mainwindow/TrayIcon.h"

#include <QDir>
#include <QTimer>
#include <QSystemTrayIcon>

namespace {

using StartupTest = MainWindowTest;

QByteArray GoldenDefaultFile()
{
    QFile file(QStringLiteral(KEYRILL_SOURCE_DIR "/tests/settings/golden/default.ini"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST_F(StartupTest, NoFileStartAndCloseWritesTheDefaultFile)
{
    Start();
    EXPECT_EQ(m_window->windowTitle(), "Keyrill");
    EXPECT_EQ(m_window->GridButtons().size(), 15u);
    m_window->move(0, 0);
    ASSERT_TRUE(m_window->close());
    QByteArray golden = GoldenDefaultFile();
    ASSERT_FALSE(golden.isEmpty());
    // The stored 300 x 200 is the outer size: the client area inside the frame is fitted to
    // whole buttons, so the size written back is that of the fitted window.
    const QSize outer = m_window->frameGeometry().size();
    golden.replace("Main Height=200\r\nMain Width=300\r\n",
                   QStringLiteral("Main Height=%1\r\nMain Width=%2\r\n")
                       .arg(outer.height())
                       .arg(outer.width())
                       .toUtf8());
    EXPECT_EQ(ReadSettings(), golden);
}

TEST_F(StartupTest, StepsRunInOrderObservedThroughTheSeams)
{
    // Outputs 1 and 3 name devices that do not exist: each opening reports its output. When the
    // first box shows, the settings must be loaded and the grid built and refreshed.
    WriteSettings("[General]\nCaption=Stage Left\nButton Rows=2\nButton Cols=2\nAllow Editing=0\n"
                  "[Output 1]\nMIDI Device=5\nActive=1\n[Output 3]\nMIDI Device=9\nActive=1\n"
                  "[Button 1]\nCaption=First\n");
    bool checked = false;
    m_boxes.OnShow = [&](const TFakeMessageBoxes::TBox&) {
        if (checked)
            return;
        checked = true;
        ASSERT_EQ(m_window, nullptr) << "the outputs open inside the start-up";
        TfmMain* starting = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* candidate = qobject_cast<TfmMain*>(widget))
                starting = candidate;
        ASSERT_NE(starting, nullptr);
        EXPECT_EQ(starting->windowTitle(), "Stage Left");
        ASSERT_EQ(starting->GridButtons().size(), 4u);
        EXPECT_EQ(starting->GridButtons()[0]->Caption(), "First");
        EXPECT_FALSE(starting->MenuItem("mnConfiguration")->isVisible());
    };
    Start();
    EXPECT_TRUE(checked);
    EXPECT_EQ(m_boxes.Texts(), (QStringList{
                                   "The MIDI device specified for output 1 could not be opened.",
                                   "The MIDI device specified for output 3 could not be opened."}));
    EXPECT_EQ(m_window->windowTitle(), "Stage Left");
    EXPECT_EQ(m_window->TrayIcon()->toolTip(), "Stage Left");
    EXPECT_EQ(m_window->GridButtons().size(), 4u);
    EXPECT_EQ(Button(1)->Caption(), "First");
    EXPECT_FALSE(m_window->MenuItem("mnConfiguration")->isVisible());
}

TEST_F(StartupTest, DialogsAreMadeByTheFirstCommandThatOpensOne)
{
    Start(true, false);
    ASSERT_EQ(m_window->AboutBox(), nullptr); // nothing built before the first frame
    QWidget* shown = nullptr;
    QTimer::singleShot(0, [&] {
        shown = QApplication::activeModalWidget();
        if (shown)
            shown->close();
    });
    m_window->mnAboutClick();
    ASSERT_NE(m_window->AboutBox(), nullptr);
    EXPECT_EQ(shown, m_window->AboutBox());
    // Made after the window was shown, the chooser still gets the icon set.
    EXPECT_EQ(m_window->ImageBrowser()->Viewer()->Images(), &m_window->ImageList());
}

TEST(SystemTrayIcon, WhatIsSetBeforeTheIconIsMadeIsKept)
{
    const std::unique_ptr<ITrayIcon> tray = MakeSystemTrayIcon(QIcon());
    tray->setToolTip(QStringLiteral("Keyrill"));
    EXPECT_FALSE(tray->isVisible());
    tray->setVisible(true); // the Qt icon is made here
    EXPECT_TRUE(tray->isVisible());
    EXPECT_EQ(tray->toolTip(), "Keyrill");
    tray->setToolTip(QStringLiteral("Set"));
    EXPECT_EQ(tray->toolTip(), "Set");
    tray->setVisible(false);
    EXPECT_FALSE(tray->isVisible());
}

TEST_F(StartupTest, ShutdownSavesBeforeClosingTheDevices)
{
    WriteSettings(kOutput1Active + "[General]\nCaption=Before\n");
    Start();
    Click(1);
    ASSERT_EQ(m_service.OpenCount(0), 1);
    m_window->SetCaption("After");
    bool closedAfterSave = false;
    m_service.OnCall = [&](const TFakeMidiService::TCall& call) {
        if (call.Kind != TFakeMidiService::TCallKind::Close)
            return;
        closedAfterSave = ReadSettings().contains("Caption=After\r\n") &&
                          m_window->CommandList() == nullptr;
    };
    ASSERT_TRUE(m_window->close());
    EXPECT_EQ(m_service.CloseCount(0), 1);
    EXPECT_TRUE(closedAfterSave);
}

TEST_F(StartupTest, UnwritableSettingsKeepTheWindowOpen)
{
    QDir(m_dir.path()).mkdir("gone");
    m_path = m_dir.filePath("gone/keyrill.ini");
    Start();
    QDir(m_dir.filePath("gone")).removeRecursively(); // the file's folder vanished
    EXPECT_FALSE(m_window->close());
    ASSERT_EQ(m_boxes.Boxes.size(), 1u);
    EXPECT_TRUE(m_boxes.Boxes[0].Text.startsWith("Cannot create file \"" + Path() + "\"."));
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_NE(m_window->CommandList(), nullptr);
    QDir(m_dir.path()).mkdir("gone");
    EXPECT_TRUE(m_window->close());
    EXPECT_TRUE(ReadSettings().startsWith("[Windows]\r\n"));
}

// The ways out of a save that keeps failing (the file's folder has gone): the button pressed
// (0 Retry once the folder is back, 1 Save As..., 2 Quit Without Saving) and where the set ends up.
class SaveFailureTest : public MainWindowTest,
                        public testing::WithParamInterface<std::pair<int, const char*>>
{
};

TEST_P(SaveFailureTest, TheBoxOffersAWayOutThatLosesNothingUnasked)
{
    const auto [answer, savedAs] = GetParam();
    QDir(m_dir.path()).mkdir("gone");
    m_path = m_dir.filePath("gone/keyrill.ini");
    Start();
    m_window->SetCaption("Edited");
    QDir(m_dir.filePath("gone")).removeRecursively();
    m_boxes.Answers = {answer};
    m_boxes.FileNames = {m_dir.filePath("elsewhere.ini")};
    m_boxes.OnShow = [&](const TFakeMessageBoxes::TBox&) { QDir(m_dir.path()).mkdir("gone"); };
    ASSERT_TRUE(m_window->close()) << "the shutdown went on";
    ASSERT_EQ(m_boxes.Boxes.size(), 1u);
    EXPECT_EQ(m_boxes.Boxes[0].Buttons, (QStringList{"Retry", "Save As...", "Quit Without Saving"}));
    EXPECT_EQ(m_window->SettingsPath(), m_dir.filePath(savedAs ? savedAs : "gone/keyrill.ini"));
    QFile saved(m_window->SettingsPath());
    EXPECT_EQ(saved.open(QIODevice::ReadOnly) && saved.readAll().contains("Caption=Edited\r\n"),
              savedAs != nullptr);
}

INSTANTIATE_TEST_SUITE_P(RetrySaveAsQuit, SaveFailureTest,
                         testing::Values(std::pair(0, "gone/keyrill.ini"),
                                         std::pair(1, "elsewhere.ini"), std::pair(2, nullptr)));

TEST_F(StartupTest, AFileChangedSinceTheStartIsKeptBesideTheSave)
{
    WriteSettings("[General]\nCaption=Mine\n");
    Start();
    const QByteArray edited = "[General]\nCaption=Edited by hand\n[Mine]\nKept=1\n";
    WriteSettings(edited);
    ASSERT_TRUE(m_window->close());
    QFile backup(Path() + ".bak");
    ASSERT_TRUE(backup.open(QIODevice::ReadOnly));
    EXPECT_EQ(backup.readAll(), edited);
    EXPECT_TRUE(ReadSettings().contains("Caption=Mine\r\n"));
    EXPECT_TRUE(ReadSettings().contains("[Mine]\r\nKept=1\r\n"));
}

TEST_F(StartupTest, ASecondKeyrillOnTheSameSetRefusesItAndLeavesItAlone)
{
    WriteSettings("[General]\nCaption=Mine\n");
    Start();
    TFakeMessageBoxes boxes;
    TfmMain second(TPlatform{m_midi, boxes, {Path()}, m_dir.filePath("keyrill"), QString()});
    EXPECT_TRUE(second.StartRefused());
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, AlreadyOpenText(Path()));
    ASSERT_TRUE(second.close());
    EXPECT_EQ(ReadSettings(), "[General]\nCaption=Mine\n");
    ASSERT_TRUE(m_window->close());
    EXPECT_FALSE(QFile::exists(Path() + ".bak")) << "the file did not change meanwhile";
}

TEST_F(StartupTest, UnreadableSettingsOpenAnEmptyWindowThatLeavesTheFileAlone)
{
    QDir(m_dir.path()).mkdir("keyrill.ini");
    Start();
    ASSERT_EQ(m_boxes.Boxes.size(), 1u);
    EXPECT_TRUE(m_boxes.Boxes[0].Text.startsWith("Cannot open file \"" + Path() + "\"."));
    EXPECT_TRUE(m_window->GridButtons().empty());
    EXPECT_TRUE(m_window->close());
    EXPECT_EQ(m_boxes.Boxes.size(), 1u) << "nothing was saved over the unread file";
}

TEST_F(StartupTest, ClosingWhileMaximisedKeepsTheStoredBounds)
{
    WriteSettings("[Windows]\nMain Top=40\nMain Left=30\nMain Height=250\nMain Width=330\n");
    Start();
    m_window->showMaximized();
    QApplication::processEvents();
    ASSERT_TRUE(m_window->close());
    const QByteArray saved = ReadSettings();
    EXPECT_TRUE(saved.contains("Main Top=40\r\nMain Left=30\r\nMain Height=250\r\n"
                               "Main Width=330\r\nMain Maximised=1\r\n"))
        << saved.left(200).toStdString();
}

} // namespace
