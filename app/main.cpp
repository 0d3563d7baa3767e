#include "mainwindow/main.h"
#include "app/CommandLine.h"
#include "midi/Midi.h"
#include "midi/MidiApi.h"
#include "midi/MidiModule.h"
#include "platform/MessageBoxes.h"
#include "platform/QtPlatform.h"
#include "platform/ShutdownSignals.h"

#include <QApplication>
#include <QStandardPaths>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
    // --help, --version and --list-outputs answer before Qt looks for a display.
    if (const std::optional<int> exitCode = RunCommandLineOption(argc, argv))
        return *exitCode;
    ChooseQtPlatform();
    QApplication application(argc, argv);
    QApplication::setApplicationName("keyrill");
    QGuiApplication::setDesktopFileName("org.keyrill.Keyrill");

    // The MIDI device object outlives the main window, as the devices it holds may still be open
    // when the window has closed.
    const TMidiApiChoice api = ChooseMidiApi(std::getenv(kMidiApiVariable));
    if (!api.Error.empty())
        std::fprintf(stderr, "%s\n", api.Error.c_str());
    TMidiModuleService service(api.Api, TMidiModuleService::DefaultPaths());
    TMidiSystem midi(service);
    TQtMessageBoxes boxes;

    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    const TPlatform platform{midi, boxes, arguments, QApplication::applicationFilePath(),
                             QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)};
    TfmMain fmMain(platform);
    boxes.SetParent(&fmMain);
    fmMain.show();
    // A signal or the session's end closes the window as the user would, saving the settings.
    const TShutdownSignals shutdownSignals([&fmMain] { fmMain.close(); });
    return application.exec();
}
