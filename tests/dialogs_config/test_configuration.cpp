#include "ConfigurationFixture.h"

#include "dialogs/BoundedSpinBox.h"
#include "dialogs/ImageChooser.h"
#include "dialogs/properties.h"
#include "remote/RemoteServer.h"

#include <QAccessible>
#include <QCheckBox>
#include <QLineEdit>
#include <QRegularExpression>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTcpServer>
#include <QTimer>

#include <functional>

namespace {

using ConfigurationDialog = ConfigurationTest;

TEST_F(ConfigurationDialog, OpensOnGeneralWithApplyDisabledAfterBeingLeftOnAnotherPage)
{
    Start();
    Open();
    Control<QListWidget>("PageList")->setCurrentRow(3);
    EXPECT_EQ(ShownPage(), "tsOutput2");
    Control<QCheckBox>("cbOutputActive2")->click();
    EXPECT_TRUE(ApplyEnabled());
    Close();
    EXPECT_FALSE(Dialog().isVisible());

    Open();
    EXPECT_EQ(Control<QListWidget>("PageList")->currentRow(), 0);
    EXPECT_EQ(ShownPage(), "tsGeneral");
    EXPECT_FALSE(ApplyEnabled());
    EXPECT_EQ(Dialog().focusWidget(), Control("PageList"));
}

TEST_F(ConfigurationDialog, PagesFollowTheListInItsOrder)
{
    Start();
    Open();
    auto* list = Control<QListWidget>("PageList");
    QStringList items, pages;
    for (int row = 0; row < list->count(); ++row) {
        items << list->item(row)->text();
        list->setCurrentRow(row);
        pages << ShownPage();
    }
    EXPECT_EQ(items, (QStringList{"General", "Appearance", "Output1", "Output2", "Output3",
                                  "Output4", "Input", "Remote"}));
    EXPECT_EQ(pages, (QStringList{"tsGeneral", "tsAppearance", "tsOutput1", "tsOutput2",
                                  "tsOutput3", "tsOutput4", "tsInput", "tsRemote"}));
}

TEST_F(ConfigurationDialog, EveryInputControlEnablesApplyAndApplyDisablesIt)
{
    const auto step = [](QWidget* w) { static_cast<QSpinBox*>(w)->stepUp(); };
    const auto type = [](QWidget* w) { static_cast<QLineEdit*>(w)->insert("x"); };
    const auto choose = [](int index) {
        return [index](QWidget* w) { static_cast<QComboBox*>(w)->setCurrentIndex(index); };
    };
    const std::vector<std::pair<const char*, std::function<void(QWidget*)>>> changes{
        {"edButtonRows", step},         {"edButtonCols", step},
        {"edMainCaption", type},        {"edFontName", choose(0)},
        {"edFontSize", step},           {"edBorderHighlightColour", choose(3)},
        {"btnButtonLayout", choose(2)}, {"edPortNo3", choose(-1)},
    };
    Start();
    for (const auto& [name, change] : changes) {
        Open();
        ASSERT_FALSE(ApplyEnabled()) << name;
        change(Control(name));
        EXPECT_TRUE(ApplyEnabled()) << name;
        Apply();
        EXPECT_FALSE(ApplyEnabled()) << name;
        Close();
    }
    for (QCheckBox* box : Dialog().findChildren<QCheckBox*>()) {
        Open();
        box->click();
        EXPECT_TRUE(ApplyEnabled()) << box->objectName().toStdString();
        Apply();
        EXPECT_FALSE(ApplyEnabled());
        Close();
    }
}

TEST_F(ConfigurationDialog, ShowsTheLiveValues)
{
    WriteSettings("[General]\nButton Rows=7\nButton Cols=2\nFont Size=12\nButton Layout=3\n"
                  "Caption=Stage Left\nAllow Window Moving=0\nSave Window Size=0\n"
                  "Minimise To Tray=1\nButton Border Highlight Colour=#00FF00\n"
                  "[Windows]\nMain Borderless=1\n"
                  "[Output 2]\nMIDI Device=1\nActive=1\n[Output 3]\nMIDI Device=5\n");
    m_service.DeviceNames = {"Synth A", "Synth B"};
    Start();
    Open();
    EXPECT_EQ(Control<QLineEdit>("edMainCaption")->text(), "Stage Left");
    EXPECT_EQ(Control<QSpinBox>("edButtonRows")->value(), 7);
    EXPECT_EQ(Control<QSpinBox>("edButtonCols")->value(), 2);
    EXPECT_FALSE(Control<QCheckBox>("cbAllowWindowMoving")->isChecked());
    EXPECT_TRUE(Control<QCheckBox>("cbAllowWindowResizing")->isChecked());
    EXPECT_FALSE(Control<QCheckBox>("cbSaveWindowSize")->isChecked());
    EXPECT_TRUE(Control<QCheckBox>("cbMinimiseToTray")->isChecked());
    EXPECT_TRUE(Control<QCheckBox>("cbBorderlessWindow")->isChecked());
    EXPECT_EQ(Control<QSpinBox>("edFontSize")->value(), 12);
    EXPECT_EQ(Control<QComboBox>("edBorderHighlightColour")->currentText(), "Lime");
    EXPECT_EQ(Control<QComboBox>("btnButtonLayout")->currentText(), "Icon Bottom");
    auto* port2 = Control<QComboBox>("edPortNo2");
    ASSERT_EQ(port2->count(), 2);
    EXPECT_EQ(port2->itemText(0), "Synth A");
    EXPECT_EQ(port2->currentText(), "Synth B");
    EXPECT_TRUE(Control<QCheckBox>("cbOutputActive2")->isChecked());
    EXPECT_EQ(Control<QComboBox>("edPortNo1")->currentIndex(), 0);  // default device 0
    EXPECT_EQ(Control<QComboBox>("edPortNo3")->currentIndex(), -1); // beyond the list
    EXPECT_FALSE(Control<QCheckBox>("cbOutputActive3")->isChecked());
}

TEST_F(ConfigurationDialog, HintsOnlyWhereTheyBelong)
{
    Start();
    QStringList hinted;
    for (QWidget* control : Dialog().findChildren<QWidget*>())
        if (!control->toolTip().isEmpty())
            hinted << control->objectName() + ": " + control->toolTip();
    hinted.sort();
    EXPECT_EQ(hinted, (QStringList{"cbAllowWindowMoving: Overriden by Allow Editing",
                                   "cbAllowWindowResizing: Overriden by Allow Editing",
                                   "cbBorderlessWindow: Requires program re-start",
                                   "cbGlobalHotKeys: Hot keys play while other programs have "
                                   "the keyboard",
                                   "cbSaveWindowPosition: Overriden by Allow Editing",
                                   "cbSaveWindowSize: Overriden by Allow Editing"}));
    m_fakeGlobalKeys.UnavailableText = "No way here";
    Open();
    EXPECT_FALSE(Control<QCheckBox>("cbGlobalHotKeys")->isEnabled());
    EXPECT_EQ(Control<QCheckBox>("cbGlobalHotKeys")->toolTip(), "No way here");
}

TEST_F(ConfigurationDialog, FirstApplyTrimsTheListThenSameProductKeepsTheButtonsInTheNewPlaces)
{
    Start();
    ASSERT_EQ(m_window->CommandList()->Count(), 400);
    Open();
    Control<QLineEdit>("edMainCaption")->insert("!");
    Apply();
    EXPECT_EQ(m_window->CommandList()->Count(), 15);

    const std::vector<TQelSpeedButton*> before = m_window->GridButtons();
    SetGrid(3, 5);
    Apply();
    EXPECT_EQ(m_window->Settings().ButtonRows, 3);
    EXPECT_EQ(m_window->Settings().ButtonCols, 5);
    EXPECT_EQ(m_window->GridButtons(), before);
    EXPECT_EQ(Button(4)->geometry().topLeft(), QPoint(Button(1)->width(), 0)) << "3 rows now";
}

// The list holds the 400 definitions read at start: the first Apply to 20 x 20 keeps them all,
// and the grid still gets its 400 buttons.
TEST_F(ConfigurationDialog, FirstApplyToTheFullGridBuildsEveryButton)
{
    Start();
    Open();
    SetGrid(20, 20);
    Apply();
    EXPECT_EQ(m_window->CommandList()->Count(), 400);
    ASSERT_EQ(m_window->GridButtons().size(), 400u);
    EXPECT_EQ(Button(21)->geometry().topLeft(), QPoint(Button(1)->width(), 0));
}

TEST_F(ConfigurationDialog, EnterInAFieldAppliesNothing)
{
    Start();
    Open();
    for (const char* name : {"edMainCaption", "edButtonRows"}) {
        QTest::keyClicks(Control(name), "9");
        QTest::keyClick(Control(name), Qt::Key_Return);
        EXPECT_TRUE(Dialog().isVisible() && ApplyEnabled()) << name << ": applied by Enter";
    }
    EXPECT_EQ(m_window->Settings().ButtonRows, 5);
}

// Tool windows with only a close box, kept on the screen: centred over a window in the corner.
TEST_F(ConfigurationDialog, TheDialogsAreReachableToolWindowsWithOnlyACloseBox)
{
    WriteSettings("[Windows]\nMain Top=0\nMain Left=0\nMain Height=150\nMain Width=150\n");
    Start();
    for (const QWidget* dialog : std::initializer_list<const QWidget*>{
             m_window->Properties(), m_window->ImageBrowser(), &Dialog(), m_window->AboutBox()})
        EXPECT_EQ(dialog->windowFlags() & (Qt::WindowType_Mask | Qt::CustomizeWindowHint |
                                           Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
                  Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint)
            << dialog->metaObject()->className();
    Open();
    EXPECT_TRUE(m_window->screen()->availableGeometry().contains(Dialog().frameGeometry()));
}

TEST_F(ConfigurationDialog, GrowingTheGridAddsNumberedButtons)
{
    WriteSettings("[Button 3]\nCaption=Kick\n");
    Start();
    Open();
    Control<QLineEdit>("edMainCaption")->insert("!");
    Apply(); // trims the 400 definitions read at start to 15
    SetGrid(4, 4);
    Apply();
    ASSERT_EQ(m_window->GridButtons().size(), 16u);
    EXPECT_EQ(m_window->CommandList()->Count(), 16);
    EXPECT_EQ(Button(16)->Caption(), "16");
    EXPECT_EQ(m_window->CommandList()->Get(15).Release.Caption, "");
    EXPECT_EQ(Button(3)->Caption(), "Kick");
    // Column by column: button 5 heads the second column of four rows.
    EXPECT_EQ(Button(5)->geometry().topLeft(), QPoint(Button(1)->width(), 0));
}

// A user who only changes a check box while the MIDI service has no devices loses no assignment:
// an index, the virtual output's -2 and a named device all survive Apply.
TEST_F(ConfigurationDialog, WithNoDevicesApplyKeepsEveryStoredDevice)
{
    m_service.DeviceNames.clear();
    WriteSettings("[Output 1]\nMIDI Device=0\nActive=1\n[Output 3]\nMIDI Device=1\n"
                  "MIDI Device Name=Drums\n[Output 4]\nMIDI Device=-2\n");
    Start();
    Open();
    for (const char* box : {"edPortNo1", "edPortNo2", "edPortNo4"})
        EXPECT_EQ(Control<QComboBox>(box)->count(), 0) << box;
    EXPECT_EQ(Control<QComboBox>("edPortNo3")->currentText(), "Drums (not connected)");
    Control<QCheckBox>("cbShowOutputErrors")->click();
    Apply();
    const std::array<int, 4> kept{0, 0, 1, kStoredVirtualOutput};
    for (int n = 1; n <= 4; ++n)
        EXPECT_EQ(m_window->Outputs().Slot(n)->DeviceIndex, kept[std::size_t(n - 1)]) << n;
    EXPECT_EQ(m_window->Outputs().Slot(3)->DeviceName, "Drums");
    EXPECT_TRUE(m_window->Outputs().Slot(1)->Active);
}

TEST_F(ConfigurationDialog, AFailingDeviceListLeavesTheBoxesEmptyWithoutABox)
{
    m_service.FailEnumeration = "The MIDI service is not running";
    Start();
    m_boxes.Boxes.clear();
    Open();
    EXPECT_EQ(Control<QComboBox>("edPortNo1")->count(), 0);
    EXPECT_TRUE(m_boxes.Boxes.empty());
}

TEST_F(ConfigurationDialog, OutputsAreUsedFromTheNextMessage)
{
    m_service.DeviceNames = {"Synth A", "Synth B"};
    WriteSettings("[Button 1]\nMessage=1\nNote=60\nVelocity=100\nOutput=2\n");
    Start();
    Click(1);
    EXPECT_TRUE(m_service.Sent().empty()); // output 2 is off
    Open();
    Control<QComboBox>("edPortNo2")->setCurrentIndex(1);
    Control<QCheckBox>("cbOutputActive2")->click();
    Apply();
    Close();
    EXPECT_FALSE(m_service.IsOpen(1)); // Apply opens nothing
    Click(1);
    ASSERT_EQ(m_service.Sent().size(), 1u);
    EXPECT_EQ(m_service.Sent()[0].Device, 1);
}

// The input is opened, switched and closed by Apply, as the user chose it, and saved so.
TEST_F(ConfigurationDialog, TheInputPageOpensSwitchesAndClosesTheInputAndIsSaved)
{
    m_service.InputNames = {"Desk A", "Desk B"};
    m_service.VirtualPorts = true;
    Start();
    EXPECT_TRUE(m_service.OpenInputs().empty()) << "no input section: no input";
    Open();
    auto* inputs = Control<QComboBox>("edInputPort");
    EXPECT_EQ(inputs->itemText(2), "Keyrill (virtual input)");
    const auto apply = [&](int item, bool active) {
        inputs->setCurrentIndex(item);
        Control<QCheckBox>("cbInputActive")->setChecked(active);
        Control<QLineEdit>("edMainCaption")->insert("!");
        Apply();
        return m_service.OpenInputs();
    };
    EXPECT_EQ(apply(1, true), std::vector<int>{1});
    EXPECT_EQ(apply(2, true), std::vector<int>{TFakeMidiService::kPortDevice});
    EXPECT_EQ(apply(2, false), std::vector<int>{});
    m_service.FailOpenInput = "Busy";
    EXPECT_EQ(apply(0, true), std::vector<int>{});
    EXPECT_EQ(m_boxes.Texts().last(),
              "The MIDI device specified for the input could not be opened.");
    m_service.FailOpenInput.reset();
    EXPECT_EQ(apply(1, true), std::vector<int>{1});
    Close();
    m_window->close();
    EXPECT_TRUE(
        ReadSettings().contains("\r\n[Input]\r\nMIDI Device=1\r\nMIDI Device Name=Desk B\r\n"
                                "Active=1\r\n"));
}

TEST_F(ConfigurationDialog, TheRemotePageListensAtOnceReportsABusyPortAndKeepsANewToken)
{
    QTcpServer holder; // another program on the port
    ASSERT_TRUE(holder.listen(QHostAddress::Any, 0));
    const int busy = holder.serverPort();
    Start();
    Open();
    const TRemoteServer& remote = m_window->Remote();
    const auto apply = [&](bool active, int port) {
        Control<QCheckBox>("cbRemoteActive")->setChecked(active);
        SetNumber("edRemotePort", port);
        Control<QLineEdit>("edMainCaption")->insert("!");
        Apply();
        return remote.Listening() ? int(remote.Port()) : 0;
    };
    EXPECT_EQ(apply(true, busy), 0);
    ASSERT_FALSE(m_boxes.Texts().isEmpty());
    EXPECT_TRUE(m_boxes.Texts().last().startsWith(
        QStringLiteral("The remote control cannot listen on port %1: ").arg(busy)))
        << m_boxes.Texts().last().toStdString();
    holder.close();
    EXPECT_EQ(apply(true, busy), busy);
    const QString token = remote.Settings().Token;
    Control<QAbstractButton>("BtNewToken")->click();
    EXPECT_EQ(apply(false, busy), 0);
    EXPECT_NE(remote.Settings().Token, token);
    Close();
    m_window->close();
    EXPECT_TRUE(
        ReadSettings().contains(QStringLiteral("[Remote]\r\nActive=0\r\nPort=%1\r\nToken=%2\r\n")
                                    .arg(busy)
                                    .arg(remote.Settings().Token)
                                    .toUtf8()));
}

TEST_F(ConfigurationDialog, ForeignHighlightColourShowsNoSelectionAndIsKept)
{
    WriteSettings("[General]\nButton Border Highlight Colour=#123456\n");
    Start();
    const TColor foreign = m_window->Settings().BorderHighlightColour;
    Open();
    EXPECT_EQ(Control<QComboBox>("edBorderHighlightColour")->currentIndex(), -1);
    Control<QCheckBox>("cbSaveWindowSize")->click();
    Apply();
    EXPECT_EQ(m_window->Settings().BorderHighlightColour, foreign);

    auto* colours = Control<QComboBox>("edBorderHighlightColour");
    colours->setCurrentIndex(colours->findText("Blue"));
    Apply();
    EXPECT_EQ(m_window->Settings().BorderHighlightColour, TColor(0xFF0000));
}

TEST_F(ConfigurationDialog, UninstalledFontNameIsListedSelectedAndSurvivesApply)
{
    WriteSettings("[General]\nFont Name=Nowhere Grotesque\n");
    Start();
    Open();
    auto* fonts = Control<QComboBox>("edFontName");
    EXPECT_EQ(fonts->currentText(), "Nowhere Grotesque");
    Control<QCheckBox>("cbSaveWindowSize")->click();
    Apply();
    EXPECT_EQ(m_window->Settings().FontName, "Nowhere Grotesque");
    Close();
    Open(); // listed once, not twice
    EXPECT_EQ(fonts->findText("Nowhere Grotesque"), fonts->count() - 1);
    EXPECT_EQ(fonts->currentText(), "Nowhere Grotesque");
}

TEST_F(ConfigurationDialog, FontSizeAndLayoutReachTheButtonsAtOnce)
{
    Start();
    Open();
    auto* fonts = Control<QComboBox>("edFontName");
    ASSERT_GT(fonts->count(), 0);
    fonts->setCurrentIndex(0);
    const QString family = fonts->currentText();
    SetNumber("edFontSize", 20);
    Control<QComboBox>("btnButtonLayout")->setCurrentIndex(2);
    Apply();
    EXPECT_EQ(m_window->Settings().FontName, family);
    EXPECT_EQ(m_window->Settings().FontSize, 20);
    EXPECT_EQ(m_window->Settings().ButtonLayout, 2);
    EXPECT_EQ(Button(7)->font().family(), family);
    EXPECT_EQ(Button(7)->font().pointSize(), 20);
    EXPECT_EQ(Button(7)->Layout(), 2);
}

TEST_F(ConfigurationDialog, EmptiedTextSizeAppliesZeroAndDrawsAtTheDefaultSize)
{
    Start();
    Open();
    SetNumber("edFontSize", 20);
    Apply();
    ASSERT_EQ(Button(1)->font().pointSize(), 20);
    auto* size = Control<TBoundedSpinBox>("edFontSize");
    size->lineEdit()->clear();
    QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(size, &focusOut);
    EXPECT_EQ(size->text(), "");
    Apply();
    EXPECT_EQ(m_window->Settings().FontSize, 0);
    EXPECT_EQ(Button(1)->font().pointSize(), m_window->font().pointSize());
    EXPECT_TRUE(Button(1)->font().bold());
    Close();
    Open(); // 0 is brought into 8 to 48 by the field
    EXPECT_EQ(size->value(), 8);
}

TEST_F(ConfigurationDialog, EveryFieldIsAppliedAndTheTitleAndTrayFollowAtOnce)
{
    Start();
    Open();
    Control<QLineEdit>("edMainCaption")->setText("Pads");
    for (const char* box :
         {"cbAllowWindowMoving", "cbAllowWindowResizing", "cbSaveWindowPosition",
          "cbSaveWindowSize", "cbShowOutputErrors", "cbMinimiseToTray", "cbBorderlessWindow",
          "cbGlobalHotKeys"})
        Control<QCheckBox>(box)->click();
    Apply();
    const TGlobalSettings& s = m_window->Settings();
    EXPECT_EQ(m_window->windowTitle(), "Pads");
    EXPECT_EQ(m_window->TrayIcon()->toolTip(), "Pads");
    EXPECT_TRUE(m_window->TrayIconActive());
    EXPECT_FALSE(s.AllowWindowMoving);
    EXPECT_FALSE(s.AllowWindowResizing);
    EXPECT_FALSE(s.SaveWindowPosition);
    EXPECT_FALSE(s.SaveWindowSize);
    EXPECT_FALSE(s.ShowOutputErrors);
    EXPECT_TRUE(s.MainBorderless);
    EXPECT_TRUE(s.GlobalHotKeys);
    // Borderless and resizing wait for the next start: the frame stays as it is.
    EXPECT_FALSE(m_window->windowFlags() & Qt::FramelessWindowHint);

    Close();
    m_window->close();
    const QByteArray saved = ReadSettings();
    EXPECT_TRUE(saved.contains("Caption=Pads\r\n"));
    EXPECT_TRUE(saved.contains("Minimise To Tray=1\r\n"));
    EXPECT_TRUE(saved.contains("Main Borderless=1\r\n"));
    EXPECT_TRUE(saved.contains("Global Hot Keys=1\r\n"));
}

TEST_F(ConfigurationDialog, CloseWithoutApplyChangesNothing)
{
    Start();
    const TGlobalSettings before = m_window->Settings();
    const auto slotsBefore = m_window->Outputs().Slots();
    const auto buttonsBefore = m_window->GridButtons();
    Open();
    SetGrid(2, 2);
    Control<QLineEdit>("edMainCaption")->setText("Changed");
    for (QCheckBox* box : Dialog().findChildren<QCheckBox*>())
        box->click();
    Control<QComboBox>("edFontName")->setCurrentIndex(0);
    SetNumber("edFontSize", 30);
    Control<QComboBox>("edBorderHighlightColour")->setCurrentIndex(0);
    Control<QComboBox>("btnButtonLayout")->setCurrentIndex(3);
    Control<QComboBox>("edPortNo1")->setCurrentIndex(-1);
    Close();

    const TGlobalSettings& after = m_window->Settings();
    EXPECT_EQ(after.ButtonRows, before.ButtonRows);
    EXPECT_EQ(after.ButtonCols, before.ButtonCols);
    EXPECT_EQ(after.FontName, before.FontName);
    EXPECT_EQ(after.FontSize, before.FontSize);
    EXPECT_EQ(after.BorderHighlightColour, before.BorderHighlightColour);
    EXPECT_EQ(after.ButtonLayout, before.ButtonLayout);
    EXPECT_EQ(after.AllowWindowMoving, before.AllowWindowMoving);
    EXPECT_EQ(after.SaveWindowSize, before.SaveWindowSize);
    EXPECT_EQ(after.ShowOutputErrors, before.ShowOutputErrors);
    EXPECT_EQ(after.MainBorderless, before.MainBorderless);
    EXPECT_EQ(m_window->windowTitle(), "Keyrill");
    EXPECT_FALSE(m_window->TrayIconActive());
    EXPECT_EQ(m_window->Outputs().Slots()[0].DeviceIndex, slotsBefore[0].DeviceIndex);
    EXPECT_EQ(m_window->Outputs().Slots()[0].Active, slotsBefore[0].Active);
    EXPECT_EQ(m_window->GridButtons(), buttonsBefore);
    EXPECT_EQ(m_window->CommandList()->Count(), 400);
}

// Which named control holds the keyboard focus (a spin field's inner editor counts as the field).
QString FocusedControl(QWidget* dialog)
{
    for (QWidget* w = dialog->focusWidget(); w && w != dialog; w = w->parentWidget())
        if (!w->objectName().isEmpty() && !w->objectName().startsWith("qt_"))
            return w->objectName();
    return {};
}

TEST_F(ConfigurationDialog, TabWalksListApplyCloseThenTheShownPage)
{
    Start();
    Open();
    Dialog().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Dialog()));
    ASSERT_EQ(FocusedControl(&Dialog()), "PageList");
    const auto walk = [this](int steps) {
        QStringList seen;
        for (int i = 0; i < steps; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            seen << FocusedControl(&Dialog());
        }
        return seen;
    };
    // Apply is disabled on opening and so left out.
    EXPECT_EQ(walk(11),
              (QStringList{"BtCancel", "edButtonRows", "edButtonCols", "cbAllowWindowMoving",
                           "cbAllowWindowResizing", "cbSaveWindowPosition", "cbSaveWindowSize",
                           "cbShowOutputErrors", "cbMinimiseToTray", "cbGlobalHotKeys",
                           "PageList"}));

    // Down in the list switches to the next page; Tab then reaches that page's controls.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(ShownPage(), "tsAppearance");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(ShownPage(), "tsOutput1");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    EXPECT_EQ(ShownPage(), "tsAppearance");
    Control<QLineEdit>("edMainCaption")->insert("x"); // enables Apply
    EXPECT_EQ(walk(9), (QStringList{"BtApply", "BtCancel", "edMainCaption", "edFontName",
                                    "edFontSize", "edBorderHighlightColour", "btnButtonLayout",
                                    "cbBorderlessWindow", "PageList"}));
}

TEST_F(ConfigurationDialog, MenuShowsItModallyAndALaterCloseBoxKeepsWhatWasApplied)
{
    Start();
    bool wasModal = false;
    QTimer::singleShot(0, [&] {
        wasModal = QApplication::activeModalWidget() == &Dialog();
        SetGrid(2, 2);
        Apply();
        SetGrid(3, 3);    // not applied
        Dialog().close(); // the close box
    });
    m_window->mnConfigurationClick();
    EXPECT_TRUE(wasModal);
    EXPECT_FALSE(Dialog().isVisible());
    EXPECT_EQ(m_window->GridButtons().size(), 4u);
    EXPECT_EQ(m_window->Settings().ButtonRows, 2);
}

TEST_F(ConfigurationDialog, EscapeClosesWithoutApplying)
{
    Start();
    QTimer::singleShot(0, [&] {
        SetGrid(2, 2);
        QTest::keyClick(&Dialog(), Qt::Key_Escape);
    });
    m_window->mnConfigurationClick();
    EXPECT_FALSE(Dialog().isVisible());
    EXPECT_EQ(m_window->Settings().ButtonRows, 5);
}

TEST_F(ConfigurationDialog, OpeningFromTheMenuLeavesNoHeldNoteHanging)
{
    WriteSettings(kOutput1Active +
                  "[Button 1]\nAction=1\nHotKey=K\nMessage=1\nNote=60\nVelocity=100\n"
                  "[Button 1 Release]\nMessage=0\nNote=60\n");
    Start();
    QTest::keyPress(m_window.get(), Qt::Key_K);
    ASSERT_EQ(Sent(), QStringList{"90 3C 64"});
    QStringList sentWhileOpen;
    QTimer::singleShot(50, [&] {
        sentWhileOpen = Sent();
        Dialog().close();
    });
    m_window->mnConfigurationClick();
    EXPECT_EQ(sentWhileOpen, (QStringList{"90 3C 64", "80 3C 00"}));
}

TEST_F(ConfigurationDialog, AToggleLeftOnInAButtonTheGridLosesSendsItsRelease)
{
    WriteSettings(kOutput1Active + "[Button 15]\nAction=2\nMessage=1\nNote=64\nVelocity=90\n"
                                   "[Button 15 Release]\nMessage=0\nNote=64\n"
                                   "[Button 4]\nAction=2\nMessage=1\nNote=62\nVelocity=90\n"
                                   "[Button 4 Release]\nMessage=0\nNote=62\n");
    Start();
    Click(15);
    Click(4);
    ASSERT_EQ(Sent(), (QStringList{"90 40 5A", "90 3E 5A"}));
    Open();
    SetGrid(2, 2);
    Apply();
    // Button 15 is gone and released; button 4 stays, still on, for the user to release.
    EXPECT_EQ(Sent(), (QStringList{"90 40 5A", "90 3E 5A", "80 40 00"}));
    EXPECT_TRUE(m_window->CommandList()->Get(3).Pressed);
}

TEST_F(ConfigurationDialog, EveryInputControlOfTheDialogsIsNamedForAScreenReader)
{
    Start();
    const auto spoken = [](QObject* c) { return QAccessible::queryAccessibleInterface(c); };
    QStringList unnamed; // a drop-down list reads its choice here, so it needs a label of its own
    for (QObject* dialog : {m_window->findChild<QObject*>("TfmProperties"),
                            m_window->findChild<QObject*>("fmConfiguration")})
        for (QWidget* c :
             dialog->findChildren<QWidget*>(QRegularExpression("^(ed|cb|bt|PageList)")))
            if (spoken(c)->relations(QAccessible::Label).isEmpty() &&
                (qobject_cast<QComboBox*>(c) || spoken(c)->text(QAccessible::Name).isEmpty()))
                unnamed << c->objectName();
    EXPECT_TRUE(unnamed.isEmpty()) << unnamed.join(u' ').toStdString();
    const auto cell = [&](QAbstractItemView* list, int row) {
        return spoken(list)->tableInterface()->cellAt(row, 0)->text(QAccessible::Name);
    };
    EXPECT_EQ(cell(m_window->findChild<QListWidget*>("ImageListViewer"), 3), "record");
    EXPECT_EQ(cell(Control<QComboBox>("edBorderHighlightColour")->view(), 16), "Money Green");
}

} // namespace
