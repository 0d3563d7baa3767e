#include "IniFile.h"

#include <algorithm>
#include <iterator>

namespace {

// A button's press section has eleven keys: room for them saves the regrowing of every section.
constexpr std::size_t kTypicalLines = 12;

// Up to this many sections a lookup compares names instead of hashing.
constexpr std::size_t kScanSections = 8;

bool IsTrimmed(QChar c)
{
    return c.unicode() <= 0x20;
}

// A value that a written line holds as it is: no line break inside, nothing to trim.
bool IsOneLine(QStringView text)
{
    if (!text.isEmpty() && (IsTrimmed(text.front()) || IsTrimmed(text.back())))
        return false;
    return std::none_of(text.begin(), text.end(), [](QChar c) { return c == u'\r' || c == u'\n'; });
}

char16_t FoldAscii(QChar c)
{
    const char16_t u = c.unicode();
    return u >= u'A' && u <= u'Z' ? char16_t(u + 32) : u;
}

int HexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

} // namespace

QStringView IniTrimmed(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsTrimmed(text[begin]))
        ++begin;
    while (end > begin && IsTrimmed(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

std::optional<std::int32_t> ParseIniInteger(QStringView text)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    bool hex = false;
    if (i < n && text[i] == u'$') {
        hex = true;
        ++i;
    } else if (i + 1 < n && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        hex = true;
        i += 2;
    }
    if (i == n)
        return std::nullopt;

    std::uint64_t magnitude = 0;
    for (; i < n; ++i) {
        const int digit = HexDigit(text[i]);
        if (digit < 0 || (!hex && digit > 9))
            return std::nullopt;
        magnitude = magnitude * (hex ? 16 : 10) + std::uint64_t(digit);
        if (magnitude > (hex ? 0xFFFFFFFFull : 0x80000000ull))
            return std::nullopt;
    }
    if (hex) {
        const std::uint32_t bits = std::uint32_t(magnitude);
        return std::int32_t(negative ? 0u - bits : bits);
    }
    if (!negative && magnitude > 0x7FFFFFFFull)
        return std::nullopt;
    return std::int32_t(negative ? -std::int64_t(magnitude) : std::int64_t(magnitude));
}

TIniFile::TLine TIniFile::Entry(QStringView key, QStringView value)
{
    const TLine line{m_written.size(), key.size() + 1 + value.size(), key.size(), true};
    if (m_written.capacity() < line.Start + line.Size)
        m_written.reserve(std::max(2 * m_written.capacity(), line.Start + line.Size + 4096));
    m_written.resize(line.Start + line.Size);
    QChar* out = m_written.data() + line.Start;
    out = std::copy(key.begin(), key.end(), out);
    *out++ = u'=';
    std::copy(value.begin(), value.end(), out);
    return line;
}

TIniFile TIniFile::Parse(const QString& source)
{
    TIniFile ini;
    ini.m_source = source;
    const QStringView text(ini.m_source);
    TSection* current = nullptr;
    const qsizetype n = text.size();
    qsizetype start = 0;
    while (start <= n) {
        qsizetype end = start;
        while (end < n && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        const QStringView line = IniTrimmed(text.sliced(start, end - start));
        if (end < n && text[end] == u'\r' && end + 1 < n && text[end + 1] == u'\n')
            start = end + 2;
        else
            start = end + 1;

        if (line.isEmpty() || line.front() == u';')
            continue;
        if (line.front() == u'[' && line.back() == u']' && line.size() >= 2) {
            QString name = IniTrimmed(line.sliced(1, line.size() - 2)).toString();
            QString folded = Fold(name);
            ini.m_sections.push_back(TSection{std::move(name), std::move(folded), {}});
            current = &ini.m_sections.back();
            current->Lines.reserve(kTypicalLines);
            continue;
        }
        if (!current)
            continue;
        const qsizetype eq = std::find(line.begin(), line.end(), u'=') - line.begin();
        if (eq == line.size()) {
            current->Lines.push_back(TLine{line.data() - text.data(), line.size(), -1, false});
            continue;
        }
        const QStringView key = IniTrimmed(line.first(eq));
        const QStringView value = IniTrimmed(line.sliced(eq + 1));
        if (key.size() == eq && value.size() == line.size() - eq - 1)
            current->Lines.push_back( // "key=value" as it stands
                TLine{line.data() - text.data(), line.size(), eq, false});
        else
            current->Lines.push_back(ini.Entry(key, value));
    }
    ini.Reindex();
    return ini;
}

QString TIniFile::Text() const
{
    qsizetype size = 0;
    for (const TSection& section : m_sections) {
        size += section.Name.size() + 6;
        for (const TLine& line : section.Lines)
            size += line.Size + 2;
    }
    // One buffer of the final size, filled by plain copies.
    QString out(size, Qt::Uninitialized);
    QChar* p = out.data();
    const auto put = [&p](QStringView text) { p = std::copy(text.begin(), text.end(), p); };
    const auto crlf = [&p] {
        *p++ = u'\r';
        *p++ = u'\n';
    };
    for (const TSection& section : m_sections) {
        *p++ = u'[';
        put(section.Name);
        *p++ = u']';
        crlf();
        for (const TLine& line : section.Lines) {
            put(Text(line));
            crlf();
        }
        crlf();
    }
    return out;
}

QStringList TIniFile::SectionNames() const
{
    QStringList names;
    names.reserve(qsizetype(m_sections.size()));
    for (const TSection& section : m_sections)
        names.append(section.Name);
    return names;
}

bool TIniFile::HasSection(const QString& section) const
{
    return FindIndex(section) >= 0;
}

std::optional<QStringView> TIniFile::ValueView(const QString& section, const QString& key) const
{
    const qsizetype s = FindIndex(section);
    if (s < 0)
        return std::nullopt;
    const TSection& found = m_sections[std::size_t(s)];
    const qsizetype k = FindKey(found, key);
    if (k < 0)
        return std::nullopt;
    const TLine& line = found.Lines[std::size_t(k)];
    return Text(line).sliced(line.Eq + 1);
}

std::optional<QString> TIniFile::Value(const QString& section, const QString& key) const
{
    if (const std::optional<QStringView> view = ValueView(section, key))
        return view->toString();
    return std::nullopt;
}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& def) const
{
    return Value(section, key).value_or(def);
}

std::int32_t TIniFile::ReadInteger(const QString& section, const QString& key,
                                   std::int32_t def) const
{
    const std::optional<QStringView> text = ValueView(section, key);
    if (!text)
        return def;
    return ParseIniInteger(*text).value_or(def);
}

bool TIniFile::ReadBool(const QString& section, const QString& key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TIniFile::WriteString(const QString& section, const QString& key, const QString& value)
{
    WriteString(section, key, QStringView(value));
}

void TIniFile::WriteString(const QString& section, const QString& key, QStringView value)
{
    if (IsOneLine(value)) {
        WriteLine(section, key, value);
        return;
    }
    // Line breaks inside a written value would split the entry; they become blanks.
    QString result = value.toString();
    for (QChar& c : result)
        if (c == u'\r' || c == u'\n')
            c = u' ';
    WriteLine(section, key, IniTrimmed(result));
}

void TIniFile::WriteInteger(const QString& section, const QString& key, std::int32_t value)
{
    // Decimal digits straight into the line: no string for the number on the way.
    char16_t digits[12];
    char16_t* end = digits + std::size(digits);
    char16_t* begin = end;
    std::uint32_t magnitude = value < 0 ? 0u - std::uint32_t(value) : std::uint32_t(value);
    do {
        *--begin = char16_t(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0)
        *--begin = u'-';
    WriteLine(section, key, QStringView(begin, end - begin));
}

void TIniFile::WriteBool(const QString& section, const QString& key, bool value)
{
    WriteLine(section, key, value ? QStringView(u"1") : QStringView(u"0"));
}

void TIniFile::WriteLine(const QString& section, const QString& key, QStringView value)
{
    TSection& s = FindOrAppend(section);
    const qsizetype k = FindKey(s, key);
    if (k >= 0)
        s.Lines[std::size_t(k)] = Entry(key, value);
    else
        s.Lines.push_back(Entry(key, value));
}

void TIniFile::EraseSection(const QString& section)
{
    const QString folded = Fold(section);
    EraseSections([&folded](const QString& name) { return Fold(name) == folded; });
}

void TIniFile::EraseSections(const std::function<bool(const QString& name)>& match)
{
    std::size_t kept = 0;
    for (std::size_t i = 0; i < m_sections.size(); ++i) {
        if (match(m_sections[i].Name))
            m_spare.push_back(std::move(m_sections[i]));
        else if (kept++ != i)
            m_sections[kept - 1] = std::move(m_sections[i]);
    }
    m_sections.erase(m_sections.begin() + std::ptrdiff_t(kept), m_sections.end());
    Reindex();
}

QString TIniFile::Fold(const QString& name)
{
    // Section names are nearly always ASCII, where folding is lower-casing A to Z; Qt's full
    // folding costs several times more.
    QString folded(name.size(), Qt::Uninitialized);
    QChar* out = folded.data();
    for (QChar c : name) {
        const char16_t u = c.unicode();
        if (u >= 0x80)
            return name.toCaseFolded();
        *out++ = QChar(u >= u'A' && u <= u'Z' ? char16_t(u + 32) : u);
    }
    return folded;
}

void TIniFile::FoldInto(const QString& name, QString& out)
{
    if (!std::all_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 0x80; })) {
        out = name.toCaseFolded();
        return;
    }
    out.resize(name.size());
    std::transform(name.begin(), name.end(), out.data(), FoldAscii);
}

qsizetype TIniFile::FindIndex(const QString& section) const
{
    // The mapping hands the same string for a run of keys: its data is shared with the copy.
    if (m_lastIndex != -2 &&
        ((section.constData() == m_lastName.constData() && section.size() == m_lastName.size()) ||
         section == m_lastName))
        return m_lastIndex;
    // A short ASCII name is folded on the stack: a lookup then allocates nothing.
    char16_t buffer[64];
    QString heap;
    QStringView folded;
    const bool ascii =
        std::all_of(section.begin(), section.end(), [](QChar c) { return c.unicode() < 0x80; });
    if (ascii && (m_lengths & LengthBit(section.size())) == 0) {
        m_lastName = section; // ASCII folding keeps the length: no name can match
        m_lastIndex = -1;
        return m_lastIndex;
    }
    if (ascii && section.size() <= qsizetype(std::size(buffer))) {
        std::transform(section.begin(), section.end(), buffer, FoldAscii);
        folded = QStringView(buffer, section.size());
    } else {
        heap = Fold(section);
        folded = heap;
    }
    m_lastName = section;
    if (m_sections.size() <= kScanSections) {
        // A few sections: comparing the folded names from the end (the last one wins) costs
        // less than hashing, above all when the name is missing.
        m_lastIndex = -1;
        for (std::size_t i = m_sections.size(); i-- > 0;) {
            if (QStringView(m_sections[i].Folded) == folded) {
                m_lastIndex = qsizetype(i);
                break;
            }
        }
        return m_lastIndex;
    }
    const auto it = m_index.constFind(folded);
    m_lastIndex = it == m_index.cend() ? -1 : *it;
    return m_lastIndex;
}

qsizetype TIniFile::FindKey(const TSection& section, const QString& key) const
{
    // Sections hold a few keys each and the program reads a bounded number of keys per
    // section, so a scan from the end (the last entry wins) costs less than an index.
    // Keys are nearly always spelled as the program spells them: an exact match is a memcmp.
    const QStringView wanted(key);
    for (qsizetype i = qsizetype(section.Lines.size()) - 1; i >= 0; --i) {
        const TLine& line = section.Lines[std::size_t(i)];
        if (line.Eq != wanted.size())
            continue;
        const QStringView name = Text(line).first(line.Eq);
        // Most keys of a section differ in their first letter: a cheap test before comparing.
        if (!wanted.isEmpty() && FoldAscii(name.front()) != FoldAscii(wanted.front()) &&
            name.front().unicode() < 0x80 && wanted.front().unicode() < 0x80)
            continue;
        if (name == wanted || name.compare(wanted, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

TIniFile::TSection& TIniFile::FindOrAppend(const QString& section)
{
    const qsizetype found = FindIndex(section);
    if (found >= 0)
        return m_sections[std::size_t(found)];
    TSection added;
    if (m_spare.empty()) {
        added.Lines.reserve(kTypicalLines);
    } else {
        added = std::move(m_spare.back());
        m_spare.pop_back();
        added.Lines.clear();
    }
    added.Name = section;
    FoldInto(section, added.Folded);
    m_sections.push_back(std::move(added));
    m_lastIndex = qsizetype(m_sections.size()) - 1; // the next keys go to the same section
    m_lastName = section;
    m_index.insert(m_sections.back().Folded, m_lastIndex);
    m_lengths |= LengthBit(m_sections.back().Folded.size());
    return m_sections.back();
}

void TIniFile::Reindex()
{
    m_index.clear();
    m_index.reserve(qsizetype(m_sections.size() + m_spare.size())); // room for those re-added
    m_lengths = 0;
    for (std::size_t i = 0; i < m_sections.size(); ++i) {
        m_index.insert(m_sections[i].Folded, qsizetype(i));
        m_lengths |= LengthBit(m_sections[i].Folded.size());
    }
    m_lastIndex = -2;
}
