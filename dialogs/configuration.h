#pragma once

#include "midi/DeviceBox.h"
#include "midi/Outputs.h"
#include "remote/RemoteSettings.h"

#include <QDialog>

#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class TMidiSystem;
class TRemotePage;
struct TGlobalSettings;

namespace Ui {
class fmConfiguration;
}

// The live values that the Configuration dialog shows and changes, handed in by the main window.
struct TConfigurationTarget
{
    TGlobalSettings& Settings;
    std::array<TOutput, 4>& Outputs;
    TInput& Input;                        // applied by the main window (Applied)
    TMidiSystem& Midi;                    // its device lists fill the device boxes
    std::function<QString()> Title;       // the main window's title now
    std::function<bool()> TrayIconActive; // the tray icon's active state now
    // The main window's part of an Apply, once the settings and slots hold the new values: the
    // title and tray hint, the tray state, the list and grid following rows x columns, the faces.
    std::function<void(const QString& title, bool trayIconActive)> Applied;
    // Why global hot keys cannot be had on this desktop; empty when they can.
    std::function<QString()> GlobalKeysUnavailable;
    // Which programs' keys they hear, when not all.
    std::function<QString()> GlobalKeysReach;
    // The remote's settings now, and their Apply (the text of a failure, empty when it worked).
    std::function<TRemoteSettings()> Remote;
    std::function<QString(const TRemoteSettings&)> ApplyRemote;
    std::function<void()> Applying; // before an Apply writes anything (the undo step's start)
};

// The Configuration dialog: grid size, window options, caption font and size, icon layout,
// border highlight colour, window title, the four outputs and the input. Its controls are the
// working copy: filled from the live values at every opening, written back by Apply.
class TfmConfiguration : public QDialog
{
    Q_OBJECT

public:
    explicit TfmConfiguration(const TConfigurationTarget& target, QWidget* parent = nullptr);
    ~TfmConfiguration() override;

    void FormShow();
    void PageListClick();
    void ControlChange();
    void BtApplyClick();
    void BtCancelClick();
    void ShowCurrentSettings();
    // The switch of global hot keys as the desktop offers them now.
    void ShowGlobalKeys();
    void ApplySettings();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ConnectChangeHandlers();
    void FillDeviceBoxes();

    std::unique_ptr<Ui::fmConfiguration> ui;
    TConfigurationTarget m_target;
    std::array<QComboBox*, 4> m_deviceBoxes{};
    std::array<TDeviceBox, 4> m_shownDevices{}; // what each device box was filled with
    std::array<QCheckBox*, 4> m_activeBoxes{};
    TDeviceBox m_shownInputs; // what the input's device box was filled with
    QString m_globalKeysHint; // the check box's tooltip where the desktop offers global keys
    TRemotePage* m_remote = nullptr;
};
