// The playing rules without a window: scripts of presses and releases by several sources, boxes
// that open inside a send, feedback, edits, a shrinking grid and shutdown, against what goes out.

#include "support/PlayerRig.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QCoreApplication& App()
{
    static int argc = 1;
    static char name[] = "test_play";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

// Button 1 and 4 "Press / Release", 2 a toggle, 3 a plain "Press"; button n plays note n.
constexpr std::uint8_t kActions[] = {actPressRelease, actToggle, actPress, actPressRelease};

struct TScript
{
    const char* Name;
    // Steps, by spaces: SOURCE+N presses button N, SOURCE- releases all the source holds;
    // sources m (mouse), a (screen reader), kX (key X, pressing as a key does), tX (finger X).
    // c: the fingers are cancelled; fN+ / fN-: the other end says button N is on / off;
    // eN: button N's definition is edited; sN: N buttons stay in play; x: shutdown; o: reopen;
    // !: the next step's send fails and the step after runs inside its error box; w: the event
    // loop runs; lN: button N's Press side goes on with "F0 7D 0N F7; wait 30; 90 1N 64" and
    // its Release side with "wait 30; 80 1N 00"; W: the event loop runs past the waits.
    const char* Steps;
    QStringList Sent;
    const char* Pressed; // each button's Pressed afterwards, "0" or "1"
};

void PrintTo(const TScript& script, std::ostream* out)
{
    *out << script.Steps;
}

class PlayerTest : public testing::TestWithParam<TScript>, protected TPlayerRig
{
protected:
    PlayerTest()
    {
        App();
        for (int n = 1; n <= 4; ++n) {
            TCommandSet& d = m_list.Get(m_list.Add());
            d.Action = kActions[n - 1];
            d.Press.Msg = {1, 0, std::uint8_t(n), 100};
            d.Release.Msg = {0, 0, std::uint8_t(n), 0};
        }
        m_player.SetDefinitions(&m_list);
        m_player.SetButtonsInPlay(4);
        m_service.ClearRecords();
    }

    static TPressSource Source(const QString& name)
    {
        const int id = name.mid(1).toInt();
        switch (name[0].toLatin1()) {
        case 'm':
            return TPressSource::Mouse();
        case 'a':
            return TPressSource::Accessibility();
        case 'k':
            return TPressSource::Key(quint32(id), 0);
        default:
            return TPressSource::Touch(id);
        }
    }

    void Run(const QString& step)
    {
        const int number = step.mid(1).remove(QRegularExpression("[+-]$")).toInt();
        if (const qsizetype plus = step.indexOf('+'); plus > 0 && step[0] != 'f') {
            const TPressSource source = Source(step.left(plus));
            const int button = step.mid(plus + 1).toInt();
            if (source.IsKey())
                m_player.Press(std::span<const int>(&button, 1), source);
            else
                m_player.Press(button, source);
        } else if (step.endsWith('-') && step[0] != 'f') {
            m_player.Release(Source(step.chopped(1)));
        } else if (step == "c") {
            m_player.ReleaseIf([](const THeldPress& h) { return h.Source.Kind == TSourceKind::Touch; });
        } else if (step[0] == 'f') {
            const TCommandSet& d = m_list.Get(number - 1);
            const TMidiMsg& side = step.endsWith('+') ? d.Press.Msg : d.Release.Msg;
            const TShortMessage message = *BuildShortMessage(side);
            m_player.Feedback(std::span<const TShortMessage>(&message, 1));
        } else if (step[0] == 'e') {
            m_list.Get(number - 1).Press.Msg.Velocity = 1;
            m_player.DefinitionsChanged();
        } else if (step[0] == 's') {
            m_player.SetButtonsInPlay(number);
        } else if (step == "x") {
            m_player.Close();
        } else if (step == "o") {
            m_player.Reopen();
        } else if (step == "w") {
            QTest::qWait(5);
        } else if (step[0] == 'l') {
            TCommandSet& d = m_list.Get(number - 1);
            d.Press.More =
                TMessageList(QStringLiteral("F0 7D 0%1 F7; wait 30; 90 1%1 64").arg(number));
            d.Release.More = TMessageList(QStringLiteral("wait 30; 80 1%1 00").arg(number));
            m_player.DefinitionsChanged();
        } else if (step == "W") {
            QTest::qWait(100);
        }
    }

    QStringList Sent() const
    {
        QStringList sent;
        for (const auto& message : m_service.Sent())
            if (!message.Long.empty())
                sent << QByteArray(reinterpret_cast<const char*>(message.Long.data()),
                                   qsizetype(message.Long.size()))
                            .toHex(' ');
            else
                sent << QStringLiteral("%1 %2 %3")
                            .arg(message.Bytes[0], 2, 16, QChar('0'))
                            .arg(message.Bytes[1], 2, 16, QChar('0'))
                            .arg(message.Bytes[2], 2, 16, QChar('0'));
        return sent;
    }

};

TEST_P(PlayerTest, EveryPressEndsWithOneRelease)
{
    const QStringList steps = QString(GetParam().Steps).split(' ');
    for (qsizetype i = 0; i < steps.size(); ++i) {
        if (steps[i] != "!") {
            Run(steps[i]);
            continue;
        }
        const QString inside = steps[i + 2];
        m_service.FailSend = "Device gone";
        m_boxes.OnShow = [&](const TFakeMessageBoxes::TBox&) {
            m_service.FailSend.reset();
            m_boxes.OnShow = nullptr;
            Run(inside);
        };
        Run(steps[i + 1]);
        i += 2;
    }
    EXPECT_EQ(Sent(), GetParam().Sent);
    QString pressed;
    for (int n = 1; n <= std::min(4, m_list.Count()); ++n)
        pressed += m_list.Get(n - 1).Pressed ? '1' : '0';
    EXPECT_EQ(pressed, GetParam().Pressed);
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, PlayerTest,
    testing::Values(
        TScript{"MouseAndKeyOnOneButton", "m+1 k7+1 m- k7-", {"90 01 64", "80 01 00"}, "0000"},
        TScript{"KeyThenFingerOnOneButton", "k7+1 t1+1 k7- t1-", {"90 01 64", "80 01 00"}, "0000"},
        TScript{"TwoFingersTwoNotes", "t1+1 t2+4 t1- t2-",
                {"90 01 64", "90 04 64", "80 01 00", "80 04 00"}, "0000"},
        TScript{"CancelReleasesEveryFingerOnly", "t1+1 t2+4 m+3 c",
                {"90 01 64", "90 04 64", "90 03 64", "80 01 00", "80 04 00"}, "0000"},
        TScript{"ToggleHeldByTwoSources", "t1+2 m+2 t1- m- t1+2 t1-", {"90 02 64", "80 02 00"},
                "0000"},
        TScript{"PlainPressSendsOnEveryPress", "t1+3 t2+3 t1- t2-", {"90 03 64", "90 03 64"},
                "0000"},
        TScript{"APointerPressEndsItsLostHold", "m+1 m+4 m-",
                {"90 01 64", "80 01 00", "90 04 64", "80 04 00"}, "0000"},
        TScript{"AReleaseInsideThePressBoxWaits", "! m+1 m- w", {"80 01 00"}, "0000"},
        TScript{"AnotherKeysReleaseInsideTheBoxGoesAtOnce", "k7+4 ! m+1 k7- w m-",
                {"90 04 64", "80 04 00", "80 01 00"}, "0000"},
        TScript{"FeedbackOnAHeldToggleWaitsForItsRelease", "k7+2 f2- k7- w", {"90 02 64"},
                "0000"},
        TScript{"FeedbackSwitchesAToggleOn", "f2+ t1+2 t1-", {"80 02 00"}, "0000"},
        TScript{"AnEditWhileHeldReleasesWhatWasPressed", "m+1 e1 m-", {"90 01 64", "80 01 00"},
                "0000"},
        TScript{"ShrinkingEndsEachHoldOnce", "k7+4 k8+2 s1",
                {"90 04 64", "90 02 64", "80 04 00", "80 02 00"}, "0000"},
        TScript{"ShrinkingReleasesAToggleLeftOn", "t1+2 t1- s1", {"90 02 64", "80 02 00"},
                "0000"},
        TScript{"ShutdownReleasesAllThenTakesNoPress", "m+1 t1+4 x m+3 k7+3 t2+2",
                {"90 01 64", "90 04 64", "80 01 00", "80 04 00"}, "0000"},
        TScript{"ReopenedTakesPressesAgain", "x o t1+1", {"90 01 64"}, "1000"},
        TScript{"AReleaseDuringAWaitWaitsItsTurn", "l1 m+1 m- W",
                {"90 01 64", "f0 7d 01 f7", "90 11 64", "80 01 00", "80 11 00"}, "0000"},
        TScript{"AToggleReleaseWaitsForItsPressList", "l2 t1+2 t1- t1+2 t1- W",
                {"90 02 64", "f0 7d 02 f7", "90 12 64", "80 02 00", "80 12 00"}, "0000"},
        TScript{"OtherButtonsDoNotWait", "l1 m+1 k7+4 k7- W",
                {"90 01 64", "f0 7d 01 f7", "90 04 64", "80 04 00", "90 11 64"}, "1000"},
        TScript{"ShutdownDropsAWaitingPressListAndSendsTheRelease", "l1 m+1 x",
                {"90 01 64", "f0 7d 01 f7", "80 01 00", "80 11 00"}, "0000"}),
    [](const testing::TestParamInfo<TScript>& info) { return info.param.Name; });

class PlayerLists : public PlayerTest
{
};

// A side whose sends all fail shows one box, not one per message, across its wait too.
TEST_F(PlayerLists, AFailingSideReportsOnce)
{
    Run("l1");
    m_service.FailSend = "Device gone";
    Run("m+1");
    Run("W");
    EXPECT_EQ(m_boxes.Boxes.size(), 1u);
    m_service.FailSend.reset();
    Run("m-");
    Run("W");
    EXPECT_EQ(Sent(), (QStringList{"80 01 00", "80 11 00"}));
}

} // namespace
