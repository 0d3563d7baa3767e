#include "RemoteSettings.h"

#include <QByteArray>
#include <QRandomGenerator>

#include <array>

QString TRemoteSettings::NewToken()
{
    std::array<quint32, 6> words;
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    const QByteArray bytes(reinterpret_cast<const char*>(words.data()), sizeof words);
    return QString::fromLatin1(
        bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}
