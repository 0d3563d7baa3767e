#include "QtPlatform.h"

#include <QtGlobal>

QByteArray QtPlatformFor(const QByteArray& userChoice)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN) && !defined(Q_OS_ANDROID)
    if (userChoice.isEmpty())
        return QByteArrayLiteral("xcb;wayland");
#endif
    return userChoice;
}

void ChooseQtPlatform()
{
    const QByteArray platform = QtPlatformFor(qgetenv("QT_QPA_PLATFORM"));
    if (!platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform);
}
