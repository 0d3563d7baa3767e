// Writes keyrill-properties-dialog.png into the working directory (ctest: the build directory)
// for a person to look at: the Properties dialog with each of its tabs, and the icon chooser.
#include "DialogFixture.h"

#include <QDir>
#include <QPainter>

#include <cstdio>

namespace {

// Every visible child of `parent` lies inside it and overlaps none of its visible siblings.
void ExpectTidy(QWidget* parent)
{
    QList<QWidget*> children;
    for (QWidget* child : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->isVisible() && !child->objectName().startsWith("qt_"))
            children << child;
    for (QWidget* child : children) {
        EXPECT_TRUE(parent->rect().contains(child->geometry()))
            << qPrintable(child->objectName()) << " sticks out of "
            << qPrintable(parent->objectName());
        for (QWidget* other : children) {
            if (other != child && child < other) {
                EXPECT_FALSE(child->geometry().intersects(other->geometry()))
                    << qPrintable(child->objectName()) << " overlaps "
                    << qPrintable(other->objectName());
            }
        }
    }
}

TEST_F(PropertiesTest, WritesAPictureOfBothTabsAndTheChooser)
{
    TCommandSet& d = Definition(2);
    d.Action = actPressRelease;
    d.HotKey = "F5";
    d.Press = {"Kick\\nDrum", {1, 9, 36, 110}, 1, 0x00FFFF, 0x000000, 40, {}};
    d.Release = {"Off", {0, 9, 36, 0}, 2, 0xC0DCC0, 0x800000, 2, {}};
    d.Release.Msg.Message = 6;
    Open(2);
    ExpectTidy(m_dialog.get());
    ExpectTidy(Tabs()->widget(0));

    const QImage press = m_dialog->grab().toImage();
    Tabs()->setCurrentIndex(1);
    ExpectTidy(Tabs()->widget(1));
    const QImage release = m_dialog->grab().toImage();
    m_chooser.SetImageList(&Icons());
    m_chooser.SetSelectedIndex(40);
    m_chooser.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_chooser));
    const QImage chooser = m_chooser.grab().toImage();
    m_chooser.hide();

    const int gap = 12;
    QImage sheet(press.width() * 2 + chooser.width() + gap * 4,
                 std::max(press.height(), chooser.height()) + gap * 2, QImage::Format_RGB32);
    sheet.fill(Qt::darkGray);
    QPainter painter(&sheet);
    painter.drawImage(gap, gap, press);
    painter.drawImage(press.width() + gap * 2, gap, release);
    painter.drawImage(press.width() * 2 + gap * 3, gap, chooser);
    painter.end();
    const QString path = QDir::current().absoluteFilePath("keyrill-properties-dialog.png");
    ASSERT_TRUE(sheet.save(path));
    std::printf("dialog picture: %s\n", qPrintable(path));
}

} // namespace
