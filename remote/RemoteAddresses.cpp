#include "RemoteAddresses.h"

#include <QNetworkInterface>

QStringList RemoteAddresses(int port, const QString& token)
{
    QStringList v4;
    QStringList v6;
    for (const QHostAddress& address : QNetworkInterface::allAddresses()) {
        if (address.isLoopback() || address.isLinkLocal())
            continue;
        const bool ip4 = address.protocol() == QAbstractSocket::IPv4Protocol;
        (ip4 ? v4 : v6) << (ip4 ? address.toString() : '[' + address.toString() + ']');
    }
    QStringList hosts = v4 + v6;
    if (hosts.isEmpty())
        hosts << QStringLiteral("127.0.0.1");
    QStringList addresses;
    for (const QString& host : hosts)
        addresses << QStringLiteral("http://%1:%2/?token=%3").arg(host).arg(port).arg(token);
    return addresses;
}
