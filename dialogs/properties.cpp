#include "properties.h"

#include "BoundedSpinBox.h"
#include "DialogPlacement.h"
#include "ImageChooser.h"
#include "NamedColours.h"
#include "ShowControlDialog.h"
#include "model/MidiCatalogue.h"
#include "ui_properties.h"
#include "widgets/ImageList.h"
#include "widgets/ReleaseWatch.h"
#include "widgets/TAdvToolButton.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QShowEvent>

namespace {

constexpr int kReleaseTab = 1;
constexpr int kMoreHeight = 56; // the rows of further messages under each side's fields

// The 61 hot-key entries: none, "0" to "9", "A" to "Z", "F1" to "F24".
QStringList HotKeyEntries()
{
    QStringList entries{QString()};
    for (char c = '0'; c <= '9'; ++c)
        entries << QString(QChar(c));
    for (char c = 'A'; c <= 'Z'; ++c)
        entries << QString(QChar(c));
    for (int f = 1; f <= 24; ++f)
        entries << QStringLiteral("F%1").arg(f);
    return entries;
}

// A message list position that names a kind of the catalogue (the list shows no selection for
// a kind that a hand-edited file put outside it).
bool IsKind(int position)
{
    return position >= 0 && position < kMsgKindCount;
}

} // namespace

TfmProperties::TfmProperties(TPropertiesLinks links, QWidget* parent)
    : QDialog(parent, kToolWindowFlags | Qt::MSWindowsFixedSizeDialogHint),
      ui(std::make_unique<Ui::TfmProperties>()), m_links(std::move(links))
{
    ui->setupUi(this);
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child != ui->PageControl)
            child->move(child->pos() + QPoint(0, kMoreHeight));
    ui->PageControl->resize(ui->PageControl->width(), ui->PageControl->height() + kMoreHeight);
    resize(width(), height() + kMoreHeight);
    setFixedSize(size());
    m_releaseWatch = new TReleaseWatch(
        *this, m_links.PointerHeld
                   ? m_links.PointerHeld
                   : [] { return QGuiApplication::mouseButtons() != Qt::NoButton; });
    m_sides[sdPress] = {ui->edPressCaption,      ui->edPressMessage,    ui->edPressChannel,
                        ui->edPressNote,         ui->edPressVelocity,   ui->edPressOutputNo,
                        ui->edPressButtonColour, ui->edPressTextColour, ui->btPressIcon,
                        ui->lbPressChannel,      ui->lbPressNote,       ui->lbPressVelocity};
    m_sides[sdRelease] = {
        ui->edReleaseCaption,      ui->edReleaseMessage,    ui->edReleaseChannel,
        ui->edReleaseNote,         ui->edReleaseVelocity,   ui->edReleaseOutputNo,
        ui->edReleaseButtonColour, ui->edReleaseTextColour, ui->btReleaseIcon,
        ui->lbReleaseChannel,      ui->lbReleaseNote,       ui->lbReleaseVelocity};
    AddMoreMessages(sdPress, ui->tsPress);
    AddMoreMessages(sdRelease, ui->tsRelease);
    AddLearn(sdPress, ui->tsPress);
    AddLearn(sdRelease, ui->tsRelease);
    ui->btExample->SetCaption(QStringLiteral("Example"));
    QFont exampleFont = font();
    exampleFont.setBold(true);
    ui->btExample->setFont(exampleFont);
    ui->btExample->SetLayout(TAdvToolButton::blGlyphLeft);
    FillLists();
    // The controls start out matching their lists: labels of "Note Off", the Example and the
    // Release tab of "Press".
    RelabelFields(sdPress);
    RelabelFields(sdRelease);
    ApplyAction();
    ConnectControls();
}

TfmProperties::~TfmProperties()
{
    // A dialog destroyed while shown is hidden on the way out, which moves the focus, and the
    // fields report that: nothing of this class may answer them any more.
    for (QObject* child : findChildren<QObject*>())
        child->disconnect(this);
}

void TfmProperties::FillLists()
{
    for (const TSideControls& side : m_sides) {
        for (std::string_view name : MsgNames)
            side.Message->addItem(QString::fromLatin1(name.data(), qsizetype(name.size())));
        FillColourList(side.ButtonColour);
        FillColourList(side.TextColour);
    }
    for (std::string_view name : ActionNames)
        ui->edButtonAction->addItem(QString::fromLatin1(name.data(), qsizetype(name.size())));
    ui->edHotKey->addItems(HotKeyEntries());
}

void TfmProperties::ConnectControls()
{
    for (TSide side : {sdPress, sdRelease}) {
        const TSideControls& c = m_sides[side];
        connect(c.Caption, &QLineEdit::textChanged, this, &TfmProperties::ControlChanged);
        // The editor's own signal fires for every keystroke, also one that leaves the field
        // empty or out of range; the value's only when it changed, not again on Enter, where a
        // tracking spin box re-emits it unchanged (enabling OK just before Enter pressed it).
        for (TBoundedSpinBox* field : {c.Channel, c.Note, c.Velocity, c.Output}) {
            field->setKeyboardTracking(false);
            connect(field->lineEdit(), &QLineEdit::textChanged, this,
                    &TfmProperties::ControlChanged);
            connect(field, &QSpinBox::valueChanged, this, &TfmProperties::ControlChanged);
        }
        for (QComboBox* list : {c.ButtonColour, c.TextColour})
            connect(list, &QComboBox::currentIndexChanged, this, &TfmProperties::ControlChanged);
        connect(c.Message, &QComboBox::currentIndexChanged, this, [this, side] {
            RelabelFields(side);
            MarkChanged();
        });
        connect(c.More, &QLineEdit::textChanged, this, [this, side] {
            CheckMoreMessages(side);
            MarkChanged();
        });
        connect(c.Icon, &QPushButton::clicked, this, [this, side] { SelectIcon(side); });
    }
    connect(ui->edHotKey, &QComboBox::currentIndexChanged, this, &TfmProperties::ControlChanged);
    connect(ui->btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->btCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->edButtonAction, &QComboBox::currentIndexChanged, this,
            &TfmProperties::edButtonActionChange);
    connect(ui->btExample, &TAdvToolButton::MouseDown, this, &TfmProperties::btExampleMouseDown);
    connect(ui->btExample, &TAdvToolButton::MouseUp, this, &TfmProperties::btExampleMouseUp);
}

void TfmProperties::ControlChanged()
{
    RefreshExample();
    MarkChanged();
}

void TfmProperties::MarkChanged()
{
    m_changed = true;
    UpdateOk();
}

void TfmProperties::UpdateOk()
{
    // A hidden Release tab cannot be mended: its list, kept as written, does not hold OK back.
    const auto sendable = [](const TSideControls& c) { return c.MoreProblem->text().isEmpty(); };
    const bool releaseShown = ShownAction() != actPress;
    ui->btnOK->setEnabled(m_changed && sendable(m_sides[sdPress]) &&
                          (!releaseShown || sendable(m_sides[sdRelease])));
}

// ---- further messages ----

void TfmProperties::AddMoreMessages(TSide side, QWidget* page)
{
    TSideControls& c = m_sides[side];
    const int top = ui->PageControl->height() - kMoreHeight - 36;
    auto* label = new QLabel(QStringLiteral("More Messages"), page);
    label->setGeometry(4, top + 3, 80, 16);
    c.More = new QLineEdit(page);
    c.More->setObjectName(side == sdPress ? "edPressMore" : "edReleaseMore");
    c.More->setGeometry(86, top, 216, 22);
    c.More->setAccessibleName(QStringLiteral("More Messages"));
    c.More->setToolTip(QStringLiteral("Messages sent after this one, separated by \";\": "
                                      "hexadecimal bytes (B0 07 64) or a wait (wait 250)"));
    label->setBuddy(c.More);
    c.MoreProblem = new QLabel(page);
    c.MoreProblem->setObjectName(side == sdPress ? "lbPressMoreProblem" : "lbReleaseMoreProblem");
    c.MoreProblem->setGeometry(4, top + 26, 180, 28);
    c.MoreProblem->setWordWrap(true);
    c.MoreProblem->setStyleSheet(QStringLiteral("color: #B00000"));
    auto* showControl = new QPushButton(QStringLiteral("MIDI Show Control..."), page);
    showControl->setObjectName(side == sdPress ? "btPressShowControl" : "btReleaseShowControl");
    showControl->setGeometry(186, top + 27, 116, 24);
    showControl->setAutoDefault(false);
    connect(showControl, &QPushButton::clicked, this, [this, side] { BuildShowControl(side); });
    setTabOrder(c.Icon, c.More);
    setTabOrder(c.More, showControl);
}

void TfmProperties::AddLearn(TSide side, QWidget* page)
{
    TSideControls& c = m_sides[side];
    auto* learn = new QPushButton(QStringLiteral("Learn"), page);
    learn->setObjectName(side == sdPress ? "btPressLearn" : "btReleaseLearn");
    learn->setGeometry(234, 63, 68, 24);
    learn->setAutoDefault(false);
    connect(learn, &QPushButton::clicked, this, [this, side] { ToggleLearn(side); });
    setTabOrder(c.Output, learn);
    m_learn[side] = learn;
}

void TfmProperties::ToggleLearn(TSide side)
{
    const bool again = m_learning == side;
    StopLearning();
    if (again || !m_links.Learn)
        return;
    m_learning = side;
    m_learn[side]->setText(QStringLiteral("Listening..."));
    m_links.Learn([this, side](const TShortMessage& message) { Learned(side, message); });
}

void TfmProperties::StopLearning()
{
    if (m_learning < 0)
        return;
    m_learn[m_learning]->setText(QStringLiteral("Learn"));
    m_learning = -1;
    m_links.Learn(nullptr);
}

// Filled as if typed: applied only on OK, as every edit here.
void TfmProperties::Learned(TSide side, const TShortMessage& message)
{
    m_learning = -1;
    m_learn[side]->setText(QStringLiteral("Learn"));
    const TSideControls& c = m_sides[side];
    c.Message->setCurrentIndex((message.Status >> 4) - 8);
    c.Channel->setValue((message.Status & 0x0F) + 1);
    c.Note->setValue(message.Data1);
    c.Velocity->setValue(message.Data2);
}

void TfmProperties::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && m_learning >= 0) { // ends the listening, not the dialog
        StopLearning();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfmProperties::CheckMoreMessages(TSide side)
{
    const TSideControls& c = m_sides[side];
    const TMessageList list(c.More->text().trimmed());
    QString problem;
    if (!list.Problems().empty()) {
        const TListProblem& bad = list.Problems().front();
        problem = QStringLiteral("Item %1 \"%2\": %3").arg(bad.Item).arg(bad.Text, bad.Reason);
    }
    c.MoreProblem->setText(problem);
    UpdateOk();
}

void TfmProperties::BuildShowControl(TSide side)
{
    TfmShowControl builder(this);
    if (builder.exec() != QDialog::Accepted)
        return;
    QLineEdit* field = m_sides[side].More;
    field->setText(TMessageList::Appended(field->text(), TListItem{builder.Message(), 0}));
}

// ---- showing and closing ----

void TfmProperties::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    const TCommandList* list = m_links.CommandList ? m_links.CommandList() : nullptr;
    if (list && m_editedButton >= 1 && m_editedButton <= list->Count())
        m_editSet.Assign(list->Get(m_editedButton - 1));
    LoadControls();
    const bool input = m_links.InputActive && m_links.InputActive();
    for (QPushButton* learn : m_learn) {
        learn->setEnabled(input);
        learn->setToolTip(input ? QStringLiteral("Fills this side with the next message the "
                                                 "input receives")
                                : QStringLiteral("Choose an input on the Configuration dialog's "
                                                 "Input page to learn from"));
    }
    ui->edButtonAction->setFocus(Qt::OtherFocusReason);
}

void TfmProperties::done(int result)
{
    StopLearning();
    StoreControls();
    // A press whose button-up the closing takes with it: the Example is let go here.
    m_releaseWatch->Cancel();
    ui->btExample->EndTracking();
    // A latched toggle Example keeps its Press for the next use, where a second click releases
    // it; any other Press that went out gets its Release now, as no button-up will come.
    const bool latched = ShownAction() == actToggle && ui->btExample->Down();
    if (m_releaseOwed && !latched)
        ReleaseExample();
    QDialog::done(result);
}

void TfmProperties::LoadControls()
{
    // A toggle Example left down keeps its Press only for the same button and action: the
    // controls are about to show another Release, so the one owed goes out first.
    if (m_releaseOwed && (m_editSet.Action != ShownAction() || m_editedButton != m_releaseOwedBy))
        ReleaseExample();

    setWindowTitle(QStringLiteral("Button %1 Properties").arg(m_editedButton));
    LoadSide(sdPress, m_editSet.Press);
    LoadSide(sdRelease, m_editSet.Release);
    ui->edButtonAction->setCurrentIndex(m_editSet.Action < kActionCount ? m_editSet.Action : -1);
    int hotKey = -1;
    for (int i = 0; i < ui->edHotKey->count(); ++i)
        if (ui->edHotKey->itemText(i).compare(m_editSet.HotKey, Qt::CaseInsensitive) == 0)
            hotKey = i;
    ui->edHotKey->setCurrentIndex(hotKey);
    ui->PageControl->setCurrentIndex(sdPress);
    RefreshExample();
    m_changed = false;
    UpdateOk();
}

void TfmProperties::LoadSide(TSide side, const TCommand& command)
{
    const TSideControls& c = m_sides[side];
    c.Caption->setText(command.Caption);
    c.Message->setCurrentIndex(IsKind(command.Msg.Message) ? command.Msg.Message : -1);
    c.Channel->setValue(command.Msg.Channel + 1);
    c.Note->setValue(command.Msg.Note);
    c.Velocity->setValue(command.Msg.Velocity);
    SelectColour(c.ButtonColour, command.ButtonColour);
    SelectColour(c.TextColour, command.TextColour);
    c.Output->setValue(command.Output);
    SetIconTag(side, command.ImageIndex);
    c.More->setText(command.More.Text());
    CheckMoreMessages(side);
}

void TfmProperties::StoreControls()
{
    StoreSide(sdPress, m_editSet.Press);
    StoreSide(sdRelease, m_editSet.Release);
    const int action = ui->edButtonAction->currentIndex();
    if (action >= 0 && action < kActionCount)
        m_editSet.Action = std::uint8_t(action);
    m_editSet.HotKey = ui->edHotKey->currentText();
}

// What the list cannot show (a kind or colour from a hand-edited file) stays as it was.
void TfmProperties::StoreSide(TSide side, TCommand& command) const
{
    const TSideControls& c = m_sides[side];
    command.Caption = c.Caption->text();
    if (IsKind(c.Message->currentIndex()))
        command.Msg.Message = std::uint8_t(c.Message->currentIndex());
    command.Msg.Channel = std::uint8_t(c.Channel->Number() - 1);
    command.Msg.Note = std::uint8_t(c.Note->Number());
    command.Msg.Velocity = std::uint8_t(c.Velocity->Number());
    command.ButtonColour = SelectedColour(c.ButtonColour, command.ButtonColour);
    command.TextColour = SelectedColour(c.TextColour, command.TextColour);
    command.Output = std::uint8_t(c.Output->Number());
    command.ImageIndex = m_iconTag[side];
    // An unchanged list keeps its text as written.
    const QString more = c.More->text().trimmed();
    if (more != command.More.Text())
        command.More = TMessageList(more);
}

// ---- field captions, the Example's look and the action ----

void TfmProperties::RelabelFields(TSide side)
{
    const TSideControls& c = m_sides[side];
    if (!IsKind(c.Message->currentIndex())) {
        // No kind shown: the fields keep their plain captions.
        c.ChannelLabel->setText(QStringLiteral("Channel"));
        c.NoteLabel->setText(QStringLiteral("Note"));
        c.VelocityLabel->setText(QStringLiteral("Velocity"));
        return;
    }
    const auto text = [](std::string_view s) {
        return QString::fromLatin1(s.data(), qsizetype(s.size()));
    };
    const int k = c.Message->currentIndex() & 0x7F;
    c.ChannelLabel->setText(text(MsgChannelLabels[k]));
    c.NoteLabel->setText(text(MsgData1Labels[k]));
    c.VelocityLabel->setText(text(MsgData2Labels[k]));
}

int TfmProperties::ShownAction() const
{
    const int action = ui->edButtonAction->currentIndex();
    return action >= 0 && action < kActionCount ? action : actPress;
}

void TfmProperties::RefreshExample()
{
    TAdvToolButton* example = ui->btExample;
    const TColor pressColour =
        SelectedColour(m_sides[sdPress].ButtonColour, m_editSet.Press.ButtonColour);
    const TColor releaseColour =
        SelectedColour(m_sides[sdRelease].ButtonColour, m_editSet.Release.ButtonColour);
    ShowExampleFace(sdPress);
    example->SetColor(pressColour);
    example->SetColorHot(pressColour);
    example->SetFontColor(SelectedColour(m_sides[sdPress].TextColour, m_editSet.Press.TextColour));
    const TColor held = ShownAction() == actPress ? pressColour : releaseColour;
    example->SetColorDown(held);
    example->SetColorChecked(held);
}

void TfmProperties::ShowExampleFace(TSide side)
{
    ui->btExample->SetCaption(FaceCaption(m_sides[side].Caption->text()));
    ui->btExample->SetGlyph(m_links.Images.Glyph(m_iconTag[side]));
}

// The Release tab and the Example's kind follow the action.
void TfmProperties::ApplyAction()
{
    const int action = ShownAction();
    ui->PageControl->setTabVisible(kReleaseTab, action != actPress);
    ui->btExample->SetGroupIndex(action == actToggle ? 1 : 0);
    ui->btExample->SetAllowAllUp(action == actToggle);
}

void TfmProperties::edButtonActionChange()
{
    // The Example is let go below; what it still owes goes out first.
    if (m_releaseOwed)
        ReleaseExample();
    ApplyAction();
    ui->btExample->SetDown(false);
    RefreshExample();
    MarkChanged();
}

// ---- icons ----

void TfmProperties::SetIconTag(TSide side, int index)
{
    m_iconTag[side] = index;
    const QImage icon = m_links.Images.Icon(index);
    m_sides[side].Icon->setIcon(icon.isNull() ? QIcon() : QIcon(QPixmap::fromImage(icon)));
}

void TfmProperties::SelectIcon(TSide side)
{
    // The chooser's modal loop would swallow the Example's button-up.
    m_releaseWatch->Cancel();
    ui->btExample->EndTracking();
    if (m_releaseOwed && ShownAction() == actPressRelease)
        ReleaseExample();
    TfmImageBrowser& chooser = m_links.ImageBrowser;
    chooser.SetSelectedIndex(m_iconTag[side]);
    PlaceDialog(chooser, mapToGlobal(QPoint(0, 0)), *this);
    if (chooser.exec() != QDialog::Accepted)
        return;
    SetIconTag(side, chooser.SelectedIndex());
    RefreshExample();
    MarkChanged();
}

// ---- the Example ----

void TfmProperties::Send(TSide side)
{
    if (!m_links.PlaySide)
        return;
    // The fields as they stand, not the working copy; a kind the list cannot show sends no
    // message of its own.
    TCommand command;
    StoreSide(side, command);
    if (!IsKind(m_sides[side].Message->currentIndex()))
        command.Msg.Message = kMsgKindCount;
    m_links.PlaySide(command, side == sdRelease);
}

void TfmProperties::ReleaseExample()
{
    m_releaseOwed = false;
    Send(sdRelease);
    ui->btExample->SetDown(false);
    RefreshExample();
}

void TfmProperties::btExampleMouseDown(TAdvToolButton*, Qt::MouseButton button,
                                       Qt::KeyboardModifiers, QPoint)
{
    if (button != Qt::LeftButton)
        return;
    // A held Example whose release never came ends before the next Press goes out.
    if (m_releaseOwed && ShownAction() == actPressRelease)
        ReleaseExample();
    m_releaseWatch->Press([this] { PressExample(); }, [this] { ExampleReleasedElsewhere(); });
}

void TfmProperties::PressExample()
{
    TAdvToolButton* example = ui->btExample;
    const TColor releaseText =
        SelectedColour(m_sides[sdRelease].TextColour, m_editSet.Release.TextColour);
    switch (ShownAction()) {
    case actPress:
        Send(sdPress);
        break;
    case actPressRelease:
        m_releaseOwed = true;
        m_releaseOwedBy = m_editedButton;
        Send(sdPress);
        ShowExampleFace(sdRelease);
        example->SetFontColor(releaseText);
        break;
    case actToggle:
        if (!example->Down()) {
            m_releaseOwed = true;
            m_releaseOwedBy = m_editedButton;
            Send(sdPress);
            ShowExampleFace(sdRelease);
            example->SetColorHot(
                SelectedColour(m_sides[sdRelease].ButtonColour, m_editSet.Release.ButtonColour));
            example->SetFontColor(releaseText);
        } else {
            example->SetColorHot(
                SelectedColour(m_sides[sdPress].ButtonColour, m_editSet.Press.ButtonColour));
        }
        break;
    }
}

// The release of a press that a send's error box took from the Example: what a release over
// it would have done, the toggle's latch included.
void TfmProperties::ExampleReleasedElsewhere()
{
    TAdvToolButton* example = ui->btExample;
    const bool wasDown = example->Down();
    example->EndTracking();
    btExampleMouseUp(example, Qt::LeftButton, Qt::NoModifier, QPoint());
    if (ShownAction() == actToggle)
        example->SetDown(!wasDown);
}

void TfmProperties::btExampleMouseUp(TAdvToolButton*, Qt::MouseButton button, Qt::KeyboardModifiers,
                                     QPoint)
{
    if (button != Qt::LeftButton)
        return;
    TAdvToolButton* example = ui->btExample;
    const TColor pressText =
        SelectedColour(m_sides[sdPress].TextColour, m_editSet.Press.TextColour);
    switch (ShownAction()) {
    case actPress:
        break;
    case actPressRelease:
        // Without a Press owed, its Release already went out when the Example lost the press.
        if (!m_releaseOwed)
            break;
        m_releaseOwed = false;
        Send(sdRelease);
        ShowExampleFace(sdPress);
        example->SetFontColor(pressText);
        break;
    case actToggle:
        if (example->Down()) {
            m_releaseOwed = false;
            Send(sdRelease);
            ShowExampleFace(sdPress);
            example->SetFontColor(pressText);
        }
        break;
    }
}
