#include "MainWindowFixture.h"
#include "play/KeyCodes.h"
#include "support/FakeKeyboardMap.h"

#include <QKeyEvent>

#include <cctype>

namespace {

// Buttons 2 and 5 share hot key "A" (Press / Release); button 3 has "5"; button 4 is a toggle on F12.
const QByteArray kHotKeys = kOutput1Active +
                            "[Button 2]\nAction=1\nHotKey=A\nMessage=1\nNote=2\n"
                            "[Button 2 Release]\nNote=2\n"
                            "[Button 5]\nAction=1\nHotKey=A\nMessage=1\nNote=5\n"
                            "[Button 5 Release]\nNote=5\n"
                            "[Button 3]\nHotKey=5\nMessage=1\nNote=3\n"
                            "[Button 4]\nAction=2\nHotKey=F12\nMessage=1\nNote=4\n"
                            "[Button 4 Release]\nNote=4\n"
                            "[Button 6]\nHotKey=a\nMessage=1\nNote=6\n";

class HotKeyTest : public MainWindowTest
{
protected:
    void Key(QEvent::Type type, int key, Qt::KeyboardModifiers modifiers = {}, bool repeat = false)
    {
        QKeyEvent event(type, key, modifiers, QString(), repeat);
        QApplication::sendEvent(m_window.get(), &event);
    }
    void Down(int key, Qt::KeyboardModifiers modifiers = {}, bool repeat = false)
    {
        Key(QEvent::KeyPress, key, modifiers, repeat);
    }
    void Up(int key, Qt::KeyboardModifiers modifiers = {}, bool repeat = false)
    {
        Key(QEvent::KeyRelease, key, modifiers, repeat);
    }
};

TEST(KeyCodes, NamesFollowTheVirtualKeyTable)
{
    EXPECT_EQ(HotKeyName(VirtualKeyCode(Qt::Key_7, {})), "7");
    EXPECT_EQ(HotKeyName(VirtualKeyCode(Qt::Key_7, Qt::KeypadModifier)), "7");
    EXPECT_EQ(VirtualKeyCode(Qt::Key_7, Qt::KeypadModifier), 0x67);
    EXPECT_EQ(HotKeyName(VirtualKeyCode(Qt::Key_Q, Qt::ShiftModifier)), "Q");
    EXPECT_EQ(HotKeyName(VirtualKeyCode(Qt::Key_F1, {})), "F1");
    EXPECT_EQ(HotKeyName(VirtualKeyCode(Qt::Key_F24, {})), "F24");
    for (int key : {int(Qt::Key_Space), int(Qt::Key_Return), int(Qt::Key_Left),
                    int(Qt::Key_Shift), int(Qt::Key_F25), int(Qt::Key_Exclam)})
        EXPECT_TRUE(HotKeyName(VirtualKeyCode(key, {})).isEmpty()) << key;
    EXPECT_TRUE(HotKeyName(VirtualKeyCode(Qt::Key_Plus, Qt::KeypadModifier)).isEmpty());
    EXPECT_NE(VirtualKeyCode(Qt::Key_Space, {}), VirtualKeyCode(Qt::Key_Return, {}));
    for (quint16 code : {0x3A, 0x40, 0x5B, 0x5F, 0x6A, 0x6F, 0x2F, 0x88})
        EXPECT_TRUE(HotKeyName(code).isEmpty()) << code;
}

TEST_F(HotKeyTest, SharedKeyPressesAndReleasesInButtonOrder)
{
    WriteSettings(kHotKeys);
    Start();
    Down(Qt::Key_A);
    EXPECT_EQ(Sent(), (QStringList{"90 02 00", "90 05 00"}));
    EXPECT_EQ(Button(2)->BorderColor(), 255u);
    EXPECT_TRUE(Spoken(2)->state().pressed) << "read as held without the mouse";
    EXPECT_EQ(Spoken(2)->text(QAccessible::Description), "Hot key A");
    Up(Qt::Key_A);
    EXPECT_EQ(Sent(), (QStringList{"90 02 00", "90 05 00", "80 02 00", "80 05 00"}));
    EXPECT_FALSE(Spoken(2)->state().pressed);
    EXPECT_FALSE(Button(2)->Down()) << "a hot key never moves the widget's own state";
}

TEST_F(HotKeyTest, ModifiersAreIgnoredAndLowerCaseNamesNeverMatch)
{
    WriteSettings(kHotKeys);
    Start();
    Down(Qt::Key_A, Qt::ShiftModifier);
    Up(Qt::Key_A, Qt::ShiftModifier);
    Down(Qt::Key_A, Qt::ControlModifier);
    Up(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Sent().size(), 8);
    EXPECT_FALSE(Sent().contains("90 06 00")) << "hot key \"a\" is never triggered";
}

TEST_F(HotKeyTest, KeypadAndMainDigitsBothTrigger)
{
    WriteSettings(kHotKeys);
    Start();
    Down(Qt::Key_5);
    Up(Qt::Key_5);
    Down(Qt::Key_5, Qt::KeypadModifier);
    Up(Qt::Key_5, Qt::KeypadModifier);
    EXPECT_EQ(Sent(), (QStringList{"90 03 00", "90 03 00"}));
}

TEST_F(HotKeyTest, HeldKeyWithAutoRepeatPressesOnceAndReleasesOnce)
{
    WriteSettings(kHotKeys);
    Start();
    Down(Qt::Key_A);
    for (int i = 0; i < 5; ++i) {
        // X11 auto-repeat: release and press pairs, both marked as repeats.
        Up(Qt::Key_A, {}, true);
        Down(Qt::Key_A, {}, true);
    }
    Down(Qt::Key_A, {}, true); // plain repeated key-downs, as on other platforms
    EXPECT_EQ(Sent().size(), 2);
    Up(Qt::Key_A);
    EXPECT_EQ(Sent().size(), 4);
    EXPECT_EQ(m_window->Keys().LastKeyDown(), 0);
}

TEST_F(HotKeyTest, ReleasingOneOfTwoHeldKeysLetsTheOthersRepeatPressAgain)
{
    WriteSettings(kHotKeys);
    Start();
    Down(Qt::Key_A);
    Down(Qt::Key_5);
    Up(Qt::Key_A);
    Down(Qt::Key_5, {}, true);
    EXPECT_EQ(Sent().count("90 03 00"), 2) << "the key-up of A cleared the filter";
}

TEST_F(HotKeyTest, AKeyUpWithoutItsKeyDownLeavesTheToggleAsItWas)
{
    WriteSettings(kHotKeys);
    Start();
    Up(Qt::Key_F12); // its key-down went to another window
    EXPECT_TRUE(Sent().isEmpty());
    EXPECT_FALSE(m_window->CommandList()->Get(3).Pressed) << "no toggle turns on unpressed";
    Down(Qt::Key_F12);
    Up(Qt::Key_F12);
    Down(Qt::Key_F12);
    Up(Qt::Key_F12);
    EXPECT_EQ(Sent(), (QStringList{"90 04 00", "80 04 00"})) << "its Press side first";
}

TEST_F(HotKeyTest, KeysWithoutANameOnlyPassTheFilter)
{
    WriteSettings(kHotKeys);
    Start();
    Down(Qt::Key_Space);
    EXPECT_EQ(m_window->Keys().LastKeyDown(), VirtualKeyCode(Qt::Key_Space, {}));
    Up(Qt::Key_Space);
    Down(Qt::Key_B);
    EXPECT_TRUE(Sent().isEmpty());
}

TEST_F(HotKeyTest, LosingTheFocusReleasesHeldButtons)
{
    WriteSettings(kHotKeys);
    Start();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    Down(Qt::Key_A);
    ASSERT_EQ(Sent().size(), 2);
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_EVENTUALLY(Sent().size() == 4);
    EXPECT_EQ(Sent().mid(2), (QStringList{"80 02 00", "80 05 00"}));
    EXPECT_EQ(Button(5)->BorderColor(), kColorNone);
    EXPECT_EQ(m_window->Keys().LastKeyDown(), 0);
}

TEST_F(HotKeyTest, FocusLostDuringAnErrorBoxReleasesOnlyAfterThePressHasFinished)
{
    // Output 2 names a device that does not exist, so every send shows the error box; the box
    // takes the focus while the key's press handler is still running.
    WriteSettings("[Output 2]\nMIDI Device=3\nActive=1\n"
                  "[Button 1]\nAction=1\nHotKey=Q\nOutput=2\nCaption=Up\n"
                  "[Button 1 Release]\nOutput=2\nCaption=Down\n");
    Start();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    m_boxes.Boxes.clear();
    QWidget box;
    m_boxes.OnShow = [&](const TFakeMessageBoxes::TBox&) {
        if (box.isVisible())
            return;
        box.show();
        box.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&box));
        QApplication::processEvents(); // the nested loop of a real modal box
    };
    Down(Qt::Key_Q);
    ASSERT_EQ(m_boxes.Boxes.size(), 1u);
    EXPECT_EQ(Button(1)->Caption(), "Down") << "the press finished first";
    EXPECT_EVENTUALLY(m_boxes.Boxes.size() == 2u); // the release's send fails too
    EXPECT_EQ(Button(1)->Caption(), "Up");
    EXPECT_EQ(Button(1)->BorderColor(), kColorNone);
    EXPECT_FALSE(m_window->CommandList()->Get(0).Pressed);
}

using namespace TestKeys;
constexpr quint32 kScanKp5 = 84, kSymKp5 = 0xFFB5, kSymKpBegin = 0xFF9D;
const QStringList kPlayedA{"90 02 00", "90 05 00", "80 02 00", "80 05 00"};

// Hot keys heard from the whole desktop besides the window's own key events.
class GlobalHotKeyTest : public HotKeyTest
{
protected:
    void SetUp() override
    {
        WriteSettings(kHotKeys + "[General]\nGlobal Hot Keys=1\n");
        Start();
        m_service.ClearRecords();
        m_window->Keys().SetKeyboardMap(
            std::make_unique<TFakeKeyboardMap>(std::map<quint32, std::vector<quint32>>{
                {kScanA, {'a', 'A'}}, {kScanF12, {kSymF12}}, {kScanKp5, {kSymKpBegin, kSymKp5}}}));
    }
    // Upper case down, lower case up: E A heard while another program has the keyboard, O A
    // heard while Keyrill has it, W A in Keyrill's window, T F12 in the window, F F12 heard while
    // Keyrill has it, B B in the window, N keypad 5 heard with NumLock off, K with it on, C A
    // heard from another program with Ctrl held, G F12 heard from another program; Z: the switch
    // goes off; L: another window takes the keyboard; S: Configuration shrinks the grid to one
    // button.
    void Step(char step)
    {
        const bool down = std::isupper(step);
        const char key = char(std::toupper(step));
        const std::map<char, TGlobalKey> heard{{'E', {down, kScanA, 'a', {}, false}},
                                               {'O', {down, kScanA, 'a', {}, true}},
                                               {'F', {down, kScanF12, kSymF12, {}, true}},
                                               {'G', {down, kScanF12, kSymF12, {}, false}},
                                               {'N', {down, kScanKp5, kSymKpBegin, {}, false}},
                                               {'K', {down, kScanKp5, kSymKp5, {}, false}},
                                               {'C', {down, kScanA, 'a', {}, false, true}}};
        const std::map<char, std::pair<int, quint32>> window{
            {'W', {Qt::Key_A, kScanA}}, {'T', {Qt::Key_F12, kScanF12}}, {'B', {Qt::Key_B, 56}}};
        if (key == 'Z') {
            m_window->Settings().GlobalHotKeys = false;
            m_window->RefreshButtons();
            EXPECT_TRUE(m_fakeGlobalKeys.Names.isEmpty());
        }
        if (key == 'S') {
            m_window->Settings().ButtonRows = 1;
            m_window->Settings().ButtonCols = 1;
            m_window->ApplyConfiguration(m_window->Caption(), false);
        }
        if (key == 'L') {
            m_other.show();
            m_other.activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&m_other));
            QTest::qWait(10);
        }
        if (heard.count(key)) {
            m_fakeGlobalKeys.Play(heard.at(key));
        } else if (window.count(key)) {
            QKeyEvent event(down ? QEvent::KeyPress : QEvent::KeyRelease, window.at(key).first, {},
                            window.at(key).second, 0, 0);
            QApplication::sendEvent(m_window.get(), &event);
        }
    }
    QWidget m_other;
};

TEST_F(GlobalHotKeyTest, EveryPressHeardAnywhereIsPlayedAndReleasedOnce)
{
    EXPECT_EQ(m_fakeGlobalKeys.Names, (QStringList{"5", "A", "F12"})) << "\"a\" names no key";
    const std::pair<const char*, QStringList> cases[] = {
        {"Ewo", kPlayedA},     // pressed in another program, let go in Keyrill
        {"OWwo", kPlayedA},    // typed into Keyrill
        {"Eew", kPlayedA},     // the raw release read before the window's own
        {"TBF", {"90 04 00"}}, // the toggle's raw copy after another key: no second press
        {"NnK", {"90 03 00"}}, // the keypad follows NumLock
        {"EZeE", kPlayedA},    // released after listening ended; nothing heard once off

        {"CcE", kPlayedA.mid(0, 2)}, // Ctrl+A belongs to the other program
        {"Ec", kPlayedA},            // a key that played releases whatever is held
        {"EL", kPlayedA.mid(0, 2)},  // held across focus moves: its key-up releases it
        {"WLe", kPlayedA},           // also one pressed in Keyrill
        {"ZWL", kPlayedA},           // with the switch off, the focus loss releases
        {"ZtTt", {"90 04 00"}},      // a key-up never played here leaves the toggle off
        {"ESe", kPlayedA},           // the grid shrinks under held notes: each ends once
        {"GSg", {"90 04 00", "80 04 00"}}, // and a held toggle that leaves sends its release
    };
    for (const auto& [steps, sent] : cases) {
        SetUp();
        for (const char* step = steps; *step; ++step)
            Step(*step);
        EXPECT_EQ(Sent(), sent) << steps;
    }
}

} // namespace
