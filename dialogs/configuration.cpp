#include "configuration.h"

#include "BoundedSpinBox.h"
#include "DialogPlacement.h"
#include "FontList.h"
#include "NamedColours.h"
#include "RemotePage.h"
#include "midi/Midi.h"
#include "settings/GlobalSettings.h"
#include "ui_configuration.h"

#include <QAbstractItemView>
#include <QShowEvent>
#include <QStyle>

#include <exception>

TfmConfiguration::TfmConfiguration(const TConfigurationTarget& target, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::fmConfiguration>()), m_target(target)
{
    ui->setupUi(this);
    setWindowFlags(kToolWindowFlags);
    m_deviceBoxes = {ui->edPortNo1, ui->edPortNo2, ui->edPortNo3, ui->edPortNo4};
    m_activeBoxes = {ui->cbOutputActive1, ui->cbOutputActive2, ui->cbOutputActive3,
                     ui->cbOutputActive4};

    // Enter in a field must not apply by surprise: neither button is a default one.
    for (QPushButton* button : {ui->BtApply, ui->BtCancel}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    ui->BtApply->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
    ui->BtCancel->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    ui->edFontSize->lineEdit()->setMaxLength(3);
    ui->edFontSize->SetEmptyAllowed(true);
    FillFontList(ui->edFontName);
    // Names drawn at 12 points need more room than the closed box gives.
    ui->edFontName->view()->setMinimumWidth(320);
    FillColourList(ui->edBorderHighlightColour);
    m_globalKeysHint = ui->cbGlobalHotKeys->toolTip();
    if (m_target.Remote) {
        m_remote = new TRemotePage(ui->PageControl);
        ui->PageControl->addWidget(m_remote);
        ui->PageList->addItem(QStringLiteral("Remote"));
        connect(m_remote, &TRemotePage::Changed, this, &TfmConfiguration::ControlChange);
    }

    connect(ui->PageList, &QListWidget::currentRowChanged, this, &TfmConfiguration::PageListClick);
    connect(ui->BtApply, &QPushButton::clicked, this, &TfmConfiguration::BtApplyClick);
    connect(ui->BtCancel, &QPushButton::clicked, this, &TfmConfiguration::BtCancelClick);
    ConnectChangeHandlers();
}

TfmConfiguration::~TfmConfiguration() = default;

void TfmConfiguration::ConnectChangeHandlers()
{
    for (TBoundedSpinBox* spin : findChildren<TBoundedSpinBox*>()) {
        connect(spin, &QSpinBox::valueChanged, this, &TfmConfiguration::ControlChange);
        // Typing, emptying the field included, counts before the value follows.
        connect(spin->lineEdit(), &QLineEdit::textChanged, this, &TfmConfiguration::ControlChange);
    }
    for (QComboBox* list : findChildren<QComboBox*>())
        connect(list, &QComboBox::currentIndexChanged, this, &TfmConfiguration::ControlChange);
    for (QCheckBox* box : findChildren<QCheckBox*>())
        connect(box, &QCheckBox::toggled, this, &TfmConfiguration::ControlChange);
    connect(ui->edMainCaption, &QLineEdit::textChanged, this, &TfmConfiguration::ControlChange);
}

void TfmConfiguration::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        FormShow();
        if (parentWidget()) {
            adjustSize();
            CentreDialog(*this, *parentWidget());
        }
    }
    QDialog::showEvent(event);
}

void TfmConfiguration::FormShow()
{
    ui->PageList->setCurrentRow(0);
    PageListClick();
    ShowCurrentSettings();
    ui->PageList->setFocus();
}

void TfmConfiguration::PageListClick()
{
    const int row = ui->PageList->currentRow();
    if (row >= 0 && row < ui->PageControl->count())
        ui->PageControl->setCurrentIndex(row);
}

void TfmConfiguration::ControlChange()
{
    ui->BtApply->setEnabled(true);
    ui->BtCancel->setEnabled(true);
}

void TfmConfiguration::BtApplyClick()
{
    ApplySettings();
}

void TfmConfiguration::BtCancelClick()
{
    reject();
}

void TfmConfiguration::ShowGlobalKeys()
{
    const QString unavailable = m_target.GlobalKeysUnavailable();
    const QString reach = m_target.GlobalKeysReach ? m_target.GlobalKeysReach() : QString();
    ui->cbGlobalHotKeys->setEnabled(unavailable.isEmpty());
    ui->cbGlobalHotKeys->setToolTip(!unavailable.isEmpty() ? unavailable
                                    : reach.isEmpty()      ? m_globalKeysHint
                                                           : m_globalKeysHint + ".\n" + reach);
}

void TfmConfiguration::ShowCurrentSettings()
{
    const TGlobalSettings& s = m_target.Settings;
    ui->edMainCaption->setText(m_target.Title());
    ui->edButtonRows->setValue(s.ButtonRows);
    ui->edButtonCols->setValue(s.ButtonCols);
    ui->cbAllowWindowMoving->setChecked(s.AllowWindowMoving);
    ui->cbAllowWindowResizing->setChecked(s.AllowWindowResizing);
    ui->cbSaveWindowPosition->setChecked(s.SaveWindowPosition);
    ui->cbSaveWindowSize->setChecked(s.SaveWindowSize);
    ui->cbShowOutputErrors->setChecked(s.ShowOutputErrors);
    ui->cbMinimiseToTray->setChecked(m_target.TrayIconActive());
    ShowGlobalKeys();
    ui->cbGlobalHotKeys->setChecked(s.GlobalHotKeys);
    if (m_remote)
        m_remote->Show(m_target.Remote());
    ui->cbBorderlessWindow->setChecked(s.MainBorderless);
    SelectFont(ui->edFontName, s.FontName);
    ui->edFontSize->setValue(s.FontSize);
    SelectColour(ui->edBorderHighlightColour, s.BorderHighlightColour);
    // A layout outside the four is drawn as "Icon Left", so that is what the list shows.
    ui->btnButtonLayout->setCurrentIndex(
        s.ButtonLayout < ui->btnButtonLayout->count() ? s.ButtonLayout : 0);
    FillDeviceBoxes();
    for (std::size_t n = 0; n < m_target.Outputs.size(); ++n)
        m_activeBoxes[n]->setChecked(m_target.Outputs[n].Active);
    ui->cbInputActive->setChecked(m_target.Input.Active);
    ui->BtApply->setEnabled(false);
}

namespace {

// A device object, or null when its device list cannot be taken: the boxes then hold no
// devices, and a send (or opening the input) reports the failure later, as with a device that
// has gone.
template <typename TGet> const TMidiDevices* DeviceList(TGet get)
{
    try {
        return &get();
    } catch (const std::exception&) {
        return nullptr;
    }
}

const TMidiDevices* Outputs(TMidiSystem& midi)
{
    return DeviceList([&]() -> TMidiDevices& { return midi.GetMidiOutput(); });
}

const TMidiDevices* Inputs(TMidiSystem& midi)
{
    return DeviceList([&]() -> TMidiDevices& { return midi.GetMidiInput(); });
}

TDeviceBox Fill(QComboBox* box, const TMidiDevices* devices, const TDeviceSlot& slot)
{
    TDeviceBox shown = DeviceBoxFor(devices, slot);
    box->clear();
    for (const std::string& item : shown.Items)
        box->addItem(QString::fromStdString(item));
    box->setCurrentIndex(shown.Selected);
    return shown;
}

} // namespace

void TfmConfiguration::FillDeviceBoxes()
{
    const TMidiDevices* devices = Outputs(m_target.Midi);
    for (std::size_t n = 0; n < m_deviceBoxes.size(); ++n)
        m_shownDevices[n] = Fill(m_deviceBoxes[n], devices, m_target.Outputs[n]);
    m_shownInputs = Fill(ui->edInputPort, Inputs(m_target.Midi), m_target.Input);
}

void TfmConfiguration::ApplySettings()
{
    if (m_target.Applying)
        m_target.Applying();
    TGlobalSettings& s = m_target.Settings;
    const QString title = ui->edMainCaption->text();
    s.ButtonRows = ui->edButtonRows->Number();
    s.ButtonCols = ui->edButtonCols->Number();
    s.AllowWindowMoving = ui->cbAllowWindowMoving->isChecked();
    s.AllowWindowResizing = ui->cbAllowWindowResizing->isChecked();
    s.SaveWindowPosition = ui->cbSaveWindowPosition->isChecked();
    s.SaveWindowSize = ui->cbSaveWindowSize->isChecked();
    s.ShowOutputErrors = ui->cbShowOutputErrors->isChecked();
    const bool trayIconActive = ui->cbMinimiseToTray->isChecked();
    s.GlobalHotKeys = ui->cbGlobalHotKeys->isChecked();
    s.MainBorderless = ui->cbBorderlessWindow->isChecked();
    s.FontName = SelectedFont(ui->edFontName);
    s.FontSize = ui->edFontSize->Number();
    // A stored colour that is not one of the 20 shows no selection; it stays as it is.
    s.BorderHighlightColour = SelectedColour(ui->edBorderHighlightColour, s.BorderHighlightColour);
    if (ui->btnButtonLayout->currentIndex() >= 0)
        s.ButtonLayout = std::uint8_t(ui->btnButtonLayout->currentIndex());
    const TMidiDevices* devices = Outputs(m_target.Midi);
    for (std::size_t n = 0; n < m_target.Outputs.size(); ++n) {
        // No choice (no devices, a stored device the list does not hold) keeps what is stored.
        ApplyDeviceChoice(devices, m_shownDevices[n], m_deviceBoxes[n]->currentIndex(),
                          m_target.Outputs[n]);
        m_target.Outputs[n].Active = m_activeBoxes[n]->isChecked();
    }
    ApplyDeviceChoice(Inputs(m_target.Midi), m_shownInputs, ui->edInputPort->currentIndex(),
                      m_target.Input);
    m_target.Input.Active = ui->cbInputActive->isChecked();
    if (m_remote)
        m_target.ApplyRemote(m_remote->Settings());
    ui->BtApply->setEnabled(false);
    m_target.Applied(title, trayIconActive);
    if (m_remote)
        m_remote->Show(m_target.Remote()); // with the token a start may have made
}
