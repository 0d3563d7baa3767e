// `keyrill --list-outputs` as a user runs it, against a private JACK server with a receiving MIDI
// port: the port is listed with its index, after the API that found it; `--list-inputs` the same
// way, with the virtual input last.
#include "support/JackServer.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(ListOutputsOverJack, ListsTheReceiverPortWithItsIndexUnderJack)
{
    TJackServer server; // sets JACK_DEFAULT_SERVER, which the program inherits
    ASSERT_TRUE(server.Running());
    TJackMidiReceiver receiver("keyrill-list-test", "synth-in");

    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("KEYRILL_MIDI_API", "jack");
    env.remove("DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    process.setProcessEnvironment(env);
    const auto run = [&](const QString& option) {
        process.start(KEYRILL_PROGRAM, {option});
        EXPECT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitCode(), 0);
        return QString::fromLocal8Bit(process.readAllStandardOutput());
    };
    EXPECT_TRUE(run("--list-inputs").endsWith(": Keyrill (virtual input)\n"));
    process.start(KEYRILL_PROGRAM, {"--list-outputs"});
    ASSERT_TRUE(process.waitForFinished(30000));
    const QString out = QString::fromLocal8Bit(process.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(process.readAllStandardError());

    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0) << err.toStdString();
    const QStringList lines = out.split('\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty()) << err.toStdString();
    EXPECT_EQ(lines.front(), "MIDI API: jack");
    // Every device line is "<index>: <name>", the indices counting up from 0.
    int receiverIndex = -1;
    for (int i = 1; i < lines.size(); ++i) {
        const QString prefix = QStringLiteral("%1: ").arg(i - 1);
        ASSERT_TRUE(lines[i].startsWith(prefix)) << lines[i].toStdString();
        if (lines[i].mid(prefix.size()).toStdString() == receiver.PortName())
            receiverIndex = i - 1;
    }
    EXPECT_GE(receiverIndex, 0) << receiver.PortName() << " missing from:\n" << out.toStdString();
}

} // namespace
