#pragma once

#include <QString>
#include <QStringList>

// Chooses the settings file: the one argument when there is exactly one, otherwise the program's
// own path with ".ini". When that file cannot be written there (an install in a system folder: the
// folder, or the file if it exists, is not writable), `keyrill.ini` in the user's configuration
// folder is used instead, so that shutdown can always save.
QString ChooseSettingsPath(const QStringList& arguments, const QString& programPath,
                           const QString& configDir);
