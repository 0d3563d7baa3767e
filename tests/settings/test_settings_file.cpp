// LoadSettings and SaveSettings on real files: the golden default file, failures, the safe
// replacement, symbolic links and the encoding of non-ASCII text.
#include "SettingsTestSupport.h"

#include "settings/SettingsFile.h"

#include <QDir>
#include <QFileInfo>

#include <csignal>
#include <stdexcept>
#include <sys/resource.h>
#include <unistd.h>

namespace {

class SettingsFile : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QString Path(const QString& name = QStringLiteral("keyrill.ini")) const
    {
        return m_dir.filePath(name);
    }
    QStringList Entries() const
    {
        return QDir(m_dir.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }
    // Root ignores file permissions: the permission tests then run as "nobody" for a while.
    struct NotRoot
    {
        NotRoot() : wasRoot(::geteuid() == 0)
        {
            if (wasRoot)
                ok = ::setegid(65534) == 0 && ::seteuid(65534) == 0;
        }
        ~NotRoot()
        {
            if (wasRoot) {
                (void)::seteuid(0);
                (void)::setegid(0);
            }
        }
        bool wasRoot;
        bool ok = true;
    };
    void OpenFolderToEveryone()
    {
        QFile::setPermissions(m_dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                                QFileDevice::WriteOther | QFileDevice::ExeOther);
    }

    QTemporaryDir m_dir;
};

// Start with no file, close as the main window does with its default bounds.
void StartAndClose(const QString& path)
{
    TSettingsState s;
    LoadSettings(path, s.Data);
    s.Data.WindowMaximised = false;
    SaveSettings(path, s.Data);
}

TEST_F(SettingsFile, NoFileStartCloseWritesTheGoldenDefaultFile)
{
    const QString path = Path();
    StartAndClose(path);
    const QByteArray golden = GoldenDefaultFile();
    ASSERT_FALSE(golden.startsWith("<cannot open"));
    EXPECT_EQ(ReadBytes(path), golden);
}

TEST_F(SettingsFile, GoldenFileHasTheSectionsInOrder)
{
    const TIniFile ini = TIniFile::Parse(QString::fromUtf8(GoldenDefaultFile()));
    QStringList expected = {"Windows",  "General",  "Output 1", "Output 2",
                            "Output 3", "Output 4", "Input"};
    for (int n = 1; n <= 15; ++n)
        expected << QStringLiteral("Button %1").arg(n)
                 << QStringLiteral("Button %1 Release").arg(n);
    EXPECT_EQ(ini.SectionNames(), expected);
}

TEST_F(SettingsFile, DefaultFileIsWrittenAgainByteForByte)
{
    const QString path = Path();
    StartAndClose(path);
    StartAndClose(path);
    EXPECT_EQ(ReadBytes(path), GoldenDefaultFile());
}

TEST_F(SettingsFile, ProgramWrittenFileIsWrittenAgainByteForByte)
{
    const QString path = Path();
    WriteBytes(path, "junk\n[General]\nButton Rows=20\nButton Cols=20\nCaption=Caf\xC3\xA9\n"
                     "[Button 400 Release]\nNote=$7F\n[Mine]\n a = b \n");
    StartAndClose(path);
    const QByteArray once = ReadBytes(path);
    StartAndClose(path);
    EXPECT_EQ(ReadBytes(path), once);
}

TEST_F(SettingsFile, MissingFileGivesDefaultsAndIsNotCreatedByLoading)
{
    TSettingsState s;
    LoadSettings(Path(), s.Data);
    EXPECT_EQ(s.Globals.ButtonRows, 5);
    EXPECT_EQ(s.CommandList.Count(), 400);
    EXPECT_FALSE(QFileInfo::exists(Path()));
}

TEST_F(SettingsFile, UnreadableFileFailsWithCannotOpen)
{
    const QString path = Path();
    WriteBytes(path, "[General]\n");
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::WriteOwner));
    OpenFolderToEveryone();
    TSettingsState s;
    std::string message;
    bool saveFailed = false;
    {
        NotRoot notRoot;
        if (!notRoot.ok)
            GTEST_SKIP() << "running as root and cannot drop the rights";
        try {
            LoadSettings(path, s.Data);
        } catch (const TSettingsError& e) {
            message = e.what();
        }
        try {
            SaveSettings(path, s.Data);
        } catch (const TSettingsError&) {
            saveFailed = true;
        }
    }
    EXPECT_EQ(message, "Cannot open file \"" + path.toStdString() + "\". Permission denied");
    EXPECT_TRUE(saveFailed);
}

TEST_F(SettingsFile, DirectoryFailsWithCannotOpen)
{
    TSettingsState s;
    try {
        LoadSettings(m_dir.path(), s.Data);
        FAIL() << "no error";
    } catch (const TSettingsError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot open file \"" + m_dir.path().toStdString() + "\". Is a directory");
    }
}

TEST_F(SettingsFile, ReadErrorFailsWithCannotOpen)
{
    // Reading a process's own memory file at offset 0 fails with an I/O error, even for root.
    const QString path = QStringLiteral("/proc/self/mem");
    if (!QFileInfo::exists(path))
        GTEST_SKIP() << "no /proc/self/mem";
    try {
        ReadSettingsFile(path);
        FAIL() << "no error";
    } catch (const TSettingsError& e) {
        const std::string prefix = "Cannot open file \"/proc/self/mem\". ";
        EXPECT_EQ(std::string(e.what()).substr(0, prefix.size()), prefix);
        EXPECT_GT(std::string(e.what()).size(), prefix.size());
    }
}

TEST_F(SettingsFile, UnwritableFolderFailsWithCannotCreateAndKeepsTheOldFile)
{
    const QString path = Path();
    const QByteArray old = "[General]\r\nCaption=Old\r\n\r\n";
    WriteBytes(path, old);
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ReadOther));
    ASSERT_TRUE(QFile::setPermissions(m_dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                                        QFileDevice::ReadOther |
                                                        QFileDevice::ExeOther));
    TSettingsState s;
    LoadSettings(path, s.Data);
    s.Data.Caption = "New";
    std::string message;
    {
        NotRoot notRoot;
        if (!notRoot.ok)
            GTEST_SKIP() << "running as root and cannot drop the rights";
        try {
            SaveSettings(path, s.Data);
        } catch (const TSettingsError& e) {
            message = e.what();
        }
    }
    const std::string prefix = "Cannot create file \"" + path.toStdString() + "\". ";
    EXPECT_EQ(message.substr(0, std::min(message.size(), prefix.size())), prefix);
    EXPECT_GT(message.size(), prefix.size()); // the system's reason follows
    QFile::setPermissions(m_dir.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(Entries(), QStringList{"keyrill.ini"}); // no temporary file left behind
}

TEST_F(SettingsFile, MissingFolderFailsWithCannotCreate)
{
    const QString path = Path("no/such/folder/keyrill.ini");
    TSettingsState s;
    LoadSettings(path, s.Data);
    try {
        SaveSettings(path, s.Data);
        FAIL() << "no error";
    } catch (const TSettingsError& e) {
        const std::string prefix = "Cannot create file \"" + path.toStdString() + "\". ";
        EXPECT_EQ(std::string(e.what()).substr(0, prefix.size()), prefix);
    }
}

TEST_F(SettingsFile, FailedWriteKeepsTheOldFileWhole)
{
    // A file size limit makes the write fail part-way, as a full disk would.
    const QString path = Path();
    const QByteArray old = "[General]\r\nButton Rows=20\r\nButton Cols=20\r\n\r\n";
    WriteBytes(path, old);
    TSettingsState s;
    LoadSettings(path, s.Data);

    struct rlimit saved
    {
    };
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string message;
    try {
        SaveSettings(path, s.Data);
    } catch (const TSettingsError& e) {
        message = e.what();
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    const std::string prefix = "Cannot create file \"" + path.toStdString() + "\". ";
    EXPECT_EQ(message.substr(0, prefix.size()), prefix);
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(Entries(), QStringList{"keyrill.ini"});
}

TEST_F(SettingsFile, SaveReplacesTheFileAsAWholeLeavingNoTemporaryFile)
{
    const QString path = Path();
    WriteBytes(path, "[Mine]\nk=v\n");
    StartAndClose(path);
    EXPECT_TRUE(ReadBytes(path).startsWith("[Mine]\r\nk=v\r\n\r\n[Windows]\r\n"));
    EXPECT_EQ(Entries(), QStringList{"keyrill.ini"});
}

TEST_F(SettingsFile, SaveKeepsTheFilesPermissions)
{
    const QString path = Path();
    WriteBytes(path, "[General]\n");
    const QFileDevice::Permissions mode =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
    ASSERT_TRUE(QFile::setPermissions(path, mode));
    StartAndClose(path);
    EXPECT_EQ(QFile::permissions(path) &
                  ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser),
              mode);
}

TEST_F(SettingsFile, SymbolicLinkKeepsPointingAtItsTarget)
{
    const QString target = Path("real.ini");
    const QString link = Path("link.ini");
    WriteBytes(target, "[General]\nCaption=Linked\n");
    ASSERT_TRUE(QFile::link(target, link));
    StartAndClose(link);
    const QFileInfo info(link);
    EXPECT_TRUE(info.isSymLink());
    EXPECT_EQ(info.symLinkTarget(), QFileInfo(target).absoluteFilePath());
    EXPECT_TRUE(ReadBytes(target).contains("Caption=Linked\r\n"));
    EXPECT_TRUE(ReadBytes(target).contains("[Button 15 Release]"));
}

TEST_F(SettingsFile, ShortListWritesTheFileThenPassesTheErrorOn)
{
    const QString path = Path();
    TSettingsState s;
    LoadSettings(path, s.Data);
    while (s.CommandList.Count() > 3)
        s.CommandList.Delete(s.CommandList.Count() - 1);
    EXPECT_THROW(SaveSettings(path, s.Data), std::out_of_range);
    const QByteArray written = ReadBytes(path);
    EXPECT_TRUE(written.contains("[Button 3 Release]"));
    EXPECT_FALSE(written.contains("[Button 4]"));
}

// ---- Encoding -------------------------------------------------------------------------------

TEST_F(SettingsFile, Utf8FileIsReadAndWrittenAsUtf8)
{
    const QString path = Path();
    WriteBytes(path, "[General]\nCaption=Caf\xC3\xA9 \xE2\x98\x83\n");
    TSettingsState s;
    LoadSettings(path, s.Data);
    EXPECT_EQ(s.Data.Caption, QStringLiteral("Café ☃"));
    s.Data.Caption = QStringLiteral("Ω 𝄞");
    SaveSettings(path, s.Data);
    EXPECT_TRUE(ReadBytes(path).contains("Caption=\xCE\xA9 \xF0\x9D\x84\x9E\r\n"));
}

TEST_F(SettingsFile, NewFileIsWrittenAsUtf8WithoutBom)
{
    const QString path = Path();
    TSettingsState s;
    LoadSettings(path, s.Data);
    s.Data.Caption = QStringLiteral("Grüße");
    SaveSettings(path, s.Data);
    const QByteArray bytes = ReadBytes(path);
    EXPECT_TRUE(bytes.startsWith("[Windows]"));
    EXPECT_TRUE(bytes.contains("Caption=Gr\xC3\xBC\xC3\x9F"
                               "e\r\n"));
}

TEST_F(SettingsFile, Latin1FileIsReadByteForByteAndWrittenBackInLatin1)
{
    const QString path = Path();
    WriteBytes(path, "[General]\nCaption=Caf\xE9\n[Button 1]\nCaption=\xA9\x80\xFF\n");
    TSettingsState s;
    LoadSettings(path, s.Data);
    EXPECT_EQ(s.Data.Caption, QStringLiteral("Café"));
    EXPECT_EQ(s.CommandList.Get(0).Press.Caption, QString::fromLatin1("\xA9\x80\xFF"));
    s.Data.Caption = QStringLiteral("Ü€𝄞!");
    SaveSettings(path, s.Data);
    const QByteArray bytes = ReadBytes(path);
    EXPECT_TRUE(bytes.contains("Caption=\xDC?"
                               "?!\r\n")); // one "?" per character it cannot hold
    EXPECT_TRUE(bytes.contains("[Button 1]\r\nAction=0\r\nHotKey=\r\nCaption=\xA9\x80\xFF\r\n"));
}

TEST_F(SettingsFile, Latin1TextThatWouldReadAsUtf8IsWrittenAsUtf8)
{
    // The only byte that was not UTF-8 was in a comment; "Ã©" in Latin-1 is the UTF-8 of "é".
    const QString path = Path();
    WriteBytes(path, "; \xFF\n[General]\nCaption=\xC3\xA9\n");
    TSettingsState s;
    LoadSettings(path, s.Data);
    EXPECT_EQ(s.Data.Caption, QString::fromLatin1("\xC3\xA9"));
    SaveSettings(path, s.Data);
    TSettingsState again;
    LoadSettings(path, again.Data);
    EXPECT_EQ(again.Data.Caption, s.Data.Caption);
}

TEST_F(SettingsFile, BomIsKeptOnWrite)
{
    const QString path = Path();
    WriteBytes(path, "\xEF\xBB\xBF[General]\nCaption=B\xC3\xB6m\n");
    TSettingsState s;
    LoadSettings(path, s.Data);
    EXPECT_EQ(s.Data.Caption, QStringLiteral("Böm"));
    SaveSettings(path, s.Data);
    const QByteArray bytes = ReadBytes(path);
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF[General]\r\n"));
    EXPECT_TRUE(bytes.contains("Caption=B\xC3\xB6m\r\n"));
}

struct EncodingCase
{
    const char* name;
    QByteArray bytes;
    TTextEncoding encoding;
    bool bom;
};

class Decode : public testing::TestWithParam<EncodingCase>
{
};

TEST_P(Decode, DetectsTheEncodingAndRoundTrips)
{
    const TSettingsText text = DecodeSettingsBytes(GetParam().bytes);
    EXPECT_EQ(text.Encoding, GetParam().encoding);
    EXPECT_EQ(text.Bom, GetParam().bom);
    EXPECT_EQ(EncodeSettingsText(text.Text, text.Encoding, text.Bom), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, Decode,
    testing::Values(EncodingCase{"Empty", "", TTextEncoding::Utf8, false},
                    EncodingCase{"Ascii", "abc", TTextEncoding::Utf8, false},
                    EncodingCase{"Utf8", "\xC3\xA9", TTextEncoding::Utf8, false},
                    EncodingCase{"BomOnly", "\xEF\xBB\xBF", TTextEncoding::Utf8, true},
                    EncodingCase{"DoubleBomKeepsTheSecond", "\xEF\xBB\xBF\xEF\xBB\xBFx",
                                 TTextEncoding::Utf8, true},
                    EncodingCase{"Latin1", "\xE9t\xE9", TTextEncoding::Latin1, false},
                    EncodingCase{"TruncatedSequenceAtEnd", "ab\xC3", TTextEncoding::Latin1, false},
                    EncodingCase{"Overlong", "\xC0\xAF", TTextEncoding::Latin1, false},
                    EncodingCase{"EncodedSurrogate", "\xED\xA0\x80", TTextEncoding::Latin1, false},
                    EncodingCase{"BomThenLatin1", "\xEF\xBB\xBF\xE9", TTextEncoding::Latin1, true},
                    EncodingCase{"Nul", QByteArray("a\0b", 3), TTextEncoding::Utf8, false}),
    [](const testing::TestParamInfo<EncodingCase>& info) { return info.param.name; });

} // namespace
