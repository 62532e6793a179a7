// The engine program's manners on the command line: --help, an unknown option, and --decode
// on a recording that was cut short, on recordings of other sample rates and on headers that
// give rates no recording has, and the same recording decoded again and again.
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

namespace {

// A 16-bit mono WAV file of `samples` whose header gives `headerRateHz`, whatever rate the
// samples were made at.
void writeWavClaiming(const QString &path, const std::vector<float> &samples, double rateHz,
                      std::uint32_t headerRateHz)
{
    ASSERT_TRUE(channel::writeWav(path.toStdString(), samples, rateHz));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    ASSERT_EQ(bytes.mid(12, 4), QByteArray("fmt ")) << "a canonical header";
    auto put = [&](int at, std::uint32_t v) {
        for (int k = 0; k < 4; ++k)
            bytes[at + k] = char((v >> (8 * k)) & 0xff);
    };
    put(24, headerRateHz);
    put(28, std::uint32_t(std::uint64_t(headerRateHz) * 2)); // bytes a second
    file.seek(0);
    file.write(bytes);
}

} // namespace

// Recordings at the usual rates are resampled and read; a header giving a rate no recording
// of RTTY has (1 Hz to under 4 kHz, or beyond 768 kHz) is refused with a message, never a
// crash: such rates once drove the resampler past the end of its buffers.
TEST(EngineCommandLine, DecodeReadsEveryUsualRateAndRefusesAnImpossibleOne)
{
    QTemporaryDir dir;
    const std::string text = "CQ CQ DE ZZ9ZZZ ZZ9ZZZ K";
    for (double rate : {8000.0, 22050.0, 44100.0, 48000.0, 96000.0}) {
        channel::Settings s;
        s.sampleRateHz = rate;
        s.leadSeconds = 0.5;
        const QString path = dir.filePath(QString("at%1.wav").arg(rate));
        writeWavClaiming(path, channel::transmit(text, s), rate, std::uint32_t(rate));
        const Ran ran = runEngine({"--decode", path});
        EXPECT_EQ(ran.exitCode, 0) << rate << " Hz: " << ran.errors.toStdString();
        EXPECT_TRUE(ran.out.contains(QString::fromStdString(text)))
            << rate << " Hz: " << ran.out.toStdString();
    }

    channel::Settings s;
    s.leadSeconds = 0.5;
    const std::vector<float> audio = channel::transmit(text, s);
    for (std::uint32_t claimed : {1u, 10u, 50u, 100u, 199u, 3999u, 768001u, 2147483647u}) {
        const QString path = dir.filePath(QString("claims%1.wav").arg(claimed));
        writeWavClaiming(path, audio, s.sampleRateHz, claimed);
        const Ran ran = runEngine({"--decode", path});
        EXPECT_FALSE(ran.crashed) << claimed << " Hz";
        EXPECT_EQ(ran.exitCode, 1) << claimed << " Hz: " << ran.errors.toStdString();
        EXPECT_TRUE(ran.errors.contains(QString("sample rate of %1 Hz").arg(claimed)))
            << ran.errors.toStdString();
        EXPECT_TRUE(ran.out.isEmpty()) << claimed << " Hz: " << ran.out.toStdString();
    }
}

// An offline decode gives the same text every time: overs out of noise at -3 dB through the
// squelch, ten times.
TEST(EngineCommandLine, TheSameRecordingDecodesToTheSameTextEveryTime)
{
    QTemporaryDir dir;
    channel::Settings s;
    s.snrDb = -3;
    s.seed = 5;
    s.overs = channel::Overs{};
    const QString path = dir.filePath("overs.wav");
    ASSERT_TRUE(channel::writeWav(path.toStdString(),
                                  channel::transmit("CQ TEST G4ZBN G4ZBN\r\nK7QX K7QX\r\n"
                                                    "K7QX 599 0417 0417 G4ZBN\r\n",
                                                    s),
                                  s.sampleRateHz));
    const Ran first = runEngine({"--decode", path, "--squelch", "200"});
    ASSERT_EQ(first.exitCode, 0) << first.errors.toStdString();
    EXPECT_TRUE(first.out.contains("G4ZBN")) << first.out.toStdString();
    for (int run = 1; run < 10; ++run) {
        const Ran again = runEngine({"--decode", path, "--squelch", "200"});
        ASSERT_EQ(again.out, first.out) << "run " << run;
    }
}
