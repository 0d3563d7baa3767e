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
    // --help, --version, --list-outputs and --list-inputs answer before Qt looks for a display.
    if (const std::optional<int> exitCode = RunCommandLineOption(argc, argv))
        return *exitCode;
    ChooseQtPlatform();
    QApplication application(argc, argv);
    QApplication::setApplicationName("keyrill");
    QGuiApplication::setDesktopFileName("org.keyrill.Keyrill");
    // The program ends when its shutdown has finished, whatever the window's state: a window
    // hidden in the tray is no last window to close.
    QApplication::setQuitOnLastWindowClosed(false);
    // A signal or the session's end closes the window as the user would, saving the settings. In
    // place before the window exists, so that one during the start-up is kept until it is done.
    TShutdownSignals shutdownSignals;

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
    // A signal during the start-up's boxes (a device that cannot be opened, an unreadable file)
    // finds nobody to answer them: they are dismissed, the start-up runs to its end, and the
    // window then shuts down at once as after any signal.
    TfmMain* started = nullptr;
    bool stopAtStart = false;
    shutdownSignals.Start([&] {
        if (started) {
            started->CloseUnattended();
        } else {
            stopAtStart = true;
            boxes.DismissAll();
        }
    });
    TfmMain fmMain(platform);
    if (fmMain.StartRefused())
        return 1;
    boxes.SetParent(&fmMain);
    int exitCode = 0;
    QObject::connect(&fmMain, &TfmMain::ShutDown, &application, [&exitCode](int code) {
        exitCode = code;
        QCoreApplication::exit(code);
    });
    started = &fmMain;
    if (stopAtStart) {
        fmMain.CloseUnattended();
        return exitCode;
    }
    fmMain.show();
    return application.exec();
}
