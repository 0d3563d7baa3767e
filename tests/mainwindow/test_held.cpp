// Every press that went out gets its release exactly once, whatever the user does in between.
#include "MainWindowFixture.h"
#include "support/FakeKeyboardMap.h"
#include "support/FakeWindowSystem.h"

#include <QAction>
#include <QDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QWindow>

namespace {

using namespace TestKeys;

// Button 1: "Press / Release" on hot key "1", Note On 60; button 2 the same on "A", note 62;
// button 3 a toggle on F12, note 64; button 5 "Press / Release" without a hot key, note 70;
// button 9 "Press / Release" on F1, note 72.
const QByteArray kHeld = kOutput1Active +
                         "[General]\nButton Rows=3\nButton Cols=3\n"
                         "[Button 1]\nAction=1\nHotKey=1\nCaption=On\nMessage=1\nNote=60\n"
                         "Velocity=100\n[Button 1 Release]\nCaption=Off\nNote=60\n"
                         "[Button 2]\nAction=1\nHotKey=A\nCaption=A\nMessage=1\nNote=62\n"
                         "Velocity=90\n[Button 2 Release]\nCaption=A held\nNote=62\n"
                         "[Button 3]\nAction=2\nHotKey=F12\nCaption=Loop\nMessage=1\nNote=64\n"
                         "Velocity=80\n[Button 3 Release]\nCaption=Looping\nNote=64\n"
                         "[Button 5]\nAction=1\nCaption=Other\nMessage=1\nNote=70\nVelocity=70\n"
                         "[Button 5 Release]\nNote=70\n"
                         "[Button 9]\nAction=1\nHotKey=F1\nCaption=Nine\nMessage=1\nNote=72\n"
                         "Velocity=72\n[Button 9 Release]\nNote=72\n";

// A US key map: "1/!", "A", left Shift, keypad 1 (End without NumLock), F12.
std::map<quint32, std::vector<quint32>> UsKeys()
{
    return {{kScan1, {'1', '!'}},
            {kScanA, {'a', 'A'}},
            {kScanQ, {'q', 'Q'}},
            {kScanShiftL, {kSymShiftL}},
            {kScanKp1, {kSymKpEnd, kSymKp1}},
            {kScanF1, {kSymF1}},
            {kScanF12, {kSymF12}}};
}

// The French map: "&/1" on the "1" key, "A" where QWERTY has "Q".
std::map<quint32, std::vector<quint32>> AzertyKeys()
{
    return {{kScan1, {'&', '1'}}, {kScanQ, {'a', 'A'}}, {kScanA, {'q', 'Q'}}};
}

struct TKeyStroke
{
    quint32 Scan;
    int Key;
    Qt::KeyboardModifiers Modifiers = {};
};

class HeldTest : public MainWindowTest
{
protected:
    TfmMain& StartWith(std::map<quint32, std::vector<quint32>> keys = UsKeys())
    {
        WriteSettings(kHeld);
        Start();
        m_window->Keys().SetKeyboardMap(std::make_unique<TFakeKeyboardMap>(std::move(keys)));
        return *m_window;
    }

    void SendKey(QEvent::Type type, const TKeyStroke& stroke, QWidget* to = nullptr)
    {
        QKeyEvent event(type, stroke.Key, stroke.Modifiers, stroke.Scan, 0, 0);
        QApplication::sendEvent(to ? to : m_window.get(), &event);
    }
    void KeyDown(const TKeyStroke& stroke) { SendKey(QEvent::KeyPress, stroke); }
    // A message on the input, handed to the window.
    void Hear(std::uint8_t status, std::uint8_t data1, std::uint8_t data2)
    {
        const std::uint64_t before = m_window->Input().Queue().Delivered();
        m_service.Inject(status, data1, data2);
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return m_window->Input().Queue().Delivered() > before; }));
    }
    void KeyUp(const TKeyStroke& stroke, QWidget* to = nullptr)
    {
        SendKey(QEvent::KeyRelease, stroke, to);
    }

    QMenu* OpenMenuOn(int number)
    {
        Press(number, Qt::RightButton);
        Release(number, Qt::RightButton);
        EXPECT_TRUE(m_window->PopupMenu()->isVisible());
        return m_window->PopupMenu();
    }
    void Choose(const char* item)
    {
        m_window->MenuItem(item)->trigger();
        m_window->PopupMenu()->close();
    }

    // The button shows its Press side, unframed and not held down.
    void ExpectUp(int number, const QString& caption)
    {
        SCOPED_TRACE(number);
        EXPECT_EQ(Button(number)->Caption(), caption);
        EXPECT_EQ(Button(number)->BorderColor(), kColorNone);
        EXPECT_EQ(Button(number)->State(), TAdvToolButton::TState::Up);
        EXPECT_FALSE(m_window->CommandList()->Get(number - 1).Pressed);
    }
};

// A left mouse release while the context menu holds the mouse goes to the menu.
TEST_F(HeldTest, LeftReleaseTakenByTheContextMenuStillReleases)
{
    StartWith();
    Press(1);
    QMenu* menu = OpenMenuOn(1);
    QTest::mouseRelease(menu, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(Sent(), (QStringList{"90 3C 64", "80 3C 00"}));
    ExpectUp(1, "On");
    menu->close();
    QTest::mouseMove(Button(1), QPoint(6, 6));
    EXPECT_EQ(Button(1)->State(), TAdvToolButton::TState::Up) << "no longer tracking the mouse";
}

TEST_F(HeldTest, KeyReleasedWhileTheMenuIsOpenReleases)
{
    StartWith();
    KeyDown({kScanA, Qt::Key_A});
    QMenu* menu = OpenMenuOn(7);
    KeyUp({kScanA, Qt::Key_A}, menu);
    EXPECT_EQ(Sent(), (QStringList{"90 3E 5A", "80 3E 00"}));
    ExpectUp(2, "A");
    menu->close();
}

TEST_F(HeldTest, KeyReleasedInAModalDialogReleasesExactlyOnce)
{
    StartWith();
    KeyDown({kScan1, Qt::Key_1});
    QDialog dialog(m_window.get());
    dialog.setModal(true);
    dialog.show();
    KeyUp({kScan1, Qt::Key_1}, &dialog);
    QTest::qWait(50); // the dialog's activation takes the window's focus as well
    EXPECT_EQ(Sent(), (QStringList{"90 3C 64", "80 3C 00"}));
    ExpectUp(1, "On");
}

TEST_F(HeldTest, TypingInADialogReleasesNothing)
{
    StartWith();
    QDialog dialog(m_window.get());
    dialog.show();
    KeyUp({kScanA, Qt::Key_A}, &dialog);
    EXPECT_TRUE(Sent().isEmpty());
}

struct TKeyCase
{
    const char* Name;
    std::map<quint32, std::vector<quint32>> Keys;
    TKeyStroke Down;
    TKeyStroke Up;
    QStringList Expected;
};

class HeldKeyTest : public HeldTest, public testing::WithParamInterface<TKeyCase>
{
};

// A key's name and its release follow the physical key, whatever Shift, the layout and NumLock
// make of the character.
TEST_P(HeldKeyTest, PlaysTheDigitOfThePhysicalKeyAndReleasesIt)
{
    const TKeyCase& c = GetParam();
    StartWith(c.Keys);
    KeyDown(c.Down);
    KeyDown({kScanShiftL, Qt::Key_Shift, Qt::ShiftModifier});
    KeyUp(c.Up);
    KeyUp({kScanShiftL, Qt::Key_Shift});
    EXPECT_EQ(Sent(), c.Expected);
    ExpectUp(1, "On");
}

const QStringList kOnOff{"90 3C 64", "80 3C 00"};

INSTANTIATE_TEST_SUITE_P(Keys, HeldKeyTest,
                         testing::Values(TKeyCase{"ShiftPressedWhileHeld",
                                                  UsKeys(),
                                                  {kScan1, Qt::Key_1},
                                                  {kScan1, Qt::Key_Exclam, Qt::ShiftModifier},
                                                  kOnOff},
                                         TKeyCase{"ShiftPlusDigit",
                                                  UsKeys(),
                                                  {kScan1, Qt::Key_Exclam, Qt::ShiftModifier},
                                                  {kScan1, Qt::Key_Exclam, Qt::ShiftModifier},
                                                  kOnOff},
                                         TKeyCase{"AzertyNumberRow",
                                                  AzertyKeys(),
                                                  {kScan1, Qt::Key_Ampersand},
                                                  {kScan1, Qt::Key_1, Qt::ShiftModifier},
                                                  kOnOff},
                                         TKeyCase{"NumLockSwitchedOffWhileHeld",
                                                  UsKeys(),
                                                  {kScanKp1, Qt::Key_1, Qt::KeypadModifier},
                                                  {kScanKp1, Qt::Key_End, Qt::KeypadModifier},
                                                  kOnOff},
                                         TKeyCase{"KeypadWithoutNumLockHasNoName",
                                                  UsKeys(),
                                                  {kScanKp1, Qt::Key_End, Qt::KeypadModifier},
                                                  {kScanKp1, Qt::Key_End, Qt::KeypadModifier},
                                                  {}}),
                         [](const testing::TestParamInfo<TKeyCase>& info) {
                             return info.param.Name;
                         });

struct TEditCase
{
    const char* Name;
    const char* Item;     // the menu item chosen on button 2 while its key is held
    QString CaptionAfter; // the face of button 2 afterwards
};

class HeldEditTest : public HeldTest, public testing::WithParamInterface<TEditCase>
{
};

TEST_P(HeldEditTest, ChangingAHeldDefinitionReleasesWhatWasPressed)
{
    StartWith();
    OpenMenuOn(5);
    Choose("ButtonCopy1");
    KeyDown({kScanA, Qt::Key_A});
    OpenMenuOn(2);
    Choose(GetParam().Item);
    EXPECT_EQ(Sent(), (QStringList{"90 3E 5A", "80 3E 00"})) << "released at once";
    ExpectUp(2, GetParam().CaptionAfter);
    KeyUp({kScanA, Qt::Key_A});
    EXPECT_EQ(Sent().size(), 2) << "the key-up sends nothing more";
}

INSTANTIATE_TEST_SUITE_P(Edits, HeldEditTest,
                         testing::Values(TEditCase{"Cut", "ButtonCut1", ""},
                                         TEditCase{"PasteOver", "ButtonPaste1", "Other"}),
                         [](const testing::TestParamInfo<TEditCase>& info) {
                             return info.param.Name;
                         });

TEST_F(HeldTest, CopyingAHeldButtonKeepsItHeld)
{
    StartWith();
    KeyDown({kScanA, Qt::Key_A});
    OpenMenuOn(2);
    Choose("ButtonCopy1");
    EXPECT_EQ(Sent().size(), 1);
    KeyUp({kScanA, Qt::Key_A});
    EXPECT_EQ(Sent(), (QStringList{"90 3E 5A", "80 3E 00"}));
}

TEST_F(HeldTest, ShrinkingTheGridReleasesAButtonThatIsGone)
{
    StartWith();
    KeyDown({kScanF1, Qt::Key_F1});
    ASSERT_EQ(Sent(), QStringList{"90 48 48"});
    m_window->Settings().ButtonRows = 2;
    m_window->Settings().ButtonCols = 2;
    m_window->ResizeCommandList(4);
    EXPECT_EQ(Sent(), (QStringList{"90 48 48", "80 48 00"}));
    KeyUp({kScanF1, Qt::Key_F1});
    EXPECT_EQ(Sent().size(), 2);
}

struct TCloseCase
{
    const char* Name;
    bool Mouse;
};

class HeldCloseTest : public HeldTest, public testing::WithParamInterface<TCloseCase>
{
};

TEST_P(HeldCloseTest, ClosingReleasesBeforeTheOutputsClose)
{
    StartWith();
    if (GetParam().Mouse)
        Press(1);
    else
        KeyDown({kScan1, Qt::Key_1});
    ASSERT_TRUE(m_window->close());
    const auto& calls = m_service.Calls();
    const auto off = std::find_if(calls.begin(), calls.end(), [](const auto& call) {
        return call.Kind == TFakeMidiService::TCallKind::Send &&
               call.Bytes == TFakeMidiService::TBytes{0x80, 0x3C, 0x00};
    });
    const auto closed = std::find_if(calls.begin(), calls.end(), [](const auto& call) {
        return call.Kind == TFakeMidiService::TCallKind::Close;
    });
    ASSERT_NE(off, calls.end()) << "the Note Off went out";
    EXPECT_LT(off - calls.begin(), closed - calls.begin()) << "before the device closed";
}

INSTANTIATE_TEST_SUITE_P(Sources, HeldCloseTest,
                         testing::Values(TCloseCase{"Key", false}, TCloseCase{"Mouse", true}),
                         [](const testing::TestParamInfo<TCloseCase>& info) {
                             return info.param.Name;
                         });

// The error box of a failed send is modal: the left button's release, made while it is open,
// reaches no widget of the program.
TEST_F(HeldTest, ReleaseSwallowedByAnErrorBoxRunsWhenTheBoxReturns)
{
    StartWith();
    m_service.FailSend = "Device gone";
    QWindow elsewhere; // takes the release as the blocked window would: no widget sees it
    elsewhere.resize(50, 50);
    elsewhere.create();
    m_boxes.OnShow = [&](const TFakeMessageBoxes::TBox&) {
        m_service.FailSend.reset();
        QTest::mouseRelease(&elsewhere, Qt::LeftButton, {}, QPoint(5, 5));
    };
    Press(1);
    ASSERT_EQ(m_boxes.Boxes.size(), 1u);
    QTest::qWait(10); // the release runs once the press event is done
    EXPECT_EQ(Sent(), QStringList{"80 3C 00"});
    ExpectUp(1, "On");
}

// A Space press's error box takes the focus, and the key's release with it: the focus leaving
// releases, once the press has finished.
TEST_F(HeldTest, SpaceReleaseSwallowedByAnErrorBoxRunsWhenTheBoxReturns)
{
    StartWith();
    QApplication::setActiveWindow(m_window.get());
    Button(1)->setFocus(Qt::TabFocusReason);
    m_service.FailSend = "Device gone";
    m_boxes.OnShow = [&](const TFakeMessageBoxes::TBox&) {
        m_service.FailSend.reset();
        Button(2)->setFocus(Qt::OtherFocusReason); // Space goes up while it is away
        Button(1)->setFocus(Qt::OtherFocusReason);
    };
    QTest::keyPress(Button(1), Qt::Key_Space);
    EXPECT_EVENTUALLY(Sent() == QStringList{"80 3C 00"});
    QTest::keyRelease(Button(1), Qt::Key_Space); // should Qt still deliver one
    QTest::qWait(10);
    EXPECT_EQ(Sent(), QStringList{"80 3C 00"});
    ExpectUp(1, "On");
}

// The error box takes the button's release from the widget, and Qt's idea of the button may be
// wrong afterwards (it may think the button up, or never see it go up): the Release follows the
// real pointer and goes out once, when the button is let go for real.
class HeldErrorBoxTest : public HeldTest, public testing::WithParamInterface<bool>
{
};

TEST_P(HeldErrorBoxTest, AnErrorBoxClosedWhileHeldReleasesAtTheRealRelease)
{
    const bool qtThinksUp = GetParam();
    TFakeWindowSystem pointer;
    m_windowSystem = &pointer;
    StartWith();
    m_service.FailSend = "Device gone";
    QWindow elsewhere;
    elsewhere.resize(50, 50);
    elsewhere.create();
    m_boxes.OnShow = [&](const TFakeMessageBoxes::TBox&) {
        m_service.FailSend.reset();
        if (qtThinksUp)
            QTest::mouseRelease(&elsewhere, Qt::LeftButton, {}, QPoint(5, 5));
    };
    pointer.Held = true;
    Press(1);
    ASSERT_EQ(m_boxes.Boxes.size(), 1u);
    QTest::qWait(60);
    EXPECT_EQ(Sent(), QStringList()) << "still held: no Release";
    pointer.Held = false;
    EXPECT_EVENTUALLY(Sent() == QStringList{"80 3C 00"});
    ExpectUp(1, "On");
    Release(1); // the button-up, should Qt still deliver one
    EXPECT_EQ(Sent(), QStringList{"80 3C 00"});
}

INSTANTIATE_TEST_SUITE_P(QtsView, HeldErrorBoxTest, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "QtThinksUp" : "QtMissesTheRelease");
                         });

// A close that comes while a press's error box is open waits for the press to finish: closing
// from inside would free the definitions under the running handler.
TEST_F(HeldTest, CloseDuringAnErrorBoxWaitsForThePressThenReleases)
{
    StartWith();
    m_service.FailSend = "Device gone";
    bool closedInside = true;
    m_boxes.OnShow = [&](const TFakeMessageBoxes::TBox&) {
        m_service.FailSend.reset();
        closedInside = m_window->close();
    };
    KeyDown({kScan1, Qt::Key_1});
    EXPECT_FALSE(closedInside);
    EXPECT_EQ(Button(1)->Caption(), "Off") << "the press finished";
    EXPECT_EVENTUALLY(m_window->CommandList() == nullptr);
    EXPECT_EQ(Sent(), QStringList{"80 3C 00"});
}

TEST_F(HeldTest, FocusLossReleasesAMousePressOnce)
{
    StartWith();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    Press(1);
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_EVENTUALLY(Sent() == kOnOff);
    ExpectUp(1, "On");
    Release(1);
    EXPECT_EQ(Sent(), kOnOff);
}

TEST_F(HeldTest, AKeyReleasedByFocusLossIsNotReleasedAgainByItsKeyUp)
{
    StartWith();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    KeyDown({kScanF12, Qt::Key_F12});
    {
        QWidget other;
        other.show();
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
        EXPECT_EVENTUALLY(m_window->CommandList()->Get(2).Pressed); // the toggle's first release
    }
    m_window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    KeyUp({kScanF12, Qt::Key_F12}); // the key was held all along
    EXPECT_EQ(Sent(), QStringList{"90 40 50"});
    EXPECT_TRUE(m_window->CommandList()->Get(2).Pressed) << "a toggle left on stays on";
}

// A busy X server can stamp a real release and the next press with the same time, and Qt then
// takes the release for auto-repeat. With repeats sent as presses alone, no release is one.
TEST_F(HeldTest, WithDetectableAutoRepeatEveryReleaseIsReal)
{
    WriteSettings(kHeld);
    Start();
    auto map = std::make_unique<TFakeKeyboardMap>(UsKeys());
    map->PressesOnly = true;
    m_window->Keys().SetKeyboardMap(std::move(map));
    KeyDown({kScanA, Qt::Key_A});
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, {}, kScanA, 0, 0, QString(), true);
    QApplication::sendEvent(m_window.get(), &release);
    EXPECT_EQ(Sent(), (QStringList{"90 3E 5A", "80 3E 00"}));
}

TEST_F(HeldTest, AToggleWhoseKeyUpGoesToTheMenuIsLeftOn)
{
    StartWith();
    KeyDown({kScanF12, Qt::Key_F12});
    QMenu* menu = OpenMenuOn(7);
    KeyUp({kScanF12, Qt::Key_F12}, menu);
    menu->close();
    EXPECT_EQ(Sent(), QStringList{"90 40 50"});
    EXPECT_TRUE(m_window->CommandList()->Get(2).Pressed) << "on, as after any first release";
    EXPECT_EQ(Button(3)->Caption(), "Looping");
    EXPECT_EQ(Button(3)->BorderColor(), kColorNone);
}

// Detectable auto-repeat: a held key repeats as presses alone. Another key's release clears the
// repeat filter, yet the held note is not started again.
TEST_F(HeldTest, AnotherKeysReleaseDoesNotRestartAHeldNote)
{
    StartWith();
    KeyDown({kScanA, Qt::Key_A});
    KeyDown({kScan1, Qt::Key_1});
    KeyUp({kScan1, Qt::Key_1});
    KeyDown({kScanA, Qt::Key_A});
    KeyDown({kScanA, Qt::Key_A});
    KeyUp({kScanA, Qt::Key_A});
    EXPECT_EQ(Sent(), (QStringList{"90 3E 5A", "90 3C 64", "80 3C 00", "80 3E 00"}));
}

} // namespace

// Feedback that arrives for a held button waits for its release, and then only if the button
// still has the definition it was about.
TEST_F(HeldTest, FeedbackForAHeldButtonWaitsForItsRelease)
{
    m_service.InputNames = {"Desk"};
    WriteSettings(kHeld + "[Input]\nMIDI Device=0\nActive=1\n");
    Start();
    Press(3); // the toggle goes on
    Hear(0x80, 64, 0);
    EXPECT_EQ(Button(3)->Caption(), "Looping") << "held as it was pressed";
    Release(3);
    EXPECT_EQ(Button(3)->Caption(), "Loop");
    EXPECT_FALSE(m_window->CommandList()->Get(2).Pressed);
    Click(3); // shown off, so its press goes out again
    EXPECT_EQ(Sent(), (QStringList{"90 40 50", "90 40 50"}));

    Press(1);
    Hear(0x90, 60, 100);
    m_window->CommandList()->Get(0).Release.Caption = "Changed";
    m_window->RefreshButtons(); // releases the press of the old definition
    EXPECT_EQ(Button(1)->Caption(), "On") << "the feedback was about the old definition";
    EXPECT_EQ(Sent().mid(2), (QStringList{"90 3C 64", "80 3C 00"}));
}

// News that a held toggle is on does not undo the Release its release sends; news for another
// button shows at once, even while the held one's error box is open.
TEST_F(HeldTest, FeedbackDuringAHoldNeitherFreezesNorUndoesTheRelease)
{
    m_service.InputNames = {"Desk"};
    WriteSettings(kHeld + "[Input]\nMIDI Device=0\nActive=1\n");
    Start();
    Click(3); // the toggle goes on
    Press(3);
    Hear(0x90, 64, 80);
    Release(3);
    EXPECT_EQ(Button(3)->Caption(), "Loop");
    Click(3);
    EXPECT_EQ(Sent(), (QStringList{"90 40 50", "80 40 00", "90 40 50"}));

    m_service.FailSend = "gone";
    QString shownDuringBox;
    m_boxes.OnShow = [&](const TFakeMessageBoxes::TBox&) {
        Hear(0x80, 64, 0);
        shownDuringBox = Button(3)->Caption();
    };
    Press(1);
    EXPECT_EQ(shownDuringBox, "Loop");
}
