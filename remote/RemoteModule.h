#pragma once

#include "RemoteLink.h"

// The remote's module, loaded at its first use and kept to the end of the process.
namespace RemoteModule {

// The network side; nullptr, with `failure` set, when the module cannot be loaded.
std::unique_ptr<IRemoteLink> MakeLink(IRemoteLinkOwner& owner, QString& failure);
// The addresses a browser opens, and a QR code of one; `failure` set to the user's text (and
// nothing returned) when the module cannot be loaded.
QStringList Addresses(int port, const QString& token, QString& failure);
QImage QrCode(const QString& text, int scale);

} // namespace RemoteModule
