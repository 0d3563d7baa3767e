// The settings file where the user lacks rights: a writable file in a folder that is not, and the
// choice of the settings path for an install in a system folder. Runs as a user without root's
// rights, in a child process. Also files that are not regular files.
#include "SettingsTestSupport.h"
#include "WithoutRights.h"

#include "mainwindow/SettingsPath.h"
#include "settings/SettingsFile.h"

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>

namespace {

class SettingsRights : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        OpenFolder(m_dir.path(), true);
    }
    void TearDown() override
    {
        // Give the folders back their rights so that they can be removed.
        OpenFolder(m_dir.path(), true);
        for (const QString& name : QDir(m_dir.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            OpenFolder(m_dir.filePath(name), true);
    }
    QString MakeFolder(const QString& name)
    {
        QDir(m_dir.path()).mkpath(name);
        return m_dir.filePath(name);
    }

    QTemporaryDir m_dir;
};

TEST_F(SettingsRights, WritableFileInAFolderThatIsNotIsWrittenInPlace)
{
    const QString folder = MakeFolder("shared");
    const QString path = QDir(folder).filePath("keyrill.ini");
    WriteBytes(path, "[General]\r\nCaption=Old\r\n\r\n");
    OpenFile(path, true);
    OpenFolder(folder, false);

    const std::optional<std::string> failure = RunWithoutRights([&path] {
        try {
            TSettingsState s;
            LoadSettings(path, s.Data);
            s.Data.Caption = QStringLiteral("New");
            SaveSettings(path, s.Data);
        } catch (const std::exception& e) {
            return std::string(e.what());
        }
        return std::string();
    });
    if (!failure)
        GTEST_SKIP() << "cannot drop root's rights";
    EXPECT_EQ(*failure, "");
    EXPECT_TRUE(ReadBytes(path).contains("Caption=New\r\n"));
    EXPECT_TRUE(ReadBytes(path).contains("[Button 15 Release]"));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"keyrill.ini"});
}

struct PathCase
{
    const char* name;
    bool folderWritable;
    bool fileExists;
    bool fileWritable;
    bool besideProgram; // else the user's configuration folder
};

class SettingsPathRights : public SettingsRights, public testing::WithParamInterface<PathCase>
{
};

TEST_P(SettingsPathRights, FileBesideTheProgramIsUsedOnlyWhenItCanBeSaved)
{
    const PathCase& c = GetParam();
    const QString bin = MakeFolder("bin");
    const QString beside = QDir(bin).filePath("keyrill.ini");
    if (c.fileExists) {
        WriteBytes(beside, "[General]\r\n");
        OpenFile(beside, c.fileWritable);
    }
    OpenFolder(bin, c.folderWritable);
    const QString config = m_dir.filePath("home/config/keyrill");

    const std::optional<std::string> failure = RunWithoutRights([&] {
        return ChooseSettingsPath({}, QDir(bin).filePath("keyrill"), config).toStdString();
    });
    if (!failure)
        GTEST_SKIP() << "cannot drop root's rights";
    const QString expected = c.besideProgram ? beside : QDir(config).filePath("keyrill.ini");
    EXPECT_EQ(*failure, expected.toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Rights, SettingsPathRights,
    testing::Values(PathCase{"NoFileWritableFolder", true, false, false, true},
                    PathCase{"WritableFileWritableFolder", true, true, true, true},
                    PathCase{"NoFileReadOnlyFolder", false, false, false, false},
                    PathCase{"WritableFileReadOnlyFolder", false, true, true, false},
                    PathCase{"ReadOnlyFileWritableFolder", true, true, false, false}),
    [](const testing::TestParamInfo<PathCase>& info) { return info.param.name; });

// ---- Files that are not regular files ---------------------------------------------------------

TEST_F(SettingsRights, FifoFailsWithCannotOpenInsteadOfBlocking)
{
    const QString path = m_dir.filePath("keyrill.ini");
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0666), 0);
    const std::string expected =
        "Cannot open file \"" + path.toStdString() + "\". Not a regular file";
    TSettingsState s;
    try {
        LoadSettings(path, s.Data);
        ADD_FAILURE() << "loading did not fail";
    } catch (const TSettingsError& e) {
        EXPECT_EQ(e.what(), expected);
    }
    try {
        SaveSettings(path, s.Data);
        ADD_FAILURE() << "saving did not fail";
    } catch (const TSettingsError& e) {
        EXPECT_EQ(e.what(), expected);
    }
    struct stat info = {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode)) << "the FIFO is not replaced";
}

TEST(SettingsDevice, CharacterDeviceFailsWithCannotOpen)
{
    TSettingsState s;
    EXPECT_THROW(LoadSettings(QStringLiteral("/dev/null"), s.Data), TSettingsError);
}

// ---- A byte order mark before bytes that are not UTF-8 ----------------------------------------

TEST(SettingsBom, MarkBeforeLatin1KeepsTheFirstSectionAndIsWrittenAgain)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("keyrill.ini");
    WriteBytes(path, "\xEF\xBB\xBF[General]\nCaption=Caf\xE9\nButton Rows=2\n");
    TSettingsState s;
    LoadSettings(path, s.Data);
    EXPECT_EQ(s.Data.Caption, QStringLiteral("Café"));
    EXPECT_EQ(s.Globals.ButtonRows, 2);
    SaveSettings(path, s.Data);
    const QByteArray bytes = ReadBytes(path);
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF[General]\r\nCaption=Caf\xE9\r\n"))
        << bytes.left(40).toStdString();
    EXPECT_EQ(bytes.count("[General]"), 1);
}

} // namespace
