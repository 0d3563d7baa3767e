#pragma once

#include <QByteArray>
#include <QString>

#include <deque>
#include <functional>
#include <map>

// Who may reach the remote: the page and its WebSocket for a request that carries the set's
// token, from the page's own origin, within the client limit; nothing for anyone else, and
// nothing at all for a minute to an address that has guessed wrong 20 times within a minute.
class TRemoteGate
{
public:
    static constexpr int kMaxClients = 16;
    static constexpr int kWrongTokensAllowed = 20;
    static constexpr qint64 kMinute = 60'000;

    enum class TVerdict { Page, Socket, Refused };
    struct TRequest
    {
        QString From; // the peer's address
        QByteArray Method;
        QByteArray Target; // the request target: path and query
        QByteArray Host;   // the Host header
        QByteArray Origin; // the Origin header, for a WebSocket
        bool Upgrade = false;
    };

    // `now`: milliseconds of a steady clock.
    explicit TRemoteGate(std::function<qint64()> now = {});
    void SetToken(const QString& token) { m_token = token.toUtf8(); }
    TVerdict Check(const TRequest& request, int clients);

private:
    bool Blocked(const QString& from, qint64 now);
    void WrongToken(const QString& from, qint64 now);

    std::function<qint64()> m_now;
    QByteArray m_token;
    struct TAddress
    {
        std::deque<qint64> Wrong; // times of wrong tokens within the last minute
        qint64 BlockedUntil = 0;
    };
    std::map<QString, TAddress> m_addresses;
};

// The request head (up to the empty line) as the gate reads it; Method empty when malformed.
TRemoteGate::TRequest ParseRequestHead(const QByteArray& head, const QString& from);
