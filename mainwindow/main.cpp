#include "main.h"

#include "KeyrillVersion.h"
#include "SettingsPath.h"
#include "platform/MessageBoxes.h"
#include "settings/Settings.h"

#include <QCloseEvent>
#include <QSystemTrayIcon>

#include <exception>


TfmMain::TfmMain(const TPlatform& platform)
    : m_platform(platform),
      m_outputs(platform.Midi, platform.Boxes, m_settings.ShowOutputErrors,
                [this] { return mapToGlobal(QPoint(0, 0)); })
{
    // A title set elsewhere (the Configuration dialog) is the caption that is saved.
    connect(this, &QWidget::windowTitleChanged, this, [this](const QString& title) {
        if (!m_showingCaption)
            SetCaption(title);
    });
    setWindowTitle(QStringLiteral(KEYRILL_PRODUCT_NAME));
    setWindowIcon(KeyrillIcon());
    setMinimumSize(150, 150);
    resize(280, 164);
    setFocusPolicy(Qt::StrongFocus);
    CreatePopupMenu();
    FormCreate();
}

TfmMain::~TfmMain() = default;

void TfmMain::FormCreate()
{
    // Qt widgets are double-buffered already; nothing to switch on.
    m_outputs.CreateOutputs();
    m_trayIcon = new QSystemTrayIcon(KeyrillIcon(), this);
    m_commandList = std::make_unique<TCommandList>();
    m_settingsPath =
        ChooseSettingsPath(m_platform.Arguments, m_platform.ProgramPath, m_platform.ConfigDir);
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
    m_trayIcon->setToolTip(windowTitle());
    if (m_settings.MainBorderless)
        setWindowFlag(Qt::FramelessWindowHint, true);
    else if (!m_settings.AllowWindowResizing)
        setWindowFlag(Qt::MSWindowsFixedSizeDialogHint, true);
    move(m_settings.MainLeft, m_settings.MainTop);
    resize(m_settings.MainWidth, m_settings.MainHeight); // the minimum size still holds
    BuildButtons();
    actResizeButtonsExecute();
    RefreshButtons();
    if (QAction* item = MenuItem("mnConfiguration"))
        item->setVisible(m_settings.AllowEditing);
    m_outputs.OpenActiveOutputs();
}

void TfmMain::CreateDialogs()
{
}

void TfmMain::FormShow()
{
    if (m_settings.MainMaximised)
        setWindowState(windowState() | Qt::WindowMaximized);
}

bool TfmMain::FormClose()
{
    if (m_closed)
        return true;
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))) {
        m_settings.MainTop = y();
        m_settings.MainLeft = x();
        m_settings.MainHeight = height();
        m_settings.MainWidth = width();
    }
    try {
        if (!m_loadFailed)
            SaveSettings();
    } catch (const std::exception& error) {
        // Nothing is lost: the window stays open and the next close tries the whole sequence.
        ReportError(QString::fromStdString(error.what()));
        return false;
    }
    m_commandList.reset();
    m_outputs.CloseOutputs();
    m_closed = true;
    return true;
}

void TfmMain::LoadSettings()
{
    TSettingsData data{m_settings, m_outputs.Slots(), *m_commandList, {}, false, false};
    ::LoadSettings(m_settingsPath, data);
    SetCaption(data.Caption);
    m_trayIconActive = data.MinimiseToTray;
}

void TfmMain::SaveSettings()
{
    if (!m_commandList)
        return;
    TSettingsData data{m_settings, m_outputs.Slots(), *m_commandList, {}, false, false};
    data.Caption = m_caption;
    data.MinimiseToTray = m_trayIconActive;
    data.WindowMaximised = isMaximized();
    ::SaveSettings(m_settingsPath, data);
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
    m_showingCaption = true;
    setWindowTitle(shown);
    m_showingCaption = false;
    if (m_trayIcon)
        m_trayIcon->setToolTip(shown);
}

void TfmMain::ReportError(const QString& text)
{
    m_platform.Boxes.Show(QStringLiteral(KEYRILL_PRODUCT_NAME), text, TBoxIcon::Error);
}

void TfmMain::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfmMain::closeEvent(QCloseEvent* event)
{
    if (FormClose())
        event->accept();
    else
        event->ignore();
}
