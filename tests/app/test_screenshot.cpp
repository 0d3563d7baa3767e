// The main window as the README and the AppStream metainfo show it: a set of buttons rendered
// off-screen and saved as a PNG. `make screenshot` copies it into resources/screenshots/.
#include "mainwindow/MainWindowFixture.h"

#include <QDir>
#include <QImage>

namespace {

const QByteArray kShowcase = R"([Windows]
Main Top=40
Main Left=40
Main Width=640
Main Height=360
[General]
Button Rows=3
Button Cols=4
Font Name=DejaVu Sans
Font Size=11
Caption=Keyrill - Live set
[Output 1]
MIDI Device=0
Active=1
[Button 1]
Caption=Intro
Message=4
Note=1
Image Index=0
Button Colour=#A8E6A1
[Button 2]
Caption=Verse
Message=4
Note=2
Image Index=24
Button Colour=#A8E6A1
[Button 3]
Caption=Chorus
Message=4
Note=3
Image Index=82
Button Colour=#A8E6A1
[Button 4]
Action=1
Caption=Kick
Message=1
Note=36
Velocity=110
Image Index=40
Button Colour=#FFC65C
[Button 4 Release]
Caption=Kick
Message=0
Note=36
Button Colour=#FF8A1E
[Button 5]
Action=1
Caption=Snare
Message=1
Note=38
Velocity=100
Image Index=42
Button Colour=#FFC65C
[Button 6]
Action=1
Caption=Hi-hat
Message=1
Note=42
Velocity=90
Image Index=43
Button Colour=#FFC65C
[Button 7]
Action=2
Caption=Lights\nOff
Message=3
Note=20
Velocity=127
Image Index=57
Button Colour=#3A445C
Text Colour=#FFFFFF
[Button 7 Release]
Caption=Lights\nOn
Message=3
Note=20
Velocity=0
Image Index=56
Button Colour=#FFD060
[Button 8]
Caption=Fader\nUp
Message=3
Note=7
Velocity=100
Image Index=22
[Button 9]
Caption=Fader\nDown
Message=3
Note=7
Velocity=40
Image Index=22
[Button 10]
Caption=Start
Message=7
Channel=10
Image Index=0
Button Colour=#6CB4FF
[Button 11]
Caption=Stop
Message=7
Channel=12
Image Index=2
Button Colour=#FF7A7A
[Button 12]
Caption=Tap\nTempo
Message=7
Channel=8
Image Index=37
Button Colour=#6CB4FF
)";

using MainWindowScreenshot = MainWindowTest;

TEST_F(MainWindowScreenshot, RendersTheShowcaseSetAndSavesItAsPng)
{
    WriteSettings(kShowcase);
    TfmMain& window = Start();
    // One toggle switched on, as on a stage: the Release side's face is in effect.
    Click(7);
    ASSERT_EQ(Button(12)->isVisible(), true);

    const QImage shot = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(shot.isNull());
    EXPECT_EQ(shot.size(), window.size());
    // Each button's face colour where the face begins: the grid is there, and in the window.
    const struct
    {
        int Button;
        QRgb Face;
    } faces[] = {{1, 0xA8E6A1}, {4, 0xFFC65C}, {7, 0xFFD060}, {8, 0xFFFBF0}, {11, 0xFF7A7A}};
    for (const auto& face : faces) {
        const QPoint at = Button(face.Button)->geometry().topLeft() + QPoint(1, 1);
        EXPECT_EQ(shot.pixel(at) & 0xFFFFFF, face.Face) << "button " << face.Button;
    }

    const QString dir = qEnvironmentVariable("KEYRILL_SCREENSHOT_DIR", KEYRILL_SCREENSHOT_DIR);
    ASSERT_TRUE(QDir().mkpath(dir));
    const QString file = QDir(dir).filePath("keyrill-main.png");
    ASSERT_TRUE(shot.save(file, "PNG")) << file.toStdString();
    EXPECT_EQ(QImage(file).size(), shot.size());
}

} // namespace
