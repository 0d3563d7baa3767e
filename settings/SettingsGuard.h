#pragma once

#include "SettingsFile.h"

#include <QDateTime>
#include <QString>

#include <memory>
#include <optional>

class QLockFile;

// Keeps one settings file safe for the run that has it open. A lock file beside it keeps a
// second Keyrill off the same set; and the file as it was read tells, at the save, whether
// someone changed it meanwhile (a hand edit, another program), so that the changed file is kept
// as "<file>.bak" before the save replaces it.
class TSettingsGuard
{
public:
    enum class TLock {
        Taken,         // this run holds the set
        HeldElsewhere, // another running Keyrill holds it
        Unavailable    // no lock file can be made there (no such folder, read-only): unguarded
    };

    TSettingsGuard();
    ~TSettingsGuard(); // gives the lock up
    TSettingsGuard(const TSettingsGuard&) = delete;
    TSettingsGuard& operator=(const TSettingsGuard&) = delete;

    // Takes the lock of `path`; one held before is given up only when this one is taken.
    TLock Lock(const QString& path);
    // The file as the load read it.
    void Remember(const QString& path, TSettingsText read);
    const TSettingsText& Read() const { return m_read; }

    // Before a save to the remembered file: when it changed on disk since it was read (size,
    // time or content), copies it to "<file>.bak", replacing an older one, and returns that path.
    std::optional<QString> BackUpIfChanged();
    // The set is saved to `path` from now on (Save As): the lock goes with it, and the file there
    // now counts as read.
    TLock MoveTo(const QString& path);

private:
    struct TStamp
    {
        bool Exists = false;
        qint64 Size = 0;
        QDateTime Modified;
        bool operator==(const TStamp&) const = default;
    };
    static TStamp StampOf(const QString& path);
    void Know(const QString& path, QByteArray bytes);

    std::unique_ptr<QLockFile> m_lock;
    TSettingsText m_read; // as loaded at start
    QString m_path;       // the file on disk, and what it held when last seen
    TStamp m_stamp;
    QByteArray m_bytes;
};
