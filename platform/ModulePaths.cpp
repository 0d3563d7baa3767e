#include "ModulePaths.h"

#include <QFileInfo>

std::vector<std::string> ModulePaths(const char* fileName)
{
    const QString programDir = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    const QString name = QString::fromUtf8(fileName);
    return {(programDir + '/' + name).toStdString(),
            (programDir + QStringLiteral("/" KEYRILL_MODULES_FROM_BIN "/") + name).toStdString()};
}
