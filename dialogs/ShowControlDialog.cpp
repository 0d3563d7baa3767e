#include "ShowControlDialog.h"

#include "model/MessageList.h"
#include "model/ShowControl.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>

namespace {

template <std::size_t N> QComboBox* NameList(const std::array<TShowName, N>& names, QWidget* parent)
{
    auto* list = new QComboBox(parent);
    for (const TShowName& name : names)
        list->addItem(QString::fromLatin1(name.Name.data(), qsizetype(name.Name.size())),
                      int(name.Code));
    return list;
}

} // namespace

TfmShowControl::TfmShowControl(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("MIDI Show Control"));
    m_command = NameList(kShowCommands, this);
    m_command->setObjectName("edCommand");
    m_device = new QSpinBox(this);
    m_device->setObjectName("edDevice");
    m_device->setRange(0, 127);
    m_device->setValue(127);
    m_device->setToolTip(QStringLiteral("127 calls every device"));
    m_format = NameList(kShowFormats, this);
    m_format->setObjectName("edFormat");
    const auto cueField = [this](const char* name) {
        auto* field = new QLineEdit(this);
        field->setObjectName(name);
        field->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("[0-9.]{0,32}")), field));
        connect(field, &QLineEdit::textChanged, this, &TfmShowControl::Changed);
        return field;
    };
    m_number = cueField("edCueNumber");
    m_list = cueField("edCueList");
    m_path = cueField("edCuePath");
    m_bytes = new QLabel(this);
    m_bytes->setObjectName("lbBytes");
    m_bytes->setWordWrap(true);
    m_bytes->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("Command"), m_command);
    form->addRow(QStringLiteral("Device ID"), m_device);
    form->addRow(QStringLiteral("Command Format"), m_format);
    form->addRow(QStringLiteral("Cue Number"), m_number);
    form->addRow(QStringLiteral("Cue List"), m_list);
    form->addRow(QStringLiteral("Cue Path"), m_path);
    form->addRow(m_bytes);
    form->addRow(m_buttons);
    connect(m_command, &QComboBox::currentIndexChanged, this, &TfmShowControl::Changed);
    connect(m_format, &QComboBox::currentIndexChanged, this, &TfmShowControl::Changed);
    connect(m_device, &QSpinBox::valueChanged, this, &TfmShowControl::Changed);
    Changed();
}

TShowCue TfmShowControl::Cue() const
{
    return TShowCue{std::uint8_t(m_command->currentData().toInt()),
                    std::uint8_t(m_device->value()),
                    std::uint8_t(m_format->currentData().toInt()),
                    m_number->text(),
                    m_list->text(),
                    m_path->text()};
}

std::vector<std::uint8_t> TfmShowControl::Message() const
{
    return ::BuildShowControl(Cue()).value_or(std::vector<std::uint8_t>());
}

void TfmShowControl::Changed()
{
    const TShowCue cue = Cue();
    const std::vector<std::uint8_t> bytes = Message();
    m_bytes->setText(bytes.empty() ? ShowCueProblem(cue)
                                   : TMessageList::ItemText(TListItem{bytes, 0}));
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(!bytes.empty());
}
