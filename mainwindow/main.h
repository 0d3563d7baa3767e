#pragma once

#include "HeldPresses.h"
#include "TrayIcon.h"
#include "midi/FeedbackInput.h"
#include "midi/Outputs.h"
#include "model/qelCommandList.h"
#include "settings/GlobalSettings.h"
#include "widgets/ImageList.h"

#include <QPoint>
#include <QStringList>
#include <QWidget>

#include <map>
#include <memory>
#include <span>
#include <vector>

class IGlobalKeys;
class IKeyboardMap;
class IMessageBoxes;
class IWindowSystem;
class QAction;
class QKeyEvent;
class QMenu;
class TAboutBox;
class TfmConfiguration;
class TWindowKeeper;
class TAdvToolButton;
class TQelSpeedButton;
class TReleaseWatch;
class TfmImageBrowser;
class TGridKeys;
class TfmProperties;
class TMidiSystem;
class TSettingsGuard;
struct TCommand;
struct TSettingsText;
struct TGlobalKey;
enum class TFeedback;

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
};

// What the user is told when the settings file is held by another running Keyrill.
QString AlreadyOpenText(const QString& path);

// The main window: owner of the process-wide state, the button grid and the start-up and
// shutdown sequences. Grid layout, press handling, hot keys and the context menu live in their
// own source files.
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
    bool ButtonsBuilt() const { return m_buttonsBuilt; }
    int CurrentButton() const { return m_currentButton; }
    QPoint PopupPoint() const { return m_popupPoint; }
    quint16 LastKeyDown() const { return m_lastKeyDown; }
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
    const std::vector<TQelSpeedButton*>& GridButtons() const { return m_buttons; }

    // Press, release and toggle.
    void BtTxMouseDown(TAdvToolButton* sender, Qt::MouseButton button,
                       Qt::KeyboardModifiers modifiers, QPoint pos);
    void BtTxMouseUp(TAdvToolButton* sender, Qt::MouseButton button,
                     Qt::KeyboardModifiers modifiers, QPoint pos);
    void ShowFace(TAdvToolButton* button, const TCommand& side);

    // Hot keys.
    void FormKeyDown(quint16 key);
    void FormKeyUp(quint16 key);
    // scanCode: the key's native scan code, 0 when unknown; a key-up is matched to its key-down
    // by it.
    void HandleHotKey(quint16 key, bool down, quint32 scanCode = 0);

    // Held presses: every press, by the mouse or a key, is released exactly once, whatever happens
    // in between (menus, dialogs, focus loss, the definition changing, the program closing).
    void SetKeyboardMap(std::unique_ptr<IKeyboardMap> map);
    const THeldPresses& Held() const { return m_held; }

    // Feedback (feedback.cpp): what arrives on the input lights the buttons it is about, in
    // button order, and sends nothing. A button held at that moment gets it at its release.
    void FeedbackReceived(std::span<const TShortMessage> messages);

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
    TCommandSet* Definition(const TAdvToolButton* button);
    void SendSide(const TCommand& side, TOutputs::TKind kind = TOutputs::TKind::Other);
    void HighlightOn(TAdvToolButton* button);
    void HighlightOff(TAdvToolButton* button);
    void ReportError(const QString& text);
    bool SaveForShutdown();
    int AskAfterSaveFailure(const QString& failure);
    void SaveAs();
    void Rescue(const QString& failure);
    void SaveSettingsTo(const QString& path, const TSettingsText* base);
    void ReleaseHeldHotKeys();
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
    void GridMouseDown(TAdvToolButton* sender, Qt::MouseButton button,
                       Qt::KeyboardModifiers modifiers, QPoint pos);
    void GridMouseUp(TAdvToolButton* sender, Qt::MouseButton button,
                     Qt::KeyboardModifiers modifiers, QPoint pos);
    // The keyboard on the grid (keyboard.cpp).
    void WatchGridKeys(TQelSpeedButton& button);
    void GridKeyDown(TAdvToolButton* sender);
    void GridKeyUp(TAdvToolButton* sender);
    void GridMenuKey(TAdvToolButton* sender);
    quint16 KeyCodeOf(const QKeyEvent& event);
    bool IsRealRelease(const QKeyEvent& event) const;
    void KeyReleased(const QKeyEvent& event);
    void ReleaseSource(quint32 source);
    void ReleasePress(const THeldPress& press, bool widgetReleases);
    void EndPress(const THeldPress& press, bool widgetReleases);
    void ReleaseChangedDefinitions();
    void ReleaseAllHeld();
    bool HeardEverywhere(quint32 source) const;
    void ReleaseUnheard();
    void ReleaseOnFocusLoss();
    void RunPendingReleases();
    TQelSpeedButton* GridButton(int number) const;
    IWindowSystem& WindowSystem() const;
    void Feedback(int number, TFeedback effect);
    void ShowFeedback(TQelSpeedButton* button, TCommandSet& d, TFeedback effect);
    void ApplyHeldFeedback();
    bool FeedbackWaits(int number) const;
    bool HandlerRunning() const { return !m_handledButtons.empty(); }
    bool Handling(int number) const;
    quint16 PhysicalCode(quint32 scanCode, quint16 inEffect);
    void GlobalKeyHeard(const TGlobalKey& key);
    bool DesktopTakes(quint16 key) const;

    TPlatform m_platform;
    TGlobalSettings m_settings;
    TOutputs m_outputs;
    TFeedbackInput m_input;
    std::unique_ptr<TCommandList> m_commandList;
    QString m_settingsPath;
    QString m_caption;
    TImageList m_imageList;
    bool m_buttonsBuilt = false;
    int m_currentButton = 0;
    QPoint m_popupPoint;
    quint16 m_lastKeyDown = 0;
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
    std::vector<TQelSpeedButton*> m_buttons;
    QAction* m_actButtonPaste = nullptr; // the "Button Paste" item, enabled once filled
    THeldPresses m_held;
    // Feedback for buttons held (or while a handler runs), by button number: the latest, with
    // the definition it was about.
    struct TLaterFeedback
    {
        TFeedback Effect;
        TCommandSet Definition;
    };
    std::map<int, TLaterFeedback> m_laterFeedback;
    std::unique_ptr<IKeyboardMap> m_keyboardMap;
    std::unique_ptr<IGlobalKeys> m_ownGlobalKeys;
    IGlobalKeys* m_globalKeys = nullptr; // made when first needed
    std::vector<int> m_handledButtons; // of the press and key handlers running (modal boxes
                                       // nest), innermost last
    bool m_releasePending = false;         // focus was lost while a handler ran
    std::vector<quint32> m_pendingSources; // sources released while a handler ran
    bool m_closePending = false;           // a close asked for while a handler ran
    friend class THandlerScope;
    bool m_loadFailed = false;
    bool m_startRefused = false;
    bool m_unattended = false;
    bool m_savedElsewhere = false; // Save As chose another file for this run's set
    int m_exitCode = 0;
    std::unique_ptr<TSettingsGuard> m_guard;
    TReleaseWatch* m_releaseWatch = nullptr; // the mouse's release after a press's error box
    TGridKeys* m_gridKeys = nullptr;         // the arrows and Tab on the grid, made with it
    TfmConfiguration* m_fmConfiguration = nullptr;
    TAboutBox* m_aboutBox = nullptr;
    // The dialogs: children of the window, created hidden once.
    TfmProperties* m_properties = nullptr;
    TfmImageBrowser* m_imageBrowser = nullptr;
};

// Marks a press or key handler as running for as long as it lives.
class THandlerScope
{
public:
    // `button`: the number of the button whose press or release it handles, 0 for none.
    explicit THandlerScope(TfmMain& window, int button = 0);
    ~THandlerScope();
    THandlerScope(const THandlerScope&) = delete;
    THandlerScope& operator=(const THandlerScope&) = delete;

private:
    TfmMain& m_window;
};
