#pragma once

#include <QString>

// The remote's part of the set: whether browsers on the network may play it, on which port, and
// the secret that every address of the page carries.
struct TRemoteSettings
{
    static constexpr int kDefaultPort = 29417;

    bool Active = false;
    int Port = kDefaultPort;
    QString Token;

    // A new secret of 192 bits from the system's random source, as URL-safe text.
    static QString NewToken();
    // At least 128 bits as NewToken writes them.
    bool Secret() const { return Token.size() >= 22; }
    // Never turned on in this set: nothing of it is written.
    bool Unused() const { return !Active && Token.isEmpty(); }
    friend bool operator==(const TRemoteSettings&, const TRemoteSettings&) = default;
};
