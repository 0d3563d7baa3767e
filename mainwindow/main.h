#pragma once

#include "midi/Outputs.h"
#include "model/qelCommandList.h"
#include "settings/GlobalSettings.h"
#include "widgets/ImageList.h"

#include <QPoint>
#include <QStringList>
#include <QWidget>

#include <memory>
#include <vector>

class IMessageBoxes;
class QAction;
class QMenu;
class QSystemTrayIcon;
class TAdvToolButton;
class TQelSpeedButton;
class TMidiSystem;
struct TCommand;

// What the main window needs of the world outside it: the MIDI service, the message boxes and
// the facts of the process. Tests hand in doubles.
struct TPlatform
{
    TMidiSystem& Midi;
    IMessageBoxes& Boxes;
    QStringList Arguments; // command-line arguments, the program's name left out
    QString ProgramPath;   // full path of the program file
    QString ConfigDir;     // the user's configuration folder (fallback for the settings file)
};

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
    const QString& SettingsPath() const { return m_settingsPath; }
    const TImageList& ImageList() const { return m_imageList; }
    bool ButtonsBuilt() const { return m_buttonsBuilt; }
    int CurrentButton() const { return m_currentButton; }
    QPoint PopupPoint() const { return m_popupPoint; }
    quint16 LastKeyDown() const { return m_lastKeyDown; }
    bool TrayIconActive() const { return m_trayIconActive; }
    QSystemTrayIcon* TrayIcon() const { return m_trayIcon; }
    QMenu* PopupMenu() const { return m_popupMenu; }
    // The "Caption" setting as stored; the window title and the tray hint show it cut short.
    const QString& Caption() const { return m_caption; }
    void SetCaption(const QString& caption);

    // Start-up and shutdown.
    void FormCreate();
    // Creates the dialogs, hidden, once; the program entry calls it right after the window.
    void CreateDialogs();
    void FormShow();
    bool FormClose(); // false when the settings could not be saved: the window stays open
    void LoadSettings();
    void SaveSettings();

    // The grid.
    void BuildButtons();
    void DestroyButtons();
    void actResizeButtonsExecute();
    void RefreshButtons();
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
    void HandleHotKey(quint16 key, bool down);

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

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void CreatePopupMenu();
    TCommandSet* Definition(const TAdvToolButton* button);
    void SendSide(const TCommand& side);
    void HighlightOn(TAdvToolButton* button);
    void HighlightOff(TAdvToolButton* button);
    void ReportError(const QString& text);
    void ReleaseHeldHotKeys();

    TPlatform m_platform;
    TGlobalSettings m_settings;
    TOutputs m_outputs;
    std::unique_ptr<TCommandList> m_commandList;
    QString m_settingsPath;
    QString m_caption;
    bool m_showingCaption = false; // SetCaption is putting the cut caption on the title
    TImageList m_imageList;
    bool m_buttonsBuilt = false;
    int m_currentButton = 0;
    QPoint m_popupPoint;
    quint16 m_lastKeyDown = 0;
    bool m_trayIconActive = false;
    bool m_closed = false;
    QSystemTrayIcon* m_trayIcon = nullptr;
    QMenu* m_popupMenu = nullptr;
    std::vector<TQelSpeedButton*> m_buttons;
    QAction* m_actButtonPaste = nullptr; // the "Button Paste" item, enabled once filled
    std::vector<quint16> m_heldHotKeys; // named keys that are down, released on focus loss
    int m_handlerDepth = 0;             // press and key handlers running (a modal box nests them)
    bool m_releasePending = false;      // focus was lost while a handler ran
    friend class THandlerScope;
    bool m_loadFailed = false;
};

// Marks a press or key handler as running for as long as it lives.
class THandlerScope
{
public:
    explicit THandlerScope(TfmMain& window);
    ~THandlerScope();
    THandlerScope(const THandlerScope&) = delete;
    THandlerScope& operator=(const THandlerScope&) = delete;

private:
    TfmMain& m_window;
};
