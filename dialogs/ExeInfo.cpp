#include "ExeInfo.h"

#include "KeyrillVersion.h"

const QStringList& TExeInfo::Keys()
{
    static const QStringList keys{
        "CompanyName",     "FileDescription",  "FileVersion", "InternalName",   "LegalCopyright",
        "LegalTrademarks", "OriginalFilename", "ProductName", "ProductVersion", "Comments"};
    return keys;
}

std::optional<TExeInfo::TStrings> TExeInfo::BuiltInVersionData()
{
    const QString name = QStringLiteral(KEYRILL_PRODUCT_NAME);
    const QString version = QStringLiteral(KEYRILL_VERSION);
    if (version.isEmpty())
        return std::nullopt;
    return TStrings{{"ProductName", name},
                    {"FileVersion", version},
                    {"ProductVersion", version},
                    {"InternalName", name.toLower()},
                    {"OriginalFilename", name.toLower()}};
}

TExeInfo::TExeInfo(const std::optional<TStrings>& versionData)
{
    for (const QString& key : Keys())
        m_values.insert(key, versionData ? versionData->value(key) : QString(kNotRead));
}
