#include "mainwindow/SettingsPath.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class SettingsPathTest : public testing::Test
{
protected:
    QTemporaryDir dir;
    QString Program() const { return dir.filePath("bin/keyrill"); }
    QString Config() const { return dir.filePath("config/keyrill"); }
    void SetUp() override { QDir(dir.path()).mkpath("bin"); }
};

TEST_F(SettingsPathTest, NoArgumentUsesTheProgramPathWithIni)
{
    EXPECT_EQ(ChooseSettingsPath({}, Program(), Config()), dir.filePath("bin/keyrill.ini"));
}

TEST_F(SettingsPathTest, ProgramExtensionIsReplaced)
{
    EXPECT_EQ(ChooseSettingsPath({}, dir.filePath("bin/keyrill.exe"), Config()),
              dir.filePath("bin/keyrill.ini"));
}

TEST_F(SettingsPathTest, OneArgumentIsUsedUnchangedEvenIfMissing)
{
    EXPECT_EQ(ChooseSettingsPath({"/nowhere/my set.ini"}, Program(), Config()),
              "/nowhere/my set.ini");
    EXPECT_EQ(ChooseSettingsPath({"relative.txt"}, Program(), Config()), "relative.txt");
}

TEST_F(SettingsPathTest, TwoArgumentsFallBackToTheDefault)
{
    EXPECT_EQ(ChooseSettingsPath({"a.ini", "b.ini"}, Program(), Config()),
              dir.filePath("bin/keyrill.ini"));
}

TEST_F(SettingsPathTest, UnwritableProgramFolderFallsBackToTheUserConfigFolder)
{
    // A folder that does not exist can never receive the file.
    const QString installed = dir.filePath("missing/bin/keyrill");
    const QString chosen = ChooseSettingsPath({}, installed, Config());
    EXPECT_EQ(chosen, QDir(Config()).filePath("keyrill.ini"));
    EXPECT_TRUE(QDir(Config()).exists()) << "the configuration folder is created";
    EXPECT_EQ(ChooseSettingsPath({"x", "y"}, installed, Config()), chosen);
}

TEST_F(SettingsPathTest, ExistingFileBesideTheProgramIsKept)
{
    QFile file(dir.filePath("bin/keyrill.ini"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_EQ(ChooseSettingsPath({}, Program(), Config()), file.fileName());
    EXPECT_FALSE(QDir(Config()).exists());
}

} // namespace
