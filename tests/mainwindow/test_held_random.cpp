// Thousands of random interleavings of what a user can do to a 4 x 4 grid of "Press / Release"
// buttons; whatever the order, every Note On gets its Note Off and no button stays drawn held.
#include "MainWindowFixture.h"
#include "support/FakeKeyboardMap.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>

#include <map>
#include <random>
#include <set>

namespace {

using namespace TestKeys;

// A physical key of the test's keyboard: its scan code, its Qt key plain and with Shift.
struct TTestKey
{
    quint32 Scan;
    int Plain;
    int Shifted;
};

constexpr TTestKey kKeys[] = {
    {kScan1, Qt::Key_1, Qt::Key_Exclam}, {11, Qt::Key_2, Qt::Key_At},
    {12, Qt::Key_3, Qt::Key_NumberSign}, {kScanA, Qt::Key_A, Qt::Key_A},
    {56, Qt::Key_B, Qt::Key_B},          {54, Qt::Key_C, Qt::Key_C},
    {kScanKp1, Qt::Key_1, Qt::Key_End}, // keypad 1: its keys are with and without NumLock
};
constexpr int kKeyCount = int(std::size(kKeys));
const char* const kHotKeys[] = {"1", "2", "3", "A", "B", "C"};

std::map<quint32, std::vector<quint32>> KeyMap()
{
    return {{kScan1, {'1', '!'}},
            {11, {'2', '@'}},
            {12, {'3', '#'}},
            {kScanA, {'a', 'A'}},
            {56, {'b', 'B'}},
            {54, {'c', 'C'}},
            {kScanKp1, {kSymKpEnd, kSymKp1}},
            {kScanShiftL, {kSymShiftL}}};
}

// Buttons 1 to 12 share six hot keys two by two; 13 to 16 have none. Button n plays note 40 + n.
QByteArray GridSettings()
{
    QByteArray text =
        kOutput1Active + "[General]\nButton Rows=4\nButton Cols=4\nGlobal Hot Keys=1\n";
    for (int n = 1; n <= 16; ++n) {
        const QByteArray note = QByteArray::number(40 + n);
        text += "[Button " + QByteArray::number(n) + "]\nAction=1\nMessage=1\nVelocity=100\n" +
                "Caption=P" + QByteArray::number(n) + "\nNote=" + note + "\n";
        if (n <= 12)
            text += QByteArray("HotKey=") + kHotKeys[(n - 1) % 6] + "\n";
        text += "[Button " + QByteArray::number(n) + " Release]\nCaption=R\nNote=" + note + "\n";
    }
    return text;
}

class HeldRandomTest : public MainWindowTest
{
protected:
    // The user's hands and what the screen shows them.
    int m_mouseOn = 0; // the button the left mouse button holds, 0 for none
    std::set<int> m_keysDown;
    bool m_shift = false;
    bool m_numLock = true;
    bool m_elsewhere = false; // another window has the keyboard
    QString m_log;
    std::mt19937 m_random;
    std::unique_ptr<QWidget> m_other;

    int Pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(m_random); }
    bool Chance(int percent) { return Pick(100) < percent; }
    QMenu* Menu() const { return m_window->PopupMenu(); }
    bool MenuOpen() const { return Menu()->isVisible(); }

    void Log(const QString& step) { m_log += step + "; "; }

    // Where the keyboard goes: the open menu, the window, or another program.
    QObject* KeyboardTarget() const
    {
        if (MenuOpen())
            return Menu();
        return m_elsewhere ? nullptr : m_window.get();
    }

    void SendKey(QEvent::Type type, int key, quint32 scan, Qt::KeyboardModifiers modifiers,
                 bool repeat = false)
    {
        if (QObject* target = KeyboardTarget()) {
            QKeyEvent event(type, key, modifiers, scan, 0, 0, QString(), repeat);
            QApplication::sendEvent(target, &event);
        }
    }

    // A key typed anywhere: the window or its menu get it when they have the keyboard; the
    // desktop-wide listener hears it always, before or after them (not its auto-repeat).
    void PhysicalKey(QEvent::Type type, int index, bool repeat = false, bool heard = true)
    {
        const TTestKey& key = kKeys[index];
        const bool keypad = key.Scan == kScanKp1;
        Qt::KeyboardModifiers modifiers = m_shift ? Qt::ShiftModifier : Qt::NoModifier;
        if (keypad)
            modifiers |= Qt::KeypadModifier;
        const int qtKey =
            keypad ? (m_numLock ? key.Plain : key.Shifted) : (m_shift ? key.Shifted : key.Plain);
        const bool heardFirst = Chance(50);
        const quint32 sym = keypad ? (m_numLock ? kSymKp1 : kSymKpEnd) : KeyMap()[key.Scan][0];
        const TGlobalKey global{type == QEvent::KeyPress, key.Scan, sym, {}, !!KeyboardTarget()};
        if (heard && heardFirst)
            m_fakeGlobalKeys.Play(global);
        SendKey(type, qtKey, key.Scan, modifiers, repeat);
        if (heard && !heardFirst)
            m_fakeGlobalKeys.Play(global);
    }

    void SetElsewhere(bool elsewhere)
    {
        m_elsewhere = elsewhere;
        QWidget* active = elsewhere ? m_other.get() : static_cast<QWidget*>(m_window.get());
        active->activateWindow();
        for (int i = 0; i < 50 && !active->isActiveWindow(); ++i)
            QTest::qWait(1);
    }

    void ChooseFromMenu()
    {
        const char* items[] = {"ButtonCut1", "ButtonCopy1", "ButtonPaste1"};
        QAction* action = m_window->MenuItem(items[Pick(3)]);
        if (action->isEnabled()) {
            Log(action->objectName());
            action->trigger();
        }
        Menu()->close();
    }

    // One random step of the user; false when the window has closed.
    bool Step()
    {
        switch (Pick(12)) {
        case 0:
        case 1:
            if (m_mouseOn == 0 && !MenuOpen()) {
                if (m_elsewhere)
                    SetElsewhere(false); // a click brings the window back
                m_mouseOn = 1 + Pick(16);
                Log(QStringLiteral("mouse down %1").arg(m_mouseOn));
                Press(m_mouseOn);
            } else if (m_mouseOn != 0) {
                Log("mouse up");
                if (MenuOpen())
                    QTest::mouseRelease(Menu(), Qt::LeftButton, {}, QPoint(2, 2));
                else
                    Release(m_mouseOn, Qt::LeftButton, Chance(30) ? QPoint(300, 5) : QPoint(5, 5));
                m_mouseOn = 0;
            }
            break;
        case 2:
            if (!MenuOpen() && !m_elsewhere) {
                const int n = 1 + Pick(16);
                Log(QStringLiteral("menu on %1").arg(n));
                Press(n, Qt::RightButton);
                Release(n, Qt::RightButton);
            }
            break;
        case 3:
        case 4:
        case 5: {
            const int key = Pick(kKeyCount);
            const bool down = m_keysDown.count(key) == 0;
            Log(QStringLiteral("key %1 %2").arg(key).arg(down ? "down" : "up"));
            PhysicalKey(down ? QEvent::KeyPress : QEvent::KeyRelease, key);
            if (down)
                m_keysDown.insert(key);
            else
                m_keysDown.erase(key);
            break;
        }
        case 6:
            if (!m_keysDown.empty()) {
                // Detectable auto-repeat: presses alone (some marked as repeats by Qt).
                const int key = *std::next(m_keysDown.begin(), Pick(int(m_keysDown.size())));
                Log(QStringLiteral("key %1 repeat").arg(key));
                PhysicalKey(QEvent::KeyPress, key, Chance(50), false);
            }
            break;
        case 7:
            m_shift = !m_shift;
            Log(m_shift ? "shift down" : "shift up");
            SendKey(m_shift ? QEvent::KeyPress : QEvent::KeyRelease, Qt::Key_Shift, kScanShiftL,
                    m_shift ? Qt::ShiftModifier : Qt::NoModifier);
            break;
        case 8:
            m_numLock = !m_numLock;
            Log("numlock");
            SendKey(QEvent::KeyPress, Qt::Key_NumLock, 77, {});
            SendKey(QEvent::KeyRelease, Qt::Key_NumLock, 77, {});
            break;
        case 9:
            if (MenuOpen())
                ChooseFromMenu();
            break;
        case 10:
            if (MenuOpen() && Chance(50)) {
                Log("menu closed");
                Menu()->close();
            } else if (!MenuOpen()) {
                Log(m_elsewhere ? "focus back" : "focus lost");
                SetElsewhere(!m_elsewhere);
            }
            break;
        case 11:
            if (Chance(5)) {
                Log("close");
                if (MenuOpen())
                    Menu()->close();
                return !m_window->close();
            }
            break;
        }
        QCoreApplication::processEvents();
        return true;
    }

    // The hands let go of everything.
    void LetGo()
    {
        if (MenuOpen() && Chance(50))
            Menu()->close();
        if (m_mouseOn != 0) {
            if (MenuOpen())
                QTest::mouseRelease(Menu(), Qt::LeftButton, {}, QPoint(2, 2));
            else
                Release(m_mouseOn);
            m_mouseOn = 0;
        }
        for (int key : m_keysDown)
            PhysicalKey(QEvent::KeyRelease, key);
        m_keysDown.clear();
        if (MenuOpen())
            Menu()->close();
        QCoreApplication::processEvents();
    }

    // Every note that went on went off again, last of all; a note never went on twice in a row
    // without as many offs.
    void ExpectNoHangingNote(int episode) const
    {
        std::map<int, int> balance; // ons minus offs, per note
        std::map<int, bool> on;
        for (const auto& sent : m_service.Sent()) {
            const int note = sent.Bytes[1];
            if (sent.Bytes[0] == 0x90) {
                ++balance[note];
                on[note] = true;
            } else if (sent.Bytes[0] == 0x80) {
                --balance[note];
                on[note] = false;
            }
        }
        for (const auto& [note, isOn] : on) {
            EXPECT_FALSE(isOn) << "note " << note << " hangs in episode " << episode << ": "
                               << m_log.toStdString();
            EXPECT_LE(balance[note], 0) << "note " << note << " started more often than ended"
                                        << " in episode " << episode << ": " << m_log.toStdString();
        }
    }

    void ExpectNothingDrawnHeld(int episode) const
    {
        for (int n = 1; n <= 16; ++n) {
            const TQelSpeedButton* button = Button(n);
            const TCommandSet& d = m_window->CommandList()->Get(n - 1);
            EXPECT_EQ(button->State(), TAdvToolButton::TState::Up) << n << " " << episode;
            EXPECT_EQ(button->BorderColor(), kColorNone) << n << " " << episode;
            EXPECT_EQ(button->Caption(), d.Press.Caption) << n << " " << episode;
            EXPECT_FALSE(d.Pressed) << n << " " << episode;
        }
        EXPECT_TRUE(m_window->Player().Empty()) << episode;
    }
};

TEST_F(HeldRandomTest, NoInterleavingLeavesANoteHangingOrAButtonHeld)
{
    m_random.seed(20261209);
    m_other = std::make_unique<QWidget>();
    m_other->show();
    int steps = 0;
    for (int episode = 0; episode < 80; ++episode) {
        WriteSettings(GridSettings());
        Start();
        m_window->Keys().SetKeyboardMap(std::make_unique<TFakeKeyboardMap>(KeyMap()));
        SetElsewhere(false);
        m_service.ClearRecords();
        m_mouseOn = 0;
        m_keysDown.clear();
        m_shift = false;
        m_numLock = true;
        m_log.clear();
        bool open = true;
        for (int i = 0; i < 80 && open; ++i, ++steps)
            open = Step();
        if (open) {
            LetGo();
            ExpectNothingDrawnHeld(episode);
            ExpectNoHangingNote(episode);
            ASSERT_TRUE(m_window->close());
        }
        ExpectNoHangingNote(episode);
        if (HasFailure())
            break;
        m_window.reset();
    }
    EXPECT_GT(steps, 4000) << "thousands of steps";
}

} // namespace
