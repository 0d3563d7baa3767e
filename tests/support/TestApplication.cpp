#include "TestApplication.h"

#include <QApplication>

QApplication& TestApplication()
{
    static int argc = 1;
    static char name[] = "keyrill-test";
    static char* argv[] = {name, nullptr};
    // Never destroyed: Qt's own test objects (the fake pointing devices of QTest) are static and
    // must not outlive the application at exit.
    static QApplication* application = new QApplication(argc, argv);
    return *application;
}
