#include "SettingsPath.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString WithIniExtension(const QString& programPath)
{
    const QFileInfo info(programPath);
    const QString suffix = info.suffix();
    QString base = programPath;
    if (!suffix.isEmpty() && !info.completeBaseName().isEmpty())
        base.chop(suffix.size() + 1);
    return base + ".ini";
}

// The save replaces the file through a temporary file beside it: the folder must be writable,
// and an existing file too.
bool CanUse(const QString& path)
{
    const QFileInfo file(path);
    return QFileInfo(file.absolutePath()).isWritable() && (!file.exists() || file.isWritable());
}

} // namespace

QString ChooseSettingsPath(const QStringList& arguments, const QString& programPath,
                           const QString& configDir)
{
    if (arguments.size() == 1)
        return arguments.front();
    const QString beside = WithIniExtension(programPath);
    if (CanUse(beside) || configDir.isEmpty())
        return beside;
    QDir().mkpath(configDir);
    return QDir(configDir).filePath("keyrill.ini");
}
