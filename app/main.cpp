#include "platform/MessageBoxes.h"
#include "mainwindow/main.h"
#include "midi/Midi.h"
#include "midi/RtMidiService.h"
#include "platform/ShutdownSignals.h"

#include <QApplication>
#include <QStandardPaths>

int main(int argc, char* argv[])
{
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
    // A signal or the session's end closes the window as the user would, saving the settings.
    const TShutdownSignals shutdownSignals([&fmMain] { fmMain.close(); });
    return application.exec();
}
