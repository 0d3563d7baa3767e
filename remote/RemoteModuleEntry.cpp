// The remote module's one export.
#include "QrCode.h"
#include "RemoteAddresses.h"
#include "WebSocketLink.h"

namespace {

IRemoteLink* CreateLink(IRemoteLinkOwner& owner)
{
    QString unused;
    return MakeWebSocketLink(owner, unused).release();
}

const TRemoteModuleEntry kEntry{&CreateLink, &RemoteAddresses, &QrCodeImage};

} // namespace

extern "C" Q_DECL_EXPORT const TRemoteModuleEntry* KeyrillRemoteEntry()
{
    return &kEntry;
}
