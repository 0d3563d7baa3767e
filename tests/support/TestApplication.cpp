#include "TestApplication.h"

#include <QApplication>

QApplication& TestApplication()
{
    static int argc = 1;
    static char name[] = "keyrill-test";
    static char* argv[] = {name, nullptr};
    static QApplication application(argc, argv);
    return application;
}
