// The engine program's manners on the command line: --help, an unknown option, and --decode
// on a recording that was cut short.
#include "Channel.h"
#include "ProgramRun.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using Ran = ProgramRun;

Ran runEngine(const QStringList &arguments)
{
    return runProgram("tolmfsk-engine", arguments, 20000);
}

} // namespace

TEST(EngineCommandLine, HelpPrintsTheUsageAndAnUnknownOptionIsRefused)
{
    const Ran help = runEngine({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith("Usage: tolmfsk-engine")) << help.out.toStdString();
    EXPECT_TRUE(help.out.contains("--decode"));

    const Ran unknown = runEngine({"--frobnicate"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.errors.contains("unknown option --frobnicate"))
        << unknown.errors.toStdString();
    EXPECT_TRUE(unknown.errors.contains("Usage: tolmfsk-engine"));
    EXPECT_TRUE(unknown.out.isEmpty()) << "no link spoken, no window";
}

// A recording cut short (its header promises more than it holds): what is there is decoded,
// the cut is said, and the exit status is not 0.
TEST(EngineCommandLine, DecodeOfACutRecordingSaysSoAndFails)
{
    QTemporaryDir dir;
    const QString whole = dir.filePath("whole.wav"), cut = dir.filePath("cut.wav");
    channel::Settings s;
    s.leadSeconds = 0.5;
    ASSERT_TRUE(channel::writeWav(
        whole.toStdString(), channel::transmit("CQ CQ DE ZZ9ZZZ ZZ9ZZZ K", s), s.sampleRateHz));
    QFile in(whole);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QByteArray bytes = in.readAll();
    QFile out(cut);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bytes.left(bytes.size() * 2 / 3)); // the header still says the whole length
    out.close();

    const Ran full = runEngine({"--decode", whole});
    EXPECT_EQ(full.exitCode, 0) << full.errors.toStdString();
    EXPECT_TRUE(full.out.contains("CQ CQ DE ZZ9ZZZ ZZ9ZZZ K")) << full.out.toStdString();

    const Ran part = runEngine({"--decode", cut});
    EXPECT_NE(part.exitCode, 0);
    EXPECT_TRUE(part.out.contains("CQ CQ DE")) << "what is there: " << part.out.toStdString();
    EXPECT_TRUE(part.errors.contains("cut short")) << part.errors.toStdString();
}
