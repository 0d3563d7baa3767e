#pragma once

#include <QStringList>

// The addresses a browser on the network opens to reach the remote: one for each of the
// computer's network addresses (IPv4 first), or the computer itself when it has none.
QStringList RemoteAddresses(int port, const QString& token);
