#include "SettingsGuard.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>

TSettingsGuard::TSettingsGuard() = default;
TSettingsGuard::~TSettingsGuard() = default;

TSettingsGuard::TLock TSettingsGuard::Lock(const QString& path)
{
    auto lock = std::make_unique<QLockFile>(path + QStringLiteral(".lock"));
    // A run holds its set for hours: only a lock whose process has died is stale, never an old one.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        m_lock = std::move(lock);
        return TLock::Taken;
    }
    return lock->error() == QLockFile::LockFailedError ? TLock::HeldElsewhere : TLock::Unavailable;
}

void TSettingsGuard::Remember(const QString& path, TSettingsText read)
{
    m_read = std::move(read);
    Know(path, m_read.Bytes);
}

void TSettingsGuard::Know(const QString& path, QByteArray bytes)
{
    m_path = path;
    m_stamp = StampOf(path);
    m_bytes = std::move(bytes);
}

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TSettingsGuard::TStamp TSettingsGuard::StampOf(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    return {true, info.size(), info.lastModified()};
}

std::optional<QString> TSettingsGuard::BackUpIfChanged()
{
    const TStamp now = StampOf(m_path);
    if (!now.Exists)
        return std::nullopt;
    QByteArray bytes = ReadAll(m_path);
    if (now == m_stamp && bytes == m_bytes)
        return std::nullopt;
    const QString backup = m_path + QStringLiteral(".bak");
    QFile::remove(backup);
    if (!QFile::copy(m_path, backup))
        return std::nullopt;
    // Kept once: a retried save does not copy the same file again.
    Know(m_path, std::move(bytes));
    return backup;
}

TSettingsGuard::TLock TSettingsGuard::MoveTo(const QString& path)
{
    const TLock lock = Lock(path);
    if (lock == TLock::HeldElsewhere)
        return lock;
    if (lock == TLock::Unavailable)
        m_lock.reset(); // the old file is no longer this run's
    Know(path, ReadAll(path));
    return lock;
}
