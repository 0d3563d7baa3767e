#include "RemoteModule.h"

#include "platform/ModulePaths.h"

#include <QFileInfo>
#include <QLibrary>

namespace {

struct TLoaded
{
    const TRemoteModuleEntry* Entry = nullptr;
    QString Failure;
};

TLoaded Load()
{
    TLoaded loaded{nullptr,
                   QStringLiteral("%1 not found").arg(QStringLiteral(KEYRILL_REMOTE_MODULE))};
    for (const std::string& path : ModulePaths(KEYRILL_REMOTE_MODULE)) {
        const QString file = QString::fromStdString(path);
        if (!QFileInfo::exists(file))
            continue;
        // Stays loaded when the object goes (Qt unloads only on request), as it must: Qt's
        // network classes keep threads and handlers to the end of the process.
        QLibrary library(file);
        const auto entry =
            reinterpret_cast<TKeyrillRemoteEntry>(library.resolve(KEYRILL_REMOTE_ENTRY_NAME));
        if (entry)
            return {entry(), {}};
        loaded.Failure = library.errorString();
    }
    return loaded;
}

// `failure`: the user's text, when the module cannot be had.
const TRemoteModuleEntry* Entry(QString& failure)
{
    static const TLoaded loaded = Load();
    if (!loaded.Entry)
        failure = QStringLiteral("The remote control cannot be started: ") + loaded.Failure;
    return loaded.Entry;
}

} // namespace

namespace RemoteModule {

std::unique_ptr<IRemoteLink> MakeLink(IRemoteLinkOwner& owner, QString& failure)
{
    const TRemoteModuleEntry* entry = Entry(failure);
    return entry ? std::unique_ptr<IRemoteLink>(entry->CreateLink(owner)) : nullptr;
}

QStringList Addresses(int port, const QString& token, QString& failure)
{
    const TRemoteModuleEntry* entry = Entry(failure);
    return entry ? entry->Addresses(port, token) : QStringList();
}

QImage QrCode(const QString& text, int scale)
{
    QString failure;
    const TRemoteModuleEntry* entry = Entry(failure);
    return entry ? entry->QrCode(text, scale) : QImage();
}

} // namespace RemoteModule
