// The settings file as the main window meets it: a caption too long for the window system, a
// disk that fills during the save at close, and the signals that close the window.
#include "SettingsTestSupport.h"

#include "mainwindow/MainWindowFixture.h"
#include "platform/ShutdownSignals.h"

#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>

#include <csignal>
#include <sys/resource.h>

namespace {

class SettingsWindow : public MainWindowTest
{
};

struct CaptionCase
{
    const char* name;
    QString caption;
    QString shown;
};

class CaptionCut : public SettingsWindow, public testing::WithParamInterface<CaptionCase>
{
};

TEST_P(CaptionCut, TitleAndHintAreCutWhileTheSettingIsKept)
{
    WriteSettings("[General]\nCaption=" + GetParam().caption.toUtf8() + "\n");
    TfmMain& window = Start(false);
    EXPECT_EQ(window.windowTitle(), GetParam().shown);
    EXPECT_EQ(window.TrayIcon()->toolTip(), GetParam().shown);
    EXPECT_EQ(window.Caption(), GetParam().caption);
    ASSERT_TRUE(window.close());
    EXPECT_TRUE(ReadSettings().contains("Caption=" + GetParam().caption.toUtf8() + "\r\n"));
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, CaptionCut,
    testing::Values(CaptionCase{"Short", "Stage Left", "Stage Left"},
                    CaptionCase{"TwentyMegabytes", QString(20'000'000, u'x'), QString(256, u'x')},
                    CaptionCase{"PairAtTheCutIsNotSplit",
                                QString(255, u'a') + QStringLiteral("𝄞tail"), QString(255, u'a')}),
    [](const testing::TestParamInfo<CaptionCase>& info) { return info.param.name; });

// A file-size limit makes the save fail part-way, as a full disk does.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = m_saved;
        small.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    struct rlimit m_saved = {};
    void (*m_handler)(int) = nullptr;
};

TEST_F(SettingsWindow, DiskFullAtCloseKeepsTheOldFileAndTheNextCloseSaves)
{
    const QByteArray old = "[General]\r\nButton Rows=20\r\nButton Cols=20\r\nCaption=Old\r\n\r\n";
    WriteSettings(old);
    TfmMain& window = Start();
    window.SetCaption(QStringLiteral("New"));
    {
        FileSizeLimit full(4096);
        EXPECT_FALSE(window.close());
    }
    EXPECT_TRUE(window.isVisible());
    ASSERT_EQ(m_boxes.Boxes.size(), 1u);
    EXPECT_TRUE(m_boxes.Boxes[0].Text.startsWith("Cannot create file \"" + Path() + "\". "))
        << m_boxes.Boxes[0].Text.toStdString();
    EXPECT_EQ(ReadSettings(), old);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"keyrill.ini", "keyrill.ini.lock"}));

    EXPECT_TRUE(window.close()) << "space is back";
    EXPECT_TRUE(ReadSettings().contains("Caption=New\r\n"));
    EXPECT_TRUE(ReadSettings().contains("[Button 400 Release]"));
}

// ---- Signals ----------------------------------------------------------------------------------

class ShutdownSignals : public SettingsWindow, public testing::WithParamInterface<int>
{
};

TEST_P(ShutdownSignals, SignalClosesTheWindowAndSaves)
{
    TfmMain& window = Start();
    window.SetCaption(QStringLiteral("Edited"));
    TShutdownSignals shutdown([&window] { window.close(); }, 0);
    ASSERT_EQ(::raise(GetParam()), 0);
    EXPECT_TRUE(QTest::qWaitFor([&window] { return !window.isVisible(); }, 5000));
    EXPECT_TRUE(ReadSettings().contains("Caption=Edited\r\n"));
}

INSTANTIATE_TEST_SUITE_P(Signals, ShutdownSignals, testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const testing::TestParamInfo<int>& info) {
                             return std::string(info.param == SIGTERM  ? "Term"
                                                : info.param == SIGINT ? "Int"
                                                                       : "Hup");
                         });

TEST_F(SettingsWindow, SignalDuringAMenuClosesOnlyOnceTheMenuHasReturned)
{
    TfmMain& window = Start();
    TShutdownSignals shutdown([&window] { window.close(); }, 0);
    QTimer::singleShot(50, [] { ::raise(SIGTERM); });
    QMenu menu(&window);
    menu.addAction(QStringLiteral("Item"));
    menu.exec(window.mapToGlobal(QPoint(10, 10)));
    // The code that opened the menu resumes on a window that has not shut down.
    EXPECT_NE(window.CommandList(), nullptr);
    EXPECT_FALSE(QFile::exists(Path()));
    EXPECT_TRUE(QTest::qWaitFor([&window] { return !window.isVisible(); }, 5000));
    EXPECT_TRUE(QFile::exists(Path()));
}

} // namespace
