#include "DialogFixture.h"
#include "support/FakeMessageBoxes.h"

#include "dialogs/NamedColours.h"

#include <QKeyEvent>

namespace {

TEST_F(PropertiesTest, ListsHoldTheCatalogueTheHotKeysAndTheTwentyColours)
{
    const auto items = [](QComboBox* list) {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i)
            texts << list->itemText(i);
        return texts;
    };
    const QStringList kinds{"Note Off",       "Note On",          "After Touch", "Control Change",
                            "Program Change", "Channel Pressure", "Pitch Wheel", "System"};
    EXPECT_EQ(items(List("edPressMessage")), kinds);
    EXPECT_EQ(items(List("edReleaseMessage")), kinds);
    EXPECT_EQ(items(List("edButtonAction")),
              (QStringList{"Press", "Press / Release", "Toggle Action"}));
    const QStringList keys = items(List("edHotKey"));
    ASSERT_EQ(keys.size(), 61);
    EXPECT_EQ(keys.mid(0, 3), (QStringList{"", "0", "1"}));
    EXPECT_EQ(keys.mid(10, 3), (QStringList{"9", "A", "B"}));
    EXPECT_EQ(keys.mid(36, 3), (QStringList{"Z", "F1", "F2"}));
    EXPECT_EQ(keys.last(), "F24");
    for (const char* name : {"edPressButtonColour", "edReleaseTextColour"}) {
        QComboBox* list = List(name);
        ASSERT_EQ(list->count(), 20) << name;
        EXPECT_EQ(list->itemText(16), "Money Green");
        EXPECT_FALSE(list->itemIcon(0).isNull()) << "each colour has its swatch";
    }
}

TEST_F(PropertiesTest, OpensWithTitlePressTabFocusOnActionAndOkDisabled)
{
    Definition(3).Action = actToggle;
    Open(3);
    EXPECT_EQ(m_dialog->windowTitle(), "Button 3 Properties");
    EXPECT_EQ(m_dialog->size(), QSize(312, 322));
    EXPECT_EQ(Tabs()->currentIndex(), 0);
    EXPECT_EQ(QApplication::focusWidget(), List("edButtonAction"));
    EXPECT_FALSE(Push("btnOK")->isEnabled());
    QTest::keyClick(m_dialog.get(), Qt::Key_Return);
    EXPECT_TRUE(m_dialog->isVisible()) << "Enter does nothing while OK is disabled";

    Edit("edPressCaption")->setText("Kick");
    EXPECT_TRUE(Push("btnOK")->isEnabled());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_FALSE(m_dialog->isVisible());
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
    EXPECT_EQ(m_dialog->EditSet().Press.Caption, "Kick");
}

TEST_F(PropertiesTest, EscapeCancelsButTheWorkingCopyHoldsTheEdit)
{
    Open(1);
    Edit("edPressCaption")->setText("Changed");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(m_dialog->isVisible());
    EXPECT_EQ(m_dialog->result(), QDialog::Rejected);
    EXPECT_EQ(m_dialog->EditSet().Press.Caption, "Changed");
    EXPECT_EQ(Definition(1).Press.Caption, "") << "the dialog never writes the list";
}

TEST_F(PropertiesTest, LearnFillsTheSideFromTheInputUntilCancelledAndOnlyOkKeepsIt)
{
    const auto learn = [&](const char* side) { Push(side)->click(); };
    Open(1);
    learn("btReleaseLearn");
    EXPECT_EQ(Push("btReleaseLearn")->text(), "Listening...");
    learn("btPressLearn"); // the other side takes over the listening
    EXPECT_EQ(Push("btReleaseLearn")->text(), "Learn");
    std::exchange(m_learner, {})({0xB2, 20, 127}); // the input hands one message over
    EXPECT_EQ(Push("btPressLearn")->text(), "Learn");
    EXPECT_EQ(QStringList({List("edPressMessage")->currentText(), Spin("edPressChannel")->text(),
                           Spin("edPressNote")->text(), Spin("edPressVelocity")->text()}),
              QStringList({"Control Change", "3", "20", "127"}));
    EXPECT_EQ(List("edReleaseMessage")->currentIndex(), 0) << "the other side is left alone";
    learn("btReleaseLearn");
    learn("btReleaseLearn"); // a second click cancels
    EXPECT_FALSE(m_learner);
    learn("btReleaseLearn");
    QTest::keyClick(Push("btReleaseLearn"), Qt::Key_Escape); // so does Escape, the dialog stays
    EXPECT_FALSE(m_learner);
    EXPECT_TRUE(m_dialog->isVisible());
    EXPECT_EQ(Definition(1).Press.Msg.Message, 0) << "nothing applied before OK";
    m_dialog->accept();
    EXPECT_EQ(m_dialog->EditSet().Press.Msg.Message, 3);
    m_inputActive = false;
    Open(1);
    EXPECT_FALSE(Push("btPressLearn")->isEnabled());
    EXPECT_TRUE(Push("btPressLearn")->toolTip().contains("Input page"));
    m_dialog->reject();
}

TEST_F(PropertiesTest, EachKindOfEditEnablesOk)
{
    const std::vector<std::pair<const char*, std::function<void()>>> edits = {
        {"caption", [&] { Edit("edReleaseCaption")->setText("x"); }},
        {"message", [&] { List("edReleaseMessage")->setCurrentIndex(3); }},
        {"spin", [&] { Spin("edPressVelocity")->setValue(9); }},
        {"colour", [&] { List("edPressTextColour")->setCurrentIndex(4); }},
        {"hot key", [&] { List("edHotKey")->setCurrentIndex(5); }},
        {"action", [&] { List("edButtonAction")->setCurrentIndex(1); }},
    };
    for (const auto& [what, edit] : edits) {
        Open(2);
        ASSERT_FALSE(Push("btnOK")->isEnabled()) << what;
        edit();
        EXPECT_TRUE(Push("btnOK")->isEnabled()) << what;
        m_dialog->reject();
    }
}

TEST_F(PropertiesTest, ChannelIsShownFromOneAndStoredFromZero)
{
    struct Case
    {
        int stored, shown, typed, storedBack;
    };
    for (const Case& c :
         {Case{0, 1, 1, 0}, Case{15, 16, 16, 15}, Case{4, 5, 16, 15}, Case{9, 10, 1, 0}}) {
        Definition(1).Press.Msg.Channel = std::uint8_t(c.stored);
        Open(1);
        EXPECT_EQ(Spin("edPressChannel")->value(), c.shown) << c.stored;
        Spin("edPressChannel")->setValue(c.typed);
        m_dialog->accept();
        EXPECT_EQ(m_dialog->EditSet().Press.Msg.Channel, c.storedBack) << c.stored;
    }
}

TEST_F(PropertiesTest, FieldCaptionsFollowTheMessageKindOnEachSide)
{
    struct Case
    {
        int kind;
        QStringList labels;
    };
    const std::vector<Case> cases = {
        {0, {"Channel", "Note", "Velocity"}}, {3, {"Channel", "Controller", "Value"}},
        {4, {"Channel", "Program", "N/A"}},   {5, {"N/A", "Channel", "N/A"}},
        {6, {"N/A", "Pitch Lo", "Pitch Hi"}}, {7, {"System Lo", "Byte 1", "Byte 2"}},
    };
    Open(1);
    for (const char* side : {"Press", "Release"}) {
        for (const Case& c : cases) {
            List(qPrintable(QStringLiteral("ed%1Message").arg(side)))->setCurrentIndex(c.kind);
            QStringList labels;
            for (const char* field : {"Channel", "Note", "Velocity"})
                labels << Label(qPrintable(QStringLiteral("lb%1%2").arg(side, field)))->text();
            EXPECT_EQ(labels, c.labels) << side << " kind " << c.kind;
        }
    }
}

TEST_F(PropertiesTest, ProgramChangeStillSendsAndStoresTheFieldCaptionedNA)
{
    TCommandSet& d = Definition(1);
    d.Press.Msg = {4, 15, 5, 0};
    Open(1);
    EXPECT_EQ(Label("lbPressVelocity")->text(), "N/A");
    Spin("edPressVelocity")->setValue(33);
    ClickExample();
    EXPECT_EQ(m_sent, (QStringList{"1: CF 05 21"}));
    m_dialog->accept();
    EXPECT_EQ(m_dialog->EditSet().Press.Msg.Velocity, 33);
}

TEST_F(PropertiesTest, PressActionHidesTheReleaseTabAndStillStoresItsValues)
{
    Definition(1).Action = actPressRelease;
    Open(1);
    EXPECT_TRUE(Tabs()->isTabVisible(1));
    Tabs()->setCurrentIndex(1);
    Edit("edReleaseCaption")->setText("Off");
    Spin("edReleaseNote")->setValue(61);
    List("edButtonAction")->setCurrentIndex(actPress);
    EXPECT_FALSE(Tabs()->isTabVisible(1));
    m_dialog->accept();
    EXPECT_EQ(m_dialog->EditSet().Action, actPress);
    EXPECT_EQ(m_dialog->EditSet().Release.Caption, "Off");
    EXPECT_EQ(m_dialog->EditSet().Release.Msg.Note, 61);

    Open(1); // the list still says "Press / Release"
    EXPECT_TRUE(Tabs()->isTabVisible(1));
}

TEST_F(PropertiesTest, BackslashNBreaksTheExampleCaptionAndIsStoredAsTyped)
{
    Open(1);
    Edit("edPressCaption")->setText("Big\\nDrum \\N end");
    EXPECT_EQ(Example()->Caption(), "Big\nDrum \\N end");
    m_dialog->accept();
    EXPECT_EQ(m_dialog->EditSet().Press.Caption, "Big\\nDrum \\N end");
}

TEST_F(PropertiesTest, HotKeyIsMatchedWithoutCaseAndAnUnknownOneIsDropped)
{
    struct Case
    {
        QString stored, selected, storedBack;
    };
    for (const Case& c : {Case{"f5", "F5", "F5"}, Case{"k", "K", "K"}, Case{"", "", ""},
                          Case{"F25", "", ""}, Case{"Space", "", ""}}) {
        Definition(1).HotKey = c.stored;
        Open(1);
        EXPECT_EQ(List("edHotKey")->currentText(), c.selected) << qPrintable(c.stored);
        m_dialog->accept();
        EXPECT_EQ(m_dialog->EditSet().HotKey, c.storedBack) << qPrintable(c.stored);
    }
}

TEST_F(PropertiesTest, ExampleShowsThePressSideByTheAction)
{
    TCommandSet& d = Definition(1);
    d.Press.ButtonColour = 0x0000FF;
    d.Press.TextColour = 0xFFFFFF;
    d.Press.ImageIndex = 7;
    d.Release.ButtonColour = 0x00FF00;
    struct Case
    {
        int action;
        TColor held;
        int group;
    };
    for (const Case& c : {Case{actPress, 0x0000FF, 0}, Case{actPressRelease, 0x00FF00, 0},
                          Case{actToggle, 0x00FF00, 1}}) {
        d.Action = std::uint8_t(c.action);
        Open(1);
        EXPECT_EQ(Example()->Color(), 0x0000FFu);
        EXPECT_EQ(Example()->ColorHot(), 0x0000FFu);
        EXPECT_EQ(Example()->FontColor(), 0xFFFFFFu);
        EXPECT_EQ(Example()->ColorDown(), c.held) << c.action;
        EXPECT_EQ(Example()->ColorChecked(), c.held) << c.action;
        EXPECT_EQ(Example()->GroupIndex(), c.group) << c.action;
        EXPECT_EQ(Example()->AllowAllUp(), c.group == 1) << c.action;
        EXPECT_EQ(Example()->Glyph(), Icons().Glyph(7));
        EXPECT_EQ(Push("btPressIcon")->icon().isNull(), false);
        EXPECT_TRUE(Example()->font().bold());
        m_dialog->reject();
    }
}

// Just after opening nothing has changed: Enter in a spin field does nothing (the spin box's
// re-emitted text is no change); the first keystroke enables OK, also one leaving the field empty
// or out of range.
TEST_F(PropertiesTest, OkFollowsRealChangesOfTheSpinFieldsOnly)
{
    const std::pair<const char*, Qt::Key> keys[] = {{"edPressChannel", Qt::Key_Return},
                                                   {"edPressVelocity", Qt::Key_Return},
                                                   {"edPressOutputNo", Qt::Key_7},
                                                   {"edPressNote", Qt::Key_Backspace}};
    for (const auto& [name, key] : keys) {
        Open(1);
        Spin(name)->setFocus();
        Spin(name)->selectAll();
        QTest::keyClick(Spin(name), key);
        EXPECT_TRUE(m_dialog->isVisible()) << name;
        EXPECT_EQ(Push("btnOK")->isEnabled(), key != Qt::Key_Return) << name;
        m_dialog->reject();
    }
}

// ---- the Example sends ----

class ExampleTest : public PropertiesTest
{
protected:
    // Press: Note On 60/100 on output 1 (red); Release: Note Off 60 on output 2 (green).
    void Define(int action)
    {
        TCommandSet& d = Definition(1);
        d.Action = std::uint8_t(action);
        d.Press.Caption = "On";
        d.Press.Msg = {1, 0, 60, 100};
        d.Press.ButtonColour = 0x0000FF;
        d.Release.Caption = "Off";
        d.Release.Msg = {0, 0, 60, 0};
        d.Release.Output = 2;
        d.Release.ButtonColour = 0x00FF00;
        d.Release.TextColour = 0xFFFFFF;
    }
};

TEST_F(ExampleTest, PressActionSendsOnPressOnly)
{
    Define(actPress);
    Open(1);
    PressExample();
    EXPECT_EQ(m_sent, (QStringList{"1: 90 3C 64"}));
    ReleaseExample();
    EXPECT_EQ(m_sent.size(), 1);
    m_dialog->reject();
    EXPECT_EQ(m_sent.size(), 1) << "a Press message has no Release";
}

TEST_F(ExampleTest, PressReleaseSendsBothAndShowsTheReleaseFaceWhileHeld)
{
    Define(actPressRelease);
    Open(1);
    PressExample();
    EXPECT_EQ(m_sent, (QStringList{"1: 90 3C 64"}));
    EXPECT_EQ(Example()->Caption(), "Off");
    EXPECT_EQ(Example()->FontColor(), 0xFFFFFFu);
    ReleaseExample();
    EXPECT_EQ(m_sent, (QStringList{"1: 90 3C 64", "2: 80 3C 00"}));
    EXPECT_EQ(Example()->Caption(), "On");
    EXPECT_EQ(Example()->FontColor(), 0u);
    m_dialog->reject();
    EXPECT_EQ(m_sent.size(), 2) << "sent messages stay sent; nothing more on cancel";
}

TEST_F(ExampleTest, ToggleClicksSendPressThenReleaseAndClosingWhileDownSendsNothing)
{
    Define(actToggle);
    Open(1);
    ClickExample();
    EXPECT_EQ(m_sent, (QStringList{"1: 90 3C 64"}));
    EXPECT_TRUE(Example()->Down());
    EXPECT_EQ(Example()->Caption(), "Off");
    EXPECT_EQ(Example()->ColorHot(), 0x00FF00u);
    m_dialog->reject();
    EXPECT_EQ(m_sent.size(), 1) << "closing while down sends nothing";

    Open(1); // same button, same action: the Example is still down
    EXPECT_TRUE(Example()->Down());
    PressExample();
    EXPECT_EQ(Example()->ColorHot(), 0x0000FFu);
    ReleaseExample();
    EXPECT_EQ(m_sent, (QStringList{"1: 90 3C 64", "2: 80 3C 00"}));
    EXPECT_FALSE(Example()->Down());
    EXPECT_EQ(Example()->Caption(), "On");
}

TEST_F(ExampleTest, RightAndMiddleClicksSendNothing)
{
    for (int action : {actPress, actPressRelease, actToggle}) {
        Define(action);
        Open(1);
        for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
            PressExample(button);
            ReleaseExample(button);
        }
        EXPECT_TRUE(m_sent.isEmpty()) << action;
        EXPECT_FALSE(Example()->Down()) << action;
        m_dialog->reject();
    }
}

TEST_F(ExampleTest, SendsTheFieldsAsShownNotTheWorkingCopy)
{
    Define(actPress);
    Open(1);
    List("edPressMessage")->setCurrentIndex(3);
    Spin("edPressChannel")->setValue(10);
    Spin("edPressNote")->setValue(7);
    Spin("edPressOutputNo")->setValue(3);
    // Typed and not yet tidied (the Example never takes the focus): counts as the bound.
    Spin("edPressVelocity")->setFocus();
    Spin("edPressVelocity")->findChild<QLineEdit*>()->setText("300");
    ClickExample();
    EXPECT_EQ(m_sent, (QStringList{"3: B9 07 7F"}));
}

TEST_F(ExampleTest, ClosingWhilePushExampleIsHeldSendsItsReleaseOnce)
{
    Define(actPressRelease);
    Open(1);
    PressExample();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(m_dialog->isVisible());
    EXPECT_EQ(m_sent, (QStringList{"1: 90 3C 64", "2: 80 3C 00"}));
    EXPECT_FALSE(Example()->Tracking()) << "let go, not painted pressed at the next opening";
    ReleaseExample(); // a late button-up, should one still arrive
    EXPECT_EQ(m_sent.size(), 2);
}

// The Press's send fails and its error box takes the button-up with it: the Release follows the
// real pointer, and the next click starts afresh.
TEST_F(ExampleTest, AnErrorBoxDuringThePressLeavesNoReleaseOwed)
{
    Define(actPressRelease);
    Open(1);
    TFakeMessageBoxes boxes;
    m_onSend = [&] {
        m_onSend = nullptr;
        boxes.Show("Error", "MIDI port error on output 1.(MIDI Device # 0)", TBoxIcon::Error);
    };
    m_pointerHeld = true;
    PressExample();
    QTest::qWait(50);
    EXPECT_EQ(m_sent, (QStringList{"1: 90 3C 64"})) << "held: no Release yet";
    m_pointerHeld = false; // let go; the widget never hears of it
    EXPECT_EVENTUALLY(m_sent == (QStringList{"1: 90 3C 64", "2: 80 3C 00"}));
    EXPECT_EQ(Example()->Caption(), "On");
    EXPECT_FALSE(Example()->Tracking());
    ClickExample();
    EXPECT_EQ(m_sent, (QStringList{"1: 90 3C 64", "2: 80 3C 00", "1: 90 3C 64", "2: 80 3C 00"}));
}

TEST_F(ExampleTest, ToggleLetGoOutsideIsReleasedWhenTheDialogCloses)
{
    Define(actToggle);
    Open(1);
    PressExample();
    ReleaseExample(Qt::LeftButton, QPoint(-20, -20));
    EXPECT_FALSE(Example()->Down());
    EXPECT_EQ(m_sent, (QStringList{"1: 90 3C 64"}));
    m_dialog->reject();
    EXPECT_EQ(m_sent, (QStringList{"1: 90 3C 64", "2: 80 3C 00"}));
}

TEST_F(ExampleTest, LettingGoOfALatchedToggleSendsItsReleaseFirst)
{
    const std::vector<std::pair<const char*, std::function<void()>>> ways = {
        {"another action", [&] { List("edButtonAction")->setCurrentIndex(actPressRelease); }},
        {"another button",
         [&] {
             m_dialog->reject();
             Definition(2).Action = actToggle;
             Open(2);
         }},
    };
    for (const auto& [way, letGo] : ways) {
        Define(actToggle);
        Open(1);
        ClickExample();
        ASSERT_TRUE(Example()->Down());
        m_sent.clear();
        letGo();
        EXPECT_EQ(m_sent, (QStringList{"2: 80 3C 00"})) << way;
        EXPECT_FALSE(Example()->Down()) << way;
        m_dialog->reject();
    }
}

TEST_F(ExampleTest, OpeningTheChooserWhileTheExampleIsHeldSendsItsReleaseFirst)
{
    Define(actPressRelease);
    Open(1);
    PressExample();
    ChooseIcon("btPressIcon", [&](TfmImageBrowser&) {
        EXPECT_EQ(m_sent, (QStringList{"1: 90 3C 64", "2: 80 3C 00"}));
    });
}

// ---- icons ----

TEST_F(PropertiesTest, ChooserStartsOnTheActiveSidesIconAndOkTakesTheSelection)
{
    Definition(1).Action = actPressRelease;
    Definition(1).Release.ImageIndex = 7;
    Open(1);
    Tabs()->setCurrentIndex(1);
    ChooseIcon("btReleaseIcon", [&](TfmImageBrowser& chooser) {
        EXPECT_EQ(chooser.SelectedIndex(), 7);
        EXPECT_EQ(chooser.pos(), m_dialog->mapToGlobal(QPoint(0, 0)));
        chooser.SetSelectedIndex(12);
        chooser.accept();
    });
    EXPECT_EQ(m_dialog->IconTag(TfmProperties::sdRelease), 12);
    EXPECT_TRUE(Push("btnOK")->isEnabled());
    m_dialog->accept();
    EXPECT_EQ(m_dialog->EditSet().Release.ImageIndex, 12);
}

TEST_F(PropertiesTest, ChooserOkWithNothingSelectedRemovesTheIcon)
{
    Definition(1).Press.ImageIndex = 3;
    Open(1);
    ASSERT_FALSE(Example()->Glyph().isNull());
    ChooseIcon("btPressIcon", [&](TfmImageBrowser& chooser) {
        chooser.SetSelectedIndex(-1);
        QTest::keyClick(chooser.Viewer(), Qt::Key_Return);
    });
    EXPECT_EQ(m_dialog->IconTag(TfmProperties::sdPress), -1);
    EXPECT_TRUE(Push("btPressIcon")->icon().isNull());
    EXPECT_TRUE(Example()->Glyph().isNull());
}

TEST_F(PropertiesTest, ChooserCancelKeepsTheIcon)
{
    Definition(1).Press.ImageIndex = 7;
    Open(1);
    ChooseIcon("btPressIcon", [&](TfmImageBrowser& chooser) {
        chooser.SetSelectedIndex(20);
        QTest::keyClick(chooser.Viewer(), Qt::Key_Escape);
    });
    EXPECT_EQ(m_dialog->IconTag(TfmProperties::sdPress), 7);
    EXPECT_FALSE(Push("btnOK")->isEnabled());
}

// ---- values a hand-edited file can hold ----

TEST_F(PropertiesTest, KindOutsideTheCatalogueShowsNoneSendsNothingAndIsKept)
{
    TCommandSet& d = Definition(1);
    d.Press.Msg = {9, 0, 60, 100};
    d.Press.Output = 9;
    Open(1);
    EXPECT_EQ(List("edPressMessage")->currentIndex(), -1);
    EXPECT_EQ(Label("lbPressNote")->text(), "Note");
    EXPECT_EQ(Spin("edPressOutputNo")->value(), 4);
    ClickExample();
    EXPECT_TRUE(m_sent.isEmpty());
    Edit("edPressCaption")->setText("x");
    m_dialog->accept();
    EXPECT_EQ(m_dialog->EditSet().Press.Msg.Message, 9);
    EXPECT_EQ(m_dialog->EditSet().Press.Output, 4) << "the output as shown";
}

TEST_F(PropertiesTest, ColourOutsideTheTwentyShowsNoneAndIsKeptOnOk)
{
    TCommandSet& d = Definition(1);
    d.Press.ButtonColour = 0x123456;
    d.Press.TextColour = 0x00FFFF;
    Open(1);
    EXPECT_EQ(List("edPressButtonColour")->currentIndex(), -1);
    EXPECT_EQ(List("edPressTextColour")->currentText(), "Yellow");
    EXPECT_EQ(Example()->Color(), 0x123456u);
    Edit("edPressCaption")->setText("x");
    m_dialog->accept();
    EXPECT_EQ(m_dialog->EditSet().Press.ButtonColour, 0x123456u);
    EXPECT_EQ(m_dialog->EditSet().Press.TextColour, 0x00FFFFu);
}

// ---- keyboard ----

TEST_F(PropertiesTest, TabWalksActionCancelOkTabsThePageThenHotKey)
{
    Definition(1).Action = actPressRelease;
    Open(1);
    Edit("edPressCaption")->setText("enable OK");
    List("edButtonAction")->setFocus();
    QStringList order;
    for (int i = 0; i < 18; ++i) {
        order << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    const QStringList expected{"edButtonAction",
                               "btCancel",
                               "btnOK",
                               "qt_tabwidget_tabbar",
                               "edPressCaption",
                               "edPressMessage",
                               "edPressChannel",
                               "edPressNote",
                               "edPressVelocity",
                               "edPressOutputNo",
                               "btPressLearn",
                               "edPressButtonColour",
                               "edPressTextColour",
                               "btPressIcon",
                               "edPressMore",
                               "btPressShowControl",
                               "edHotKey",
                               "edButtonAction"};
    EXPECT_EQ(order, expected);
}

TEST_F(PropertiesTest, EnterInAFieldPressesOkAndCancelIsNeverTheDefault)
{
    Open(1);
    Push("btCancel")->setFocus();
    Edit("edPressCaption")->setText("x");
    Push("btCancel")->setFocus();
    QTest::keyClick(Push("btCancel"), Qt::Key_Return);
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
}

TEST_F(PropertiesTest, ABadListItemIsNamedAndKeepsOkOffUntilMendedAndTheExamplePlaysTheList)
{
    Open(1);
    Edit("edPressMore")->setText("90 3C 64; 90 3C");
    EXPECT_EQ(Label("lbPressMoreProblem")->text(), "Item 2 \"90 3C\": 90 takes 2 data byte(s)");
    EXPECT_FALSE(Push("btnOK")->isEnabled());
    Edit("edPressMore")->setText("90 3C 64; wait 5; 90 3C 00");
    EXPECT_TRUE(Push("btnOK")->isEnabled());
    ClickExample();
    EXPECT_EQ(m_sent, (QStringList{"1: 80 00 00", "then 90 3C 64; wait 5; 90 3C 00"}));
    QTest::keyClick(Push("btnOK"), Qt::Key_Return);
    EXPECT_EQ(m_dialog->EditSet().Press.More.Text(), "90 3C 64; wait 5; 90 3C 00");
}

} // namespace
