#include "main.h"

#include "AccessibleFrame.h"
#include "KeyrillVersion.h"
#include "SettingsPath.h"
#include "TrayIcon.h"
#include "dialogs/About.h"
#include "dialogs/ImageChooser.h"
#include "dialogs/configuration.h"
#include "dialogs/properties.h"
#include "platform/GlobalKeys.h"
#include "platform/KeyboardMap.h"
#include "platform/MessageBoxes.h"
#include "remote/RemoteModule.h"
#include "remote/RemoteServer.h"
#include "settings/Settings.h"
#include "settings/SettingsGuard.h"
#include "widgets/GridView.h"
#include "window.h"

#include <QApplication>
#include <QCloseEvent>

#include <exception>

TfmMain::TfmMain(const TPlatform& platform)
    : m_platform(platform), m_outputs(platform.Midi, platform.Boxes, m_settings.ShowOutputErrors,
                                      [this] { return mapToGlobal(QPoint(0, 0)); }),
      m_input(platform.Midi, platform.Boxes,
              [this](std::span<const TShortMessage> messages) { m_player.Feedback(messages); }),
      m_guard(std::make_unique<TSettingsGuard>())
{
    if (!m_platform.WindowSystem)
        m_ownWindowSystem = MakeWindowSystem();
    m_grid = new TGridView(*this, {m_player, m_imageList,
                                   [this] { return WindowSystem().PointerHeld(); },
                                   [this] { return m_settings.BorderHighlightColour; }});
    connect(m_grid, &TGridView::MenuAsked, this, &TfmMain::ShowMenu);
    m_remote = std::make_unique<TRemoteServer>(
        TRemoteServer::TLinks{
            m_player, m_imageList, [this] { return m_settings.BorderHighlightColour; },
            [this] { return m_settings.ButtonRows; }, [this] { return m_settings.ButtonCols; },
            [this] { m_player.Panic(); }},
        m_platform.RemoteLinks ? m_platform.RemoteLinks : &RemoteModule::MakeLink);
    m_keeper = std::make_unique<TWindowKeeper>(
        *this, WindowSystem(),
        TWindowKeeper::TRules{[this] { return MoveAllowed(); },
                              [this](QSize client) { return WholeButtons(client); }});
    InstallAccessibleFrame();
    SetCaption(QStringLiteral(KEYRILL_PRODUCT_NAME));
    setWindowIcon(KeyrillIcon());
    setMinimumSize(150, 150);
    resize(280, 164);
    setFocusPolicy(Qt::StrongFocus);
    m_keys.SetKeyboardMap(MakeSystemKeyboardMap());
    qApp->installEventFilter(this); // releases that go to menus and dialogs (keyboard.cpp)
    CreatePopupMenu();
    FormCreate();
}

TfmMain::~TfmMain() = default;

IWindowSystem& TfmMain::WindowSystem() const
{
    return m_platform.WindowSystem ? *m_platform.WindowSystem : *m_ownWindowSystem;
}

void TfmMain::FormCreate()
{
    // Qt widgets are double-buffered already; nothing to switch on.
    m_outputs.CreateOutputs();
    CreateTrayIcon();
    m_commandList = std::make_unique<TCommandList>();
    m_player.SetDefinitions(m_commandList.get());
    m_settingsPath =
        ChooseSettingsPath(m_platform.Arguments, m_platform.ProgramPath, m_platform.ConfigDir);
    if (m_guard->Lock(m_settingsPath) == TSettingsGuard::TLock::HeldElsewhere) {
        m_startRefused = true;
        ReportError(AlreadyOpenText(m_settingsPath));
        return;
    }
    try {
        LoadSettings();
    } catch (const std::exception& error) {
        // The rest of the start-up is skipped: the window opens empty and can still be closed.
        // Saving what was never loaded would overwrite the user's buttons with nothing, so this
        // run leaves the file alone.
        m_loadFailed = true;
        ReportError(QString::fromStdString(error.what()));
        return;
    }
    UpdateTrayToolTip();
    ApplyBorderStyle();
    PlaceWindow();
    BuildButtons();
    actResizeButtonsExecute();
    RefreshButtons();
    if (QAction* item = MenuItem("mnConfiguration"))
        item->setVisible(m_settings.AllowEditing);
    m_outputs.OpenActiveOutputs();
    m_input.Apply();
    ApplyRemote(m_remote->Settings());
}

QString TfmMain::ApplyRemote(const TRemoteSettings& settings)
{
    const QString failure = m_remote->Apply(settings);
    if (!failure.isEmpty())
        ReportError(failure);
    return failure;
}

void TfmMain::CreateDialogs()
{
    if (m_properties)
        return;
    // Made on first use, not at start-up: building them would delay the first frame by more
    // than the rest of the window takes. The chooser first: the Properties dialog is handed it.
    m_imageBrowser = new TfmImageBrowser(this);
    m_properties = new TfmProperties(
        TPropertiesLinks{[this] { return static_cast<const TCommandList*>(m_commandList.get()); },
                         m_imageList, *m_imageBrowser,
                         [this](const TCommand& side, bool release) {
                             m_player.PlaySide(TPlayer::kExampleLane, side, release);
                         },
                         [this] { return WindowSystem().PointerHeld(); },
                         [this] { return m_input.Slot().Active; },
                         [this](std::function<void(const TShortMessage&)> take) {
                             m_input.Learn(std::move(take));
                         }},
        this);
    m_fmConfiguration = new TfmConfiguration(
        TConfigurationTarget{m_settings, m_outputs.Slots(), m_input.Slot(), m_platform.Midi,
                             [this] { return m_caption; }, [this] { return m_trayIconActive; },
                             [this](const QString& title, bool trayIconActive) {
                                 ApplyConfiguration(title, trayIconActive);
                                 m_history.Applied(QStringLiteral("Configuration"));
                             },
                             [this] { return GlobalKeys().Unavailable(); },
                             [this] { return GlobalKeys().Reach(); },
                             [this] { return m_remote->Settings(); },
                             [this](const TRemoteSettings& s) { return ApplyRemote(s); },
                             [this] { m_history.Applying(); }},
        this);
    m_aboutBox = new TAboutBox(this);
    if (m_shownBefore)
        m_imageBrowser->SetImageList(&m_imageList);
}

void TfmMain::FormShow()
{
    // Only the first show: a window back from the tray keeps the state it had.
    if (m_settings.MainMaximised && !m_shownBefore)
        setWindowState(windowState() | Qt::WindowMaximized);
    if (m_imageBrowser)
        m_imageBrowser->SetImageList(&m_imageList);
    m_shownBefore = true;
}

void TfmMain::LoadSettings()
{
    TRemoteSettings remote;
    TSettingsData data{m_settings, m_outputs.Slots(), m_input.Slot(), *m_commandList, {}, false,
                       false, &remote};
    m_guard->Remember(m_settingsPath, ::LoadSettings(m_settingsPath, data));
    m_remote->Load(remote);
    SetCaption(data.Caption);
    SetTrayIconActive(data.MinimiseToTray);
}

void TfmMain::SetCaption(const QString& caption)
{
    // A hand-edited caption of megabytes exceeds the window system's request size and ends the
    // program; the title and the hint show the start, the setting keeps all of it.
    constexpr qsizetype kShown = 256;
    m_caption = caption;
    QString shown = caption.left(kShown);
    if (shown.size() == kShown && shown.back().isHighSurrogate())
        shown.chop(1);
    // Shown as typed: a doubled "[*]" is Qt's way to show the placeholder itself.
    setWindowTitle(shown.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]")));
    if (caption.isEmpty())
        WindowSystem().KeepEmptyTitle(*this);
}

void TfmMain::ReportError(const QString& text)
{
    m_platform.Boxes.Show(QStringLiteral(KEYRILL_PRODUCT_NAME), text, TBoxIcon::Error);
}

void TfmMain::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_caption.isEmpty())
        WindowSystem().KeepEmptyTitle(*this); // the new window got the program's name

    if (!event->spontaneous())
        FormShow();
}

QString AlreadyOpenText(const QString& path)
{
    return QStringLiteral("The settings file \"%1\" is already open in another Keyrill. Close it "
                          "there first, or start Keyrill on another settings file.")
        .arg(path);
}

void TfmMain::closeEvent(QCloseEvent* event)
{
    if (FormClose())
        event->accept();
    else
        event->ignore();
}
