#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// The settings file's INI syntax, held in memory as sections of lines.
// Knows nothing of the program's keys: the mapping lives in Settings.cpp.
class TIniFile
{
public:
    // Rules 1 to 4: any line end, trimmed lines, comments, sections, entries.
    static TIniFile Parse(const QString& text);
    // Rule 7: "[name]", the section's lines, one empty line; every line ends in CR LF.
    QString Text() const;

    // Every section name in file order, duplicates included, as spelled in the file.
    QStringList SectionNames() const;
    bool HasSection(const QString& section) const;

    // The value of the last entry of `key` in the last section `section` (rule 5), if any.
    std::optional<QString> Value(const QString& section, const QString& key) const;
    // The same without a copy, valid until the file is next changed.
    std::optional<QStringView> View(const QString& section, const QString& key) const
    {
        return ValueView(section, key);
    }
    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    std::int32_t ReadInteger(const QString& section, const QString& key, std::int32_t def) const;
    bool ReadBool(const QString& section, const QString& key, bool def) const;

    // Rule 6: replaces the last entry of the key in place, spelling the key as given; or appends
    // the entry to the section; or appends the section to the file. Line breaks in the value
    // become blanks and the value is trimmed, so that it reads back as written.
    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteString(const QString& section, const QString& key, QStringView value);
    void WriteInteger(const QString& section, const QString& key, std::int32_t value);
    void WriteBool(const QString& section, const QString& key, bool value);

    // Removes every section with this name (all duplicates) with all its lines.
    void EraseSection(const QString& section);
    // Removes every section whose name satisfies `match`.
    void EraseSections(const std::function<bool(const QString& name)>& match);

private:
    // One line as it is written: an entry is "key=value" with `Eq` the position of its "=";
    // any other line has `Eq` -1. The characters stand in the parsed text where the line stands
    // there as written (the usual case), otherwise in the buffer of written lines: no line owns
    // an allocation of its own.
    struct TLine
    {
        qsizetype Start = 0;
        qsizetype Size = 0;
        qsizetype Eq = -1;
        bool Written = false;
    };
    struct TSection
    {
        QString Name;
        QString Folded; // the name as the index knows it
        std::vector<TLine> Lines;
    };

    static QString Fold(const QString& name);
    // Fold into `out`, reusing its buffer when it is its own.
    static void FoldInto(const QString& name, QString& out);
    TLine Entry(QStringView key, QStringView value);
    QStringView Text(const TLine& line) const
    {
        return QStringView(line.Written ? m_written : m_source).sliced(line.Start, line.Size);
    }
    // Rule 6 for a value that is one line already.
    void WriteLine(const QString& section, const QString& key, QStringView value);
    // The value, valid until the file is next changed.
    std::optional<QStringView> ValueView(const QString& section, const QString& key) const;
    // Index of the last section of that name, or -1. The last name asked for is remembered:
    // the mapping reads and writes many keys of one section in a row.
    qsizetype FindIndex(const QString& section) const;
    // Index of the last entry of `key` in the section, or -1.
    qsizetype FindKey(const TSection& section, const QString& key) const;
    TSection& FindOrAppend(const QString& section);
    void Reindex();
    static std::uint64_t LengthBit(qsizetype n)
    {
        return std::uint64_t(1) << std::min<qsizetype>(n, 63);
    }

    QString m_source;  // the parsed text, which lines point into
    QString m_written; // the lines written since, one after another
    std::vector<TSection> m_sections;
    // Erased sections, whose buffers the sections appended next take over: a save erases and
    // writes again every button's two sections.
    std::vector<TSection> m_spare;
    // Folded name -> index of its last section. The keys view the sections' `Folded`, whose
    // buffers stay where they are when the sections move.
    QHash<QStringView, qsizetype> m_index;
    // Bit min(n, 63) is set when some folded section name has n characters: most names asked
    // for in a file that lacks them are told apart by their length alone.
    std::uint64_t m_lengths = 0;
    mutable QString m_lastName;
    mutable qsizetype m_lastIndex = -2; // -2: nothing remembered
};

// Rule 1's trimming: leading and trailing blanks and control characters (code points up to 32).
QStringView IniTrimmed(QStringView text);

// The integer type's reading: decimal with an optional sign, or hexadecimal after "$", "0x" or
// "0X" (sign allowed before the prefix). Decimal must fit a signed 32-bit number; hexadecimal
// may use all 32 bits and is taken as signed, so $FFFFFFFF is -1. Anything
// else, including blanks inside, gives nothing.
std::optional<std::int32_t> ParseIniInteger(QStringView text);
