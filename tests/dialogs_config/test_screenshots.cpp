#include "ConfigurationFixture.h"

#include <QAbstractItemView>
#include <QDir>
#include <QImage>

namespace {

// Pictures of every Configuration page and of the About box, written into the build folder for a
// person to look at.
TEST_F(ConfigurationTest, WritesScreenshotsOfEveryPageAndTheAboutBox)
{
    m_service.DeviceNames = {"Fake Synth", "Second Synth"};
    WriteSettings("[Output 2]\nMIDI Device=1\nActive=1\n");
    Start();
    const QDir dir(QStringLiteral(KEYRILL_SCREENSHOT_DIR));
    ASSERT_TRUE(dir.mkpath("."));
    Open();
    auto* list = Control<QListWidget>("PageList");
    for (int row = 0; row < list->count(); ++row) {
        list->setCurrentRow(row);
        const QImage shot = Dialog().grab().toImage();
        ASSERT_FALSE(shot.isNull());
        const QString file = dir.filePath(QStringLiteral("configuration-%1.png").arg(ShownPage()));
        EXPECT_TRUE(shot.save(file)) << file.toStdString();
    }
    // The font list opened: each name in its own typeface after the mark of its kind.
    list->setCurrentRow(1);
    auto* fonts = Control<QComboBox>("edFontName");
    fonts->showPopup();
    QWidget* popup = fonts->view()->window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(popup));
    EXPECT_TRUE(popup->grab().toImage().save(dir.filePath("configuration-fontlist.png")));
    fonts->hidePopup();
    Close();

    TAboutBox& box = *m_window->AboutBox();
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    const QString file = dir.filePath("about.png");
    EXPECT_TRUE(box.grab().toImage().save(file)) << file.toStdString();
    box.close();
}

} // namespace
