#include "platform/MessageBoxes.h"
#include "platform/QtPlatform.h"
#include "mainwindow/main.h"
#include "midi/Midi.h"
#include "midi/RtMidiService.h"

#include <QApplication>
#include <QStandardPaths>

int main(int argc, char* argv[])
{
    ChooseQtPlatform();
    QApplication application(argc, argv);
    QApplication::setApplicationName("keyrill");

    // The MIDI device object outlives the main window, as the devices it holds may still be open
    // when the window has closed.
    TRtMidiService service;
    TMidiSystem midi(service);
    TQtMessageBoxes boxes;

    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    const TPlatform platform{midi, boxes, arguments, QApplication::applicationFilePath(),
                             QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)};
    TfmMain fmMain(platform);
    fmMain.CreateDialogs();
    boxes.SetParent(&fmMain);
    fmMain.show();
    return application.exec();
}
