// The options that answer on the terminal: which arguments are options, what they print, and the
// program's exit codes when run as a user runs it.
#include "app/CommandLine.h"
#include "support/FakeMidiService.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sstream>

namespace {

using TArgs = std::vector<std::string>;

struct TParseCase
{
    TArgs Arguments;
    TCommandLineOption Expected;
};

class ParseOption : public testing::TestWithParam<TParseCase>
{
};

TEST_P(ParseOption, OnlyASingleKnownOptionIsAnOption)
{
    EXPECT_EQ(ParseCommandLineOption(GetParam().Arguments), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, ParseOption,
    testing::Values(TParseCase{{}, TCommandLineOption::None},
                    TParseCase{{"--help"}, TCommandLineOption::Help},
                    TParseCase{{"-h"}, TCommandLineOption::Help},
                    TParseCase{{"--version"}, TCommandLineOption::Version},
                    TParseCase{{"--list-outputs"}, TCommandLineOption::ListOutputs},
                    TParseCase{{"--list-inputs"}, TCommandLineOption::ListInputs},
                    // one other argument is the settings file, whatever it looks like
                    TParseCase{{"my-set.ini"}, TCommandLineOption::None},
                    TParseCase{{"--Version"}, TCommandLineOption::Unknown},
                    // a mistyped option is no settings file; "./-name" is one
                    TParseCase{{"-v"}, TCommandLineOption::Unknown},
                    TParseCase{{"--versoin"}, TCommandLineOption::Unknown},
                    TParseCase{{"-"}, TCommandLineOption::Unknown},
                    TParseCase{{"./-name.ini"}, TCommandLineOption::None},
                    TParseCase{{"./--help"}, TCommandLineOption::None},
                    TParseCase{{""}, TCommandLineOption::None},
                    // two or more arguments mean the default settings file
                    TParseCase{{"--version", "x.ini"}, TCommandLineOption::None},
                    TParseCase{{"--help", "--help"}, TCommandLineOption::None}));

TEST(CommandLineText, VersionIsTheProductNameAndFourPartVersion)
{
    std::ostringstream out;
    PrintVersion(out);
    EXPECT_EQ(out.str(), "Keyrill 1.5.0.0\n");
}

TEST(CommandLineText, UsageNamesTheArgumentOptionsFilesAndEnvironment)
{
    std::ostringstream out;
    PrintUsage(out);
    const std::string usage = out.str();
    for (const char* text : {"Usage: keyrill [SETTINGS-FILE]", "-h, --help", "--version",
                             "--list-outputs", "--list-inputs", "~/.config/keyrill/", "keyrill.ini",
                             "KEYRILL_MIDI_API", "alsa or jack", "XDG_CONFIG_HOME"})
        EXPECT_NE(usage.find(text), std::string::npos) << text;
}

struct ListOutputsTest : testing::Test
{
    int List(const std::string& api = "alsa")
    {
        service.Api = api;
        return ListOutputs(service, out, err);
    }

    TFakeMidiService service{{"Midi Through Port-0", "USB Synth", "USB Synth"}};
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(ListOutputsTest, ListsEveryDeviceByIndexAfterTheApi)
{
    EXPECT_EQ(List("jack"), 0);
    // Duplicates stay, so that a line's number is the device index the settings file stores.
    EXPECT_EQ(out.str(), "MIDI API: jack\n0: Midi Through Port-0\n1: USB Synth\n2: USB Synth\n");
    EXPECT_EQ(err.str(), "");
}

TEST_F(ListOutputsTest, InputsAreListedAsTheInputCountsThem)
{
    service.InputNames = {"Desk", "Desk"};
    service.VirtualPorts = true;
    EXPECT_EQ(ListInputs(service, out, err), 0);
    EXPECT_EQ(out.str(), "MIDI API: alsa\n0: Desk\n1: Desk\n2: Keyrill (virtual input)\n");
}

TEST_F(ListOutputsTest, NoDevicesIsSaidAndIsNoError)
{
    service.DeviceNames.clear();
    EXPECT_EQ(List(), 0);
    EXPECT_EQ(out.str(), "MIDI API: alsa\nNo MIDI output devices\n");
}

TEST_F(ListOutputsTest, NoMidiServiceIsAnErrorOnStandardError)
{
    service.DeviceNames.clear();
    EXPECT_EQ(List(""), 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "keyrill: no MIDI output service could be started\n");
}

TEST_F(ListOutputsTest, AFailingNameQueryIsAnErrorWithTheServiceText)
{
    service.FailEnumeration = "Port name unavailable";
    EXPECT_EQ(List(), 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(),
              "keyrill: the MIDI output devices could not be listed: Port name unavailable\n");
}

// The built program, with no display at all: the options must not need one.
struct TRun
{
    int ExitCode = -1;
    QString Out;
    QString Err;
};

// Runs in `workDir` when given (a failing start may leave files there).
TRun RunKeyrill(const QStringList& arguments, const QString& workDir = QString(),
                const QStringList& variables = {})
{
    QProcess process;
    process.setWorkingDirectory(workDir.isEmpty() ? QDir::tempPath() : workDir);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "KEYRILL_DEBUG"})
        env.remove(name);
    for (const QString& variable : variables)
        env.insert(variable.section('=', 0, 0), variable.section('=', 1));
    process.setProcessEnvironment(env);
    process.start(KEYRILL_PROGRAM, arguments);
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

TEST(KeyrillProgram, VersionPrintsOnStandardOutputAndExitsZeroWithoutADisplay)
{
    const TRun run = RunKeyrill({"--version"});
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Out, "Keyrill 1.5.0.0\n");
    EXPECT_EQ(run.Err, "");
}

TEST(KeyrillProgram, HelpAndHPrintTheSameUsageAndExitZero)
{
    const TRun help = RunKeyrill({"--help"});
    const TRun h = RunKeyrill({"-h"});
    EXPECT_EQ(help.ExitCode, 0);
    EXPECT_EQ(h.ExitCode, 0);
    EXPECT_TRUE(help.Out.startsWith("Usage: keyrill [SETTINGS-FILE]\n")) << help.Out.toStdString();
    EXPECT_EQ(h.Out, help.Out);
    EXPECT_EQ(help.Err, "");
}

// No sequencer here and no JACK server of that name: both libraries fail, each in its own words.
TEST(KeyrillProgram, TheMidiLibrariesSpeakOnlyWhenAskedTo)
{
    const QString noServer = QStringLiteral("JACK_DEFAULT_SERVER=keyrill-none-%1")
                                 .arg(QCoreApplication::applicationPid());
    const TRun quiet = RunKeyrill({"--list-outputs"}, {}, {noServer});
    EXPECT_EQ(quiet.ExitCode, 1);
    EXPECT_EQ(quiet.Err, "keyrill: no MIDI output service could be started\n");

    const TRun debug = RunKeyrill({"--list-outputs"}, {}, {noServer, "KEYRILL_DEBUG=1"});
    EXPECT_EQ(debug.ExitCode, 1);
    EXPECT_TRUE(debug.Err.contains("keyrill: jack: ")) << debug.Err.toStdString();
    EXPECT_TRUE(debug.Err.endsWith("keyrill: no MIDI output service could be started\n"));
}

TEST(KeyrillProgram, AMistypedOptionIsRefusedWithTheUsageAndWritesNoFile)
{
    const QTemporaryDir dir;
    const TRun run = RunKeyrill({"--versoin"}, dir.path());
    EXPECT_EQ(run.ExitCode, 2);
    EXPECT_EQ(run.Out, "");
    EXPECT_TRUE(run.Err.startsWith("keyrill: unknown option --versoin\n\nUsage: keyrill"))
        << run.Err.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

TEST(KeyrillProgram, AnOrdinaryArgumentWithoutADisplayStartsTheWindowAndFails)
{
    // Proof that the options above answered before the window: the same program, given a
    // settings file instead, needs the display it does not have.
    const QTemporaryDir dir;
    const TRun run = RunKeyrill({"never-written.ini"}, dir.path());
    EXPECT_NE(run.ExitCode, 0);
    EXPECT_EQ(run.Out, "");
    EXPECT_TRUE(run.Err.contains("platform plugin")) << run.Err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("never-written.ini")));
}

} // namespace
