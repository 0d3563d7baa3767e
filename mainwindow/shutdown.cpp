// Shutdown: every held press released, the window's bounds kept, the settings saved, the outputs
// closed, and the program ended, whatever state the window is in. A save that fails never traps
// the user and never loses the run's edits without being told.
#include "main.h"

#include "KeyrillVersion.h"
#include "platform/MessageBoxes.h"
#include "remote/RemoteServer.h"
#include "settings/Settings.h"
#include "settings/SettingsGuard.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <exception>

namespace {

enum TSaveFailureChoice { kRetry, kSaveAs, kQuitWithoutSaving };

void SayOnStandardError(const QString& text)
{
    std::fprintf(stderr, "keyrill: %s\n", text.toLocal8Bit().constData());
}

} // namespace

bool TfmMain::FormClose()
{
    if (m_closed)
        return true;
    if (m_player.Busy()) {
        // A modal box of a press is open: close once the press has finished.
        m_player.WhenIdle([this] { close(); });
        return false;
    }
    // No note hangs: every held press is released while the outputs are open, and no key or
    // finger starts another while a box of the save is open.
    m_keys.ForgetKeysDown();
    m_player.Close();
    CaptureBounds();
    if (!m_loadFailed && !m_startRefused && !SaveForShutdown()) {
        m_player.Reopen();
        return false; // the window stays open; the next close runs the whole sequence again
    }
    m_input.Close(); // nothing lights a button from here on
    m_player.SetDefinitions(nullptr);
    m_commandList.reset();
    m_outputs.CloseOutputs();
    m_remote->Close();
    m_closed = true;
    m_trayIcon->setVisible(false);
    emit ShutDown(m_exitCode);
    return true;
}

void TfmMain::CloseUnattended()
{
    m_unattended = true;
    close();
}

// True when the shutdown may go on: saved, rescued, or given up by the user's choice.
bool TfmMain::SaveForShutdown()
{
    for (;;) {
        QString failure;
        try {
            SaveSettings();
            return true;
        } catch (const std::exception& error) {
            failure = QString::fromStdString(error.what());
        }
        if (m_unattended) {
            Rescue(failure);
            return true;
        }
        switch (AskAfterSaveFailure(failure)) {
        case kRetry:
            break;
        case kSaveAs:
            SaveAs();
            break;
        case kQuitWithoutSaving:
            return true;
        default:
            return false; // to mend the cause and close again
        }
    }
}

int TfmMain::AskAfterSaveFailure(const QString& failure)
{
    return m_platform.Boxes.Ask(
        QStringLiteral(KEYRILL_PRODUCT_NAME),
        failure + QStringLiteral("\n\nThe changes of this run are not saved yet."), TBoxIcon::Error,
        {QStringLiteral("Retry"), QStringLiteral("Save As..."),
         QStringLiteral("Quit Without Saving")});
}

void TfmMain::SaveAs()
{
    // Where the file is now, or, when its folder has gone, the same name in the user's folder.
    const QFileInfo current(m_settingsPath);
    const QString start = current.absoluteDir().exists()
                              ? current.absoluteFilePath()
                              : QDir(m_platform.ConfigDir.isEmpty() ? QDir::homePath()
                                                                    : m_platform.ConfigDir)
                                    .filePath(current.fileName());
    const QString path = m_platform.Boxes.AskSaveFileName(
        QStringLiteral("Save Settings As"), start,
        QStringLiteral("Settings files (*.ini);;All files (*)"));
    if (path.isEmpty())
        return;
    if (m_guard->MoveTo(path) == TSettingsGuard::TLock::HeldElsewhere) {
        ReportError(AlreadyOpenText(path));
        return;
    }
    m_settingsPath = path;
    m_savedElsewhere = true;
}

void TfmMain::Rescue(const QString& failure)
{
    m_exitCode = 1;
    const QDir dir(m_platform.ConfigDir.isEmpty() ? QDir::homePath() : m_platform.ConfigDir);
    const QString rescue = dir.filePath(QDateTime::currentDateTime().toString(
        QStringLiteral("'keyrill-rescued-'yyyyMMdd-HHmmss'.ini'")));
    SayOnStandardError(failure);
    try {
        dir.mkpath(QStringLiteral("."));
        SaveSettingsTo(rescue, &m_guard->Read());
        SayOnStandardError(QStringLiteral("the settings of this run were saved to %1").arg(rescue));
    } catch (const std::exception& error) {
        SayOnStandardError(QStringLiteral("the settings of this run could not be saved: %1")
                               .arg(QString::fromStdString(error.what())));
    }
}

void TfmMain::SaveSettings()
{
    if (!m_commandList)
        return;
    if (!m_savedElsewhere) {
        if (const auto backup = m_guard->BackUpIfChanged())
            SayOnStandardError(QStringLiteral("%1 was changed since Keyrill read it; that version "
                                              "is kept as %2")
                                   .arg(m_settingsPath, *backup));
    }
    // A set saved to a new place keeps what the program does not own from the file it was read
    // from, not from whatever file was there.
    SaveSettingsTo(m_settingsPath, m_savedElsewhere ? &m_guard->Read() : nullptr);
}

void TfmMain::SaveSettingsTo(const QString& path, const TSettingsText* base)
{
    std::array<TOutput, 4> stored = m_outputs.SlotsToStore();
    TInput input = m_input.SlotToStore();
    TRemoteSettings remote = m_remote->Settings();
    TSettingsData data{m_settings, stored, input, *m_commandList, {}, false, false, &remote};
    data.Caption = m_caption;
    data.MinimiseToTray = m_trayIconActive;
    data.WindowMaximised = WindowMaximised();
    if (base)
        ::SaveSettings(path, data, *base);
    else
        ::SaveSettings(path, data);
}
