#include "SettingsFile.h"

#include "Settings.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <optional>

namespace {

const QByteArray kBom = QByteArrayLiteral("\xEF\xBB\xBF");

// Decodes strict UTF-8; nothing when the bytes are not valid UTF-8 (a truncated sequence at the
// end included).
std::optional<QString> DecodeUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                     QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

QByteArray ToLatin1(const QString& text)
{
    // At most one byte per character: the buffer is sized once and filled directly.
    QByteArray out(text.size(), Qt::Uninitialized);
    char* p = out.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.unicode() <= 0xFF) {
            *p++ = char(c.unicode());
            continue;
        }
        *p++ = '?';
        // A character outside the basic plane is one "?", not two.
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
    }
    out.truncate(p - out.data());
    return out;
}

bool IsAscii(const QByteArray& bytes)
{
    for (char b : bytes)
        if (static_cast<unsigned char>(b) >= 0x80)
            return false;
    return true;
}

QString CannotCreate(const QString& path, const QString& reason)
{
    return QStringLiteral("Cannot create file \"%1\". %2").arg(path, reason);
}

} // namespace

TSettingsText DecodeSettingsBytes(const QByteArray& bytes)
{
    TSettingsText result;
    result.Existed = true;
    result.Bytes = bytes;
    QByteArrayView body(bytes);
    const bool bom = body.startsWith(kBom);
    if (bom)
        body = body.sliced(kBom.size());
    // The mark goes in both cases: decoded as Latin-1 it would glue "ï»¿" to the first line.
    result.Bom = bom;
    if (std::optional<QString> text = DecodeUtf8(body)) {
        result.Text = std::move(*text);
        result.Encoding = TTextEncoding::Utf8;
    } else {
        result.Text = QString::fromLatin1(body);
        result.Encoding = TTextEncoding::Latin1;
    }
    return result;
}

QByteArray EncodeSettingsText(const QString& text, TTextEncoding encoding, bool bom)
{
    if (encoding == TTextEncoding::Latin1) {
        QByteArray latin1 = ToLatin1(text);
        if (IsAscii(latin1) || !DecodeUtf8(latin1))
            return bom ? kBom + latin1 : latin1;
        // These bytes would be taken for UTF-8 and read back as other characters.
    }
    return bom ? kBom + text.toUtf8() : text.toUtf8();
}

TSettingsText ReadSettingsFile(const QString& path)
{
    // QFileInfo::exists (a stat) rather than QFile::exists, which reports an unreadable file
    // in a folder of another owner as missing.
    if (!QFileInfo::exists(path))
        return TSettingsText{};
    QFile file(path);
    auto fail = [&path](const QString& reason) {
        return TSettingsError(
            QStringLiteral("Cannot open file \"%1\". %2").arg(path, reason).toStdString());
    };
    // Opening a FIFO or a device would block the start-up or read endless bytes.
    const QFileInfo info(path);
    if (info.isDir())
        throw fail(QStringLiteral("Is a directory"));
    if (!info.isFile())
        throw fail(QStringLiteral("Not a regular file"));
    if (!file.open(QIODevice::ReadOnly))
        throw fail(file.errorString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw fail(file.errorString());
    return DecodeSettingsBytes(bytes);
}

void WriteSettingsFile(const QString& path, const QByteArray& bytes)
{
    // QSaveFile would replace a symbolic link by a plain file: write to the link's target.
    QString target = path;
    const QFileInfo info(path);
    if (info.isSymLink()) {
        const QString resolved = info.canonicalFilePath(); // empty for a dangling link
        target = resolved.isEmpty() ? info.symLinkTarget() : resolved;
    }

    QSaveFile file(target);
    // A writable file in a folder that is not (a shared folder, an install in /opt) cannot get a
    // temporary file beside it; writing in place then is better than never saving at all.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        throw TSettingsError(CannotCreate(path, file.errorString()).toStdString());
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        throw TSettingsError(CannotCreate(path, reason).toStdString());
    }
    if (!file.commit())
        throw TSettingsError(CannotCreate(path, file.errorString()).toStdString());
}
