#pragma once

#include <QByteArray>

// The Qt platform to ask for, given what the user set in QT_QPA_PLATFORM (empty for nothing).
// On a Wayland session no program may place its own window, so unless the user chose, X11
// comes first (XWayland there) and Wayland only where X is missing.
QByteArray QtPlatformFor(const QByteArray& userChoice);

// Sets QT_QPA_PLATFORM by QtPlatformFor; to be called before the application object exists.
void ChooseQtPlatform();
