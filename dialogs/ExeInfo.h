#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

// The program's own version strings, read once when the object is made. Every string starts as
// kNotRead and keeps it when the program carries no version data; a key that the data lacks
// reads as empty.
class TExeInfo
{
public:
    using TStrings = QMap<QString, QString>; // key of the version data -> its text

    static constexpr const char* kNotRead = "Updated at run-time";

    // The standard keys of version data, one string property each.
    static const QStringList& Keys();

    // This build's own version data: product name and version from the build's project version.
    // Nothing when the build carries no version.
    static std::optional<TStrings> BuiltInVersionData();

    TExeInfo() : TExeInfo(BuiltInVersionData()) {}
    explicit TExeInfo(const std::optional<TStrings>& versionData);

    // The string of a standard key; empty for a key that is not one of them.
    QString Value(const QString& key) const { return m_values.value(key); }
    QString ProductName() const { return Value(QStringLiteral("ProductName")); }
    QString FileVersion() const { return Value(QStringLiteral("FileVersion")); }

private:
    TStrings m_values;
};
