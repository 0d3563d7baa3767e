#include "RemoteGate.h"

#include <QElapsedTimer>
#include <QUrl>
#include <QUrlQuery>

namespace {

// Compares in time that depends on the length of the given text only: a guess learns nothing
// from how long the answer takes.
bool SameSecret(const QByteArray& given, const QByteArray& secret)
{
    unsigned difference = unsigned(given.size() ^ secret.size());
    for (qsizetype i = 0; i < given.size(); ++i)
        difference |= unsigned(quint8(given[i]) ^ quint8(secret.isEmpty() ? 0 : secret[i % secret.size()]));
    return difference == 0 && !secret.isEmpty();
}

qint64 SteadyNow()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    return clock.elapsed();
}

} // namespace

TRemoteGate::TRemoteGate(std::function<qint64()> now)
    : m_now(now ? std::move(now) : std::function<qint64()>(SteadyNow))
{
}

TRemoteGate::TVerdict TRemoteGate::Check(const TRequest& request, int clients)
{
    const qint64 now = m_now();
    if (Blocked(request.From, now) || request.Method != "GET")
        return TVerdict::Refused;
    const QUrl url(QString::fromLatin1(request.Target));
    const QString path = url.path();
    const bool socket = path == QLatin1String("/ws") && request.Upgrade;
    if (path != QLatin1String("/") && !socket)
        return TVerdict::Refused;
    const QByteArray token =
        QUrlQuery(url).queryItemValue(QStringLiteral("token"), QUrl::FullyDecoded).toUtf8();
    if (!SameSecret(token, m_token)) {
        WrongToken(request.From, now);
        return TVerdict::Refused;
    }
    if (!socket)
        return TVerdict::Page;
    // Another page open in the phone's browser cannot drive the set.
    if (request.Origin != "http://" + request.Host || clients >= kMaxClients)
        return TVerdict::Refused;
    return TVerdict::Socket;
}

bool TRemoteGate::Blocked(const QString& from, qint64 now)
{
    const auto address = m_addresses.find(from);
    return address != m_addresses.end() && address->second.BlockedUntil > now;
}

void TRemoteGate::WrongToken(const QString& from, qint64 now)
{
    TAddress& address = m_addresses[from];
    address.Wrong.push_back(now);
    while (!address.Wrong.empty() && address.Wrong.front() <= now - kMinute)
        address.Wrong.pop_front();
    if (int(address.Wrong.size()) >= kWrongTokensAllowed) {
        address.BlockedUntil = now + kMinute;
        address.Wrong.clear();
    }
}

TRemoteGate::TRequest ParseRequestHead(const QByteArray& head, const QString& from)
{
    TRemoteGate::TRequest request;
    request.From = from;
    const QList<QByteArray> lines = head.split('\n');
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    if (first.size() != 3 || !first[2].startsWith("HTTP/1."))
        return request;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray name = lines[i].left(colon).trimmed().toLower();
        const QByteArray value = lines[i].mid(colon + 1).trimmed();
        if (name == "host")
            request.Host = value;
        else if (name == "origin")
            request.Origin = value;
        else if (name == "upgrade")
            request.Upgrade = value.compare("websocket", Qt::CaseInsensitive) == 0;
    }
    request.Method = first[0];
    request.Target = first[1];
    return request;
}
