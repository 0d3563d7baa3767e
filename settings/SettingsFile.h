#pragma once

#include <QByteArray>
#include <QString>

// The settings file on disk: its bytes, their encoding, and the safe replacement on save.

enum class TTextEncoding { Utf8, Latin1 };

// The text of a settings file and how to write it back.
struct TSettingsText
{
    QString Text;
    TTextEncoding Encoding = TTextEncoding::Utf8;
    bool Bom = false;     // the file began with a UTF-8 byte order mark; it is written again
    bool Existed = false; // the file existed when it was read
    QByteArray Bytes;     // the file as it was read
};

// Valid UTF-8 (after an optional byte order mark) is decoded as UTF-8; anything else is taken
// byte for byte as Latin-1. The mark is never part of the text; it is remembered in either case.
TSettingsText DecodeSettingsBytes(const QByteArray& bytes);

// The inverse, the mark first when `bom`. Latin-1 turns each character it cannot hold into "?". A
// Latin-1 text whose bytes would read back as UTF-8 with other characters (its only invalid bytes
// were in lines a save dropped) is written as UTF-8 instead, so that the values survive.
QByteArray EncodeSettingsText(const QString& text, TTextEncoding encoding, bool bom);

// Reads the whole file; a missing file gives an empty text that did not exist. Throws
// TSettingsError "Cannot open file "%s". %s" when an existing file cannot be read or is not a
// regular file (a FIFO would block forever).
TSettingsText ReadSettingsFile(const QString& path);

// Replaces the file's contents through a temporary file in the same folder (QSaveFile), so an
// interrupted save leaves the old file whole. When the folder admits no temporary file, a
// writable file is written in place. A symbolic link keeps pointing at its target,
// which receives the new contents. Throws TSettingsError "Cannot create file "%s". %s".
void WriteSettingsFile(const QString& path, const QByteArray& bytes);
