// The host program against real radios' counterparts: Hamlib's rigctld with the dummy rig,
// and a simulated TS-2000 on a pseudo-terminal. It reads once and says what it read, or says
// why it cannot; it reads the TS-2000's FSK menus and output power; it writes its numbers the
// same under a comma locale; and SIGTERM ends it at once even while the radio keeps it waiting.
#include "ProgramRun.h"
#include "Rigctld.h"
#include "Ts2000Sim.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>

namespace {

// What the host said: its exit code, its standard output a line each, its errors.
struct HostRun {
    int exitCode = -1;
    QStringList lines;
    QString errors;
};

QProcessEnvironment hostEnvironment(const QTemporaryDir &config)
{
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert("XDG_CONFIG_HOME", config.path()); // no host.ini: the options alone
    return e;
}

HostRun runHost(const QStringList &arguments, const QProcessEnvironment &environment)
{
    const ProgramRun ran = runProgram("tolmfsk-host", arguments, 15000, environment);
    return {ran.exitCode, ran.lines(), ran.errors};
}

class HostProgramTest : public ::testing::Test {
protected:
    QTemporaryDir config;
    QProcessEnvironment environment = hostEnvironment(config);
};

} // namespace

// The set-up check an operator makes: what the radio says, as the terminal will get it.
TEST_F(HostProgramTest, OnceThroughRigctldPrintsWhatTheRadioSays)
{
    Rigctld rigctld;
    ASSERT_TRUE(rigctld.start());
    rigctld.ask({"F", "7040000", "M", "RTTYR", "0", "L", "RFPOWER", "0.35"});
    ASSERT_EQ(rigctld.ask({"f"}), QStringList{"7040000"}) << "the radio is set";
    const HostRun run =
        runHost({"--model", "2", "--port", rigctld.address(), "--once"}, environment);
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    ASSERT_EQ(run.lines.size(), 2) << run.lines.join("|").toStdString();
    EXPECT_EQ(run.lines[0], "FREQ: 7.040000");
    const QStringList fields = run.lines[1].split(' ');
    ASSERT_EQ(fields.size(), 6) << run.lines[1].toStdString();
    EXPECT_EQ(fields[0], "FSKR") << "the reversed mode as one field";
    EXPECT_EQ(fields[3], "035");
    EXPECT_EQ(fields[4], "0") << "not transmitting";

    rigctld.stop();
    const HostRun none =
        runHost({"--model", "2", "--port", rigctld.address(), "--once"}, environment);
    EXPECT_NE(none.exitCode, 0);
    EXPECT_TRUE(none.lines.isEmpty()) << none.lines.join("|").toStdString();
    EXPECT_TRUE(none.errors.contains("Connection refused")) << none.errors.toStdString();
}

TEST_F(HostProgramTest, ATs2000GivesItsFskMenusAndItsPowerInWatts)
{
    Ts2000Sim radio;
    ASSERT_FALSE(radio.device.isEmpty());
    for (const char *line : {"freq 7040000", "mode 9", "power 35", "menu 38 2", "menu 40 0"})
        radio.set(line);
    HostRun run = runHost({"--model", "2014", "--port", radio.device, "--once"}, environment);
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    ASSERT_EQ(run.lines.size(), 2);
    EXPECT_EQ(run.lines[0], "FREQ: 7.040000");
    // Tone 1275 Hz (menu 40), shift 425 Hz (menu 38); PC035: 35 W.
    EXPECT_EQ(run.lines[1], "FSKR 1275 1700 035 0 0");
    // Full power, PC100: 100 W (once published as 000).
    radio.set("power 100");
    run = runHost({"--model", "2014", "--port", radio.device, "--once"}, environment);
    ASSERT_EQ(run.lines.size(), 2) << run.errors.toStdString();
    EXPECT_EQ(run.lines[1], "FSKR 1275 1700 100 0 0");

    // On 70 cm the radio gives 50 W at most, and PC035 is 35 W; outside FSK the tones are the
    // settings'.
    radio.set("power 35");
    radio.set("freq 432100000");
    radio.set("mode 2");
    run = runHost({"--model", "2014", "--port", radio.device, "--once", "--shift", "200"},
                  environment);
    ASSERT_EQ(run.lines.size(), 2) << run.errors.toStdString();
    EXPECT_EQ(run.lines[1], "USB 2125 2325 035 0 0");
    // An answer of more than the band gives is one the radio cannot have made: not published.
    radio.set("power 80");
    run = runHost({"--model", "2014", "--port", radio.device, "--once", "--shift", "200"},
                  environment);
    ASSERT_EQ(run.lines.size(), 2) << run.errors.toStdString();
    EXPECT_EQ(run.lines[1], "USB 2125 2325 NA 0 0");
}

TEST_F(HostProgramTest, ARadioThatDoesNotAnswerIsSaidOnStandardErrorOnly)
{
    Ts2000Sim radio;
    radio.set("mute");
    const HostRun run = runHost({"--model", "2014", "--port", radio.device, "--once"}, environment);
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(run.lines.isEmpty());
    EXPECT_TRUE(run.errors.startsWith("tolmfsk-host: cannot read the radio"))
        << run.errors.toStdString();
}

// Numbers do not follow the locale: a comma locale still writes 7.040000.
TEST_F(HostProgramTest, NumbersAreTheSameUnderACommaLocale)
{
    QProcessEnvironment comma = environment;
    comma.insert("LC_ALL", "de_DE.UTF-8");
    // The locale must really be there, or this would prove nothing.
    QProcess locale;
    locale.setProcessEnvironment(comma);
    locale.start("locale", {"decimal_point"});
    ASSERT_TRUE(locale.waitForFinished(3000));
    ASSERT_EQ(QString::fromLatin1(locale.readAllStandardOutput()).trimmed(), ",")
        << "de_DE.UTF-8 is not installed (scripts/setup-debian generates it)";

    Rigctld rigctld;
    ASSERT_TRUE(rigctld.start());
    rigctld.ask({"F", "7040000", "M", "RTTY", "0", "L", "RFPOWER", "0.35"});
    const HostRun run = runHost({"--model", "2", "--port", rigctld.address(), "--once"}, comma);
    ASSERT_EQ(run.lines.size(), 2) << run.errors.toStdString();
    EXPECT_EQ(run.lines[0], "FREQ: 7.040000");
}

// While the radio keeps it waiting (Hamlib retrying a silent radio), SIGTERM still ends the
// host within 200 ms.
TEST_F(HostProgramTest, SigtermEndsTheHostAtOnceWhateverTheRadioDoes)
{
    QTemporaryDir runtime;
    QProcessEnvironment e = environment;
    e.insert("XDG_RUNTIME_DIR", runtime.path());
    for (const bool silent : {false, true}) {
        Ts2000Sim radio;
        if (silent)
            radio.set("mute");
        QProcess host;
        host.setProcessEnvironment(e);
        host.start(QCoreApplication::applicationDirPath() + "/tolmfsk-host",
                   {"--model", "2014", "--port", radio.device, "--poll-ms", "10000"});
        ASSERT_TRUE(host.waitForStarted(3000));
        QTest::qWait(1500); // reading, or waiting for the silent radio
        QElapsedTimer clock;
        clock.start();
        ::kill(pid_t(host.processId()), SIGTERM);
        ASSERT_TRUE(host.waitForFinished(3000));
        EXPECT_LT(clock.elapsed(), 200) << (silent ? "silent radio" : "answering radio");
        EXPECT_EQ(host.exitStatus(), QProcess::NormalExit);
    }
}
