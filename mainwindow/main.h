#pragma once

#include "EditHistory.h"
#include "TrayIcon.h"
#include "midi/FeedbackInput.h"
#include "midi/Outputs.h"
#include "model/qelCommandList.h"
#include "play/HotKeyRouter.h"
#include "play/Player.h"
#include "remote/RemoteLink.h"
#include "settings/GlobalSettings.h"
#include "widgets/ImageList.h"

#include <QPoint>
#include <QStringList>
#include <QWidget>

#include <memory>
#include <span>
#include <vector>

class IGlobalKeys;
class IMessageBoxes;
class IWindowSystem;
class QAction;
class QKeyEvent;
class QMenu;
class TAboutBox;
class TfmConfiguration;
class TRemoteServer;
struct TRemoteSettings;
class TWindowKeeper;
class TGridView;
class TQelSpeedButton;
class TfmImageBrowser;
class TfmProperties;
class TMidiSystem;
class TSettingsGuard;
struct TSettingsText;

// What the main window needs of the world outside it: the MIDI service, the message boxes and
// the facts of the process. Tests hand in doubles.
struct TPlatform
{
    TMidiSystem& Midi;
    IMessageBoxes& Boxes;
    QStringList Arguments; // command-line arguments, the program's name left out
    QString ProgramPath;   // full path of the program file
    QString ConfigDir;     // the user's configuration folder (fallback for the settings file)
    ITrayIcon* Tray = nullptr;             // null: the desktop's notification area
    IWindowSystem* WindowSystem = nullptr; // null: the windowing system Qt runs on
    IGlobalKeys* GlobalKeys = nullptr;     // null: the desktop's way of hearing keys
    TRemoteLinkFactory RemoteLinks = nullptr; // empty: the remote's module, loaded when first on
};

// What the user is told when the settings file is held by another running Keyrill.
QString AlreadyOpenText(const QString& path);

// The main window: owner of the process-wide state and the start-up and shutdown sequences. It
// plays nothing itself: the player decides what is sent, and the grid view and the hot-key
// router bring it the presses of the mouse, the fingers and the keys.
class TfmMain : public QWidget
{
    Q_OBJECT

public:
    explicit TfmMain(const TPlatform& platform);
    ~TfmMain() override;

    // Process-wide state.
    TGlobalSettings& Settings() { return m_settings; }
    TCommandList* CommandList() { return m_commandList.get(); } // null after shutdown
    TOutputs& Outputs() { return m_outputs; }
    TFeedbackInput& Input() { return m_input; }
    const QString& SettingsPath() const { return m_settingsPath; }
    const TImageList& ImageList() const { return m_imageList; }
    bool ButtonsBuilt() const;
    int CurrentButton() const { return m_currentButton; }
    QPoint PopupPoint() const { return m_popupPoint; }
    bool TrayIconActive() const { return m_trayIconActive; }
    ITrayIcon* TrayIcon() const { return m_trayIcon; }
    QMenu* PopupMenu() const { return m_popupMenu; }
    // The dialogs, null until CreateDialogs (or the first command that opens one).
    TfmProperties* Properties() const { return m_properties; }
    TfmImageBrowser* ImageBrowser() const { return m_imageBrowser; }
    // The "Caption" setting as stored; the window title and the tray hint show it cut short.
    const QString& Caption() const { return m_caption; }
    void SetCaption(const QString& caption);

    // Start-up and shutdown.
    void FormCreate();
    // Creates the dialogs, hidden, once: the first menu command that needs one calls it.
    void CreateDialogs();
    void FormShow();
    // The shutdown sequence (shutdown.cpp): false when it did not finish and the window stays
    // open (a press's box is still open, or the user chose to mend a failed save first).
    bool FormClose();
    void LoadSettings();
    void SaveSettings();
    // A close that nobody can answer a box for (a signal, the session's end): a save that fails
    // goes to a rescue file instead of asking, and the program ends all the same.
    void CloseUnattended();
    // The set is open in another running Keyrill: this run refused it and ends untouched.
    bool StartRefused() const { return m_startRefused; }

    // The grid.
    void BuildButtons();
    void DestroyButtons();
    void actResizeButtonsExecute();
    void RefreshButtons();
    QFont ButtonFont() const; // the font of every button, from the settings
    void ResizeCommandList(int count);
    // The grid buttons in child order, which is ascending button number.
    const std::vector<TQelSpeedButton*>& GridButtons() const;

    TRemoteServer& Remote() { return *m_remote; }

    // Playing: every press, by any source, is released exactly once, whatever happens in between
    // (menus, dialogs, focus loss, the definition changing, the program closing).
    TPlayer& Player() { return m_player; }
    THotKeyRouter& Keys() { return m_keys; }
    TGridView& Grid() { return *m_grid; }

    // Global hot keys (globalkeys.cpp): with "Global Hot Keys" on, the hot keys in use are heard
    // also while another program has the keyboard. Every change of definitions or settings
    // hands the new set on.
    IGlobalKeys& GlobalKeys();
    void UpdateGlobalKeys();

    // The context menu.
    void PopupMenuPopup();
    void actButtonPropertiesExecute();
    void actButtonCutExecute();
    void actButtonCopyExecute();
    void actButtonPasteExecute();
    void actExitExecute();
    void mnConfigurationClick();
    void mnAboutClick();
    QAction* MenuItem(const QString& name) const;
    // The edits that can be undone and redone (undo.cpp).
    TEditHistory& History() { return m_history; }

    // The Configuration dialog and the About box, made once by CreateDialogs.
    TfmConfiguration* Configuration() const { return m_fmConfiguration; }
    TAboutBox* AboutBox() const { return m_aboutBox; }
    // The main window's part of a Configuration Apply, after the settings and slots are stored.
    void ApplyConfiguration(const QString& title, bool trayIconActive);
    // Window behaviour and the tray (window.cpp, tray.cpp).
    void SetTrayIconActive(bool active);
    bool HiddenInTray() const { return m_hiddenInTray; }
    QMenu* TrayPopupMenu() const { return m_trayPopupMenu; }
    void mnTrayShowClick();
    void mnTrayExitClick();
    bool MoveAllowed() const;

signals:
    // The shutdown sequence has finished: the program ends with this exit code (1 when the
    // settings went to a rescue file).
    void ShutDown(int exitCode);

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreatePopupMenu();
    void ReportError(const QString& text);
    bool SaveForShutdown();
    int AskAfterSaveFailure(const QString& failure);
    void SaveAs();
    void Rescue(const QString& failure);
    void SaveSettingsTo(const QString& path, const TSettingsText* base);
    void CreateTrayIcon();
    void UpdateTrayToolTip();
    void MinimiseToTray(Qt::WindowStates before);
    void RestoreFromTray();
    void ApplyBorderStyle();
    void PlaceWindow();
    QSize WholeButtons(QSize client) const;
    Qt::WindowStates SavedWindowState() const;
    bool WindowMaximised() const;
    void CaptureBounds();
    void ShowMenu(int number, QPoint at, bool keyboard);
    QString ApplyRemote(const TRemoteSettings& settings);
    // Undo and Redo (undo.cpp): the set as an Apply changes it, the steps' keys and menu items.
    TEditHistory::TLinks HistoryLinks();
    TSetState CaptureSet();
    void RestoreSet(const TSetState& state);
    void AddUndoItems();
    bool UndoKey(const QKeyEvent& event);
    // The keyboard (keyboard.cpp): hot keys, releases that go elsewhere, the focus lost.
    quint16 KeyCodeOf(const QKeyEvent& event) const;
    bool IsRealRelease(const QKeyEvent& event) const;
    void KeyReleased(const QKeyEvent& event);
    bool HeardEverywhere(TPressSource source) const;
    void ReleaseOnFocusLoss();
    IWindowSystem& WindowSystem() const;
    bool DesktopTakes(quint16 key) const;

    TPlatform m_platform;
    TGlobalSettings m_settings;
    TOutputs m_outputs;
    TPlayer m_player{m_outputs};
    THotKeyRouter m_keys{m_player};
    TFeedbackInput m_input;
    std::unique_ptr<TCommandList> m_commandList;
    TEditHistory m_history{HistoryLinks()};
    QString m_settingsPath;
    QString m_caption;
    TImageList m_imageList;
    int m_currentButton = 0;
    QPoint m_popupPoint;
    bool m_trayIconActive = false;
    bool m_closed = false;
    std::unique_ptr<IWindowSystem> m_ownWindowSystem;
    std::unique_ptr<TWindowKeeper> m_keeper;
    std::unique_ptr<ITrayIcon> m_ownTrayIcon;
    ITrayIcon* m_trayIcon = nullptr;
    QMenu* m_trayPopupMenu = nullptr;
    bool m_hiddenInTray = false;
    Qt::WindowStates m_stateBeforeTray;
    QRect m_boundsBeforeTray; // outer bounds when the window went into the tray
    bool m_shownBefore = false;
    QMenu* m_popupMenu = nullptr;
    QAction* m_actButtonPaste = nullptr; // the "Button Paste" item, enabled once filled
    std::unique_ptr<IGlobalKeys> m_ownGlobalKeys;
    IGlobalKeys* m_globalKeys = nullptr; // made when first needed
    bool m_loadFailed = false;
    bool m_startRefused = false;
    bool m_unattended = false;
    bool m_savedElsewhere = false; // Save As chose another file for this run's set
    int m_exitCode = 0;
    std::unique_ptr<TSettingsGuard> m_guard;
    TGridView* m_grid = nullptr;
    std::unique_ptr<TRemoteServer> m_remote; // the grid served to browsers on the network
    TfmConfiguration* m_fmConfiguration = nullptr;
    TAboutBox* m_aboutBox = nullptr;
    // The dialogs: children of the window, created hidden once.
    TfmProperties* m_properties = nullptr;
    TfmImageBrowser* m_imageBrowser = nullptr;
};
