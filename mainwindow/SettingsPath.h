#pragma once

#include <QString>
#include <QStringList>

// Chooses the settings file: the one argument when there is exactly one, otherwise the program's
// own path with ".ini". When that file neither exists nor can be created beside the program (an
// install in a system folder), `keyrill.ini` in the user's configuration folder is used instead,
// so that shutdown can always save.
QString ChooseSettingsPath(const QStringList& arguments, const QString& programPath,
                           const QString& configDir);
