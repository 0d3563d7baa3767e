#include "ConfigurationFixture.h"

#include "dialogs/ExeInfo.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace {

TEST(ExeInfo, ThisBuildNamesKeyrill150)
{
    const TExeInfo info;
    EXPECT_EQ(info.ProductName(), "Keyrill");
    EXPECT_EQ(info.FileVersion(), "1.5.0.0");
}

TEST(ExeInfo, WithoutVersionDataEveryStringSaysUpdatedAtRunTime)
{
    const TExeInfo info(std::nullopt);
    for (const QString& key : TExeInfo::Keys())
        EXPECT_EQ(info.Value(key), "Updated at run-time") << key.toStdString();
}

TEST(ExeInfo, AKeyMissingFromTheDataReadsEmpty)
{
    const TExeInfo info(TExeInfo::TStrings{{"ProductName", "Keyrill"}});
    EXPECT_EQ(info.ProductName(), "Keyrill");
    EXPECT_EQ(info.FileVersion(), "");
}

class AboutBoxTest : public ConfigurationTest
{
protected:
    TAboutBox& Box() const { return *m_window->AboutBox(); }
    QString Text(const char* label) const
    {
        return Box().findChild<QLabel*>(QLatin1String(label))->text();
    }
    // Shows the box modally from the menu; `inside` runs in its loop and must close it.
    void ShowFromMenu(const std::function<void()>& inside)
    {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            ran = true;
            EXPECT_EQ(QApplication::activeModalWidget(), &Box());
            inside();
        });
        m_window->mnAboutClick();
        EXPECT_TRUE(ran);
        EXPECT_FALSE(Box().isVisible());
    }
};

TEST_F(AboutBoxTest, ShowsNameVersionContactAndIcon)
{
    Start();
    ShowFromMenu([&] {
        EXPECT_EQ(Box().windowTitle(), "About Keyrill");
        EXPECT_EQ(Text("ProgramName"), "Keyrill");
        EXPECT_EQ(Text("Version"), "Version 1.5.0.0");
        EXPECT_EQ(Text("Email"), TAboutBox::kContact);
        EXPECT_TRUE(Box().findChild<QLabel*>("ProgramName")->font().bold());
        EXPECT_FALSE(Box().findChild<QLabel*>("IconImage")->pixmap().isNull());
        auto* close = Box().findChild<QPushButton*>("btOK");
        EXPECT_EQ(close->text(), "Close");
        EXPECT_TRUE(close->isDefault());
        close->click();
    });
}

TEST_F(AboutBoxTest, WithoutVersionDataTheFallbackTextsShow)
{
    Start();
    TAboutBox box(m_window.get(), TExeInfo(std::nullopt));
    box.show();
    EXPECT_EQ(box.windowTitle(), "About Updated at run-time");
    EXPECT_EQ(box.findChild<QLabel*>("ProgramName")->text(), "Updated at run-time");
    EXPECT_EQ(box.findChild<QLabel*>("Version")->text(), "Version Updated at run-time");
}

TEST_F(AboutBoxTest, EscapeClosesOnItsReleaseNotItsPress)
{
    Start();
    ShowFromMenu([&] {
        QTest::keyPress(&Box(), Qt::Key_Escape);
        EXPECT_TRUE(Box().isVisible());
        QTest::keyRelease(&Box(), Qt::Key_Escape);
    });
}

TEST_F(AboutBoxTest, EnterPressesClose)
{
    Start();
    ShowFromMenu([&] { QTest::keyClick(&Box(), Qt::Key_Return); });
}

TEST_F(AboutBoxTest, TheCloseBoxCloses)
{
    Start();
    ShowFromMenu([&] { Box().close(); });
}

TEST_F(AboutBoxTest, CentredOverTheMainWindowFirstThenWhereItWasLeft)
{
    Start();
    m_window->move(100, 80);
    QPoint centre, reopened;
    ShowFromMenu([&] {
        centre = Box().frameGeometry().center();
        Box().move(300, 250);
        Box().close();
    });
    EXPECT_LE((centre - m_window->frameGeometry().center()).manhattanLength(), 2);
    ShowFromMenu([&] {
        reopened = Box().pos();
        Box().close();
    });
    EXPECT_EQ(reopened, QPoint(300, 250));
}

} // namespace
