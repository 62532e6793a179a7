// The terminal with the real host program: started through "DDeServerAp" when absent, the
// dummy rig's values shown, a frequency set on the radio through rigctld shown within a
// second, and behind a serial line that corrupts the radio's answers only what it said.
#include "ErrorBoxWatch.h"
#include "FolderVariable.h"
#include "QtPrinters.h"
#include "RTTYMain.h"
#include "TXMMBtn.h"
#include "Ts2000Sim.h"
#include "WinExec.h"
#include "hostlink/DdeClientConv.h"
#include "hostlink/DdeInstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>

namespace {

qint64 hostPid = 0;
unsigned launchAndRemember(const QString &commandLine, unsigned show)
{
    return shell::WinExec(commandLine, show, &hostPid);
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

class HostProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir(config.path()).mkpath("tolmfsk");
        hostPid = 0;
        hostlink::setLauncher(launchAndRemember);
        ASSERT_EQ(hostlink::startDdeInstance("window_tests", "TOLM FSK 1.0"), DMLERR_NO_ERROR);
    }
    void TearDown() override
    {
        form.reset();
        hostlink::endDdeInstance();
        hostlink::setLauncher(nullptr);
        if (hostPid > 0) {
            ::kill(pid_t(hostPid), SIGTERM);
            (void)QTest::qWaitFor([] { return ::kill(pid_t(hostPid), 0) != 0; }, 3000);
        }
        if (rigctld.state() != QProcess::NotRunning) {
            rigctld.kill();
            rigctld.waitForFinished();
        }
    }

    FolderVariable runtime{"XDG_RUNTIME_DIR"}, config{"XDG_CONFIG_HOME"};
    QProcess rigctld;
    std::unique_ptr<TForm1> form;
};

} // namespace

TEST_F(HostProgramTest, TheTerminalStartsTheHostAndShowsTheDummyRig)
{
    form = std::make_unique<TForm1>();
    ASSERT_GT(hostPid, 0) << "DDeServerAp was not started";
    EXPECT_TRUE(form->DdeClientConv1->isOpen());
    // The dummy rig's values reach the window with the first readings.
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->Label3->text() == "14.0853"; }, 3000))
        << form->Label3->text().toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->statusPanelText(4) == "050 watts"; }, 3000));
    EXPECT_EQ(form->label15->text(), "FSK");
    EXPECT_EQ(form->Label8->text(), "170");
    EXPECT_TRUE(form->Label7->isHidden());
    EXPECT_TRUE(form->Label3->isEnabled());
}

// The host killed under a running terminal: its last values stay, greyed as no longer read, and
// the status bar says the host is gone.
TEST_F(HostProgramTest, AHostKilledUnderTheTerminalLeavesNoValueLookingLive)
{
    form = std::make_unique<TForm1>();
    ASSERT_GT(hostPid, 0) << "DDeServerAp was not started";
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->statusPanelText(4) == "050 watts"; }, 3000));
    ::kill(pid_t(hostPid), SIGKILL);
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->statusPanelText(4) == "no host"; }, 3000))
        << form->statusPanelText(4).toStdString();
    EXPECT_FALSE(form->Label3->isEnabled());
    EXPECT_FALSE(form->label15->isEnabled());
    EXPECT_EQ(form->Label3->text(), "14.0853") << "the last frequency the radio gave";
}

TEST_F(HostProgramTest, AFrequencySetThroughRigctldShowsWithinASecond)
{
    const quint16 port = freePort();
    rigctld.start("rigctld", {"-m", "1", "-T", "127.0.0.1", "-t", QString::number(port)});
    ASSERT_TRUE(rigctld.waitForStarted(3000));
    QTest::qWait(300);
    QFile ini(config.filePath("tolmfsk/host.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(QString("[rig]\nmodel=2\nport=127.0.0.1:%1\n").arg(port).toUtf8());
    ini.close();
    auto rigctl = [&](const QStringList &command) {
        QProcess p;
        p.start("rigctl",
                QStringList{"-m", "2", "-r", QString("127.0.0.1:%1").arg(port)} + command);
        return p.waitForFinished(3000) && p.exitCode() == 0;
    };
    ASSERT_TRUE(rigctl({"F", "7040000", "M", "LSB", "2400"}));

    form = std::make_unique<TForm1>();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->Label3->text() == "7.0400"; }, 4000))
        << form->Label3->text().toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->label15->text() == "LSB"; }, 2000));
    EXPECT_FALSE(form->XMMBtn1->isHidden()); // LSB shows the AFSK buttons

    ASSERT_TRUE(rigctl({"F", "14080000"}));
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->Label3->text() == "14.0800"; }, 3000));
    EXPECT_LT(clock.elapsed(), 1000);
}

// A TS-2000 that is silent at first: the window keeps its start values (the host publishes
// nothing it did not read); once it answers, its frequency, reversed mode, FSK shift and power
// show; silent again, the mode reads NORADIO. No error box at any time.
TEST_F(HostProgramTest, ATs2000ShowsWhatItSaysAndNothingElse)
{
    Ts2000Sim radio;
    ASSERT_FALSE(radio.device.isEmpty());
    radio.set("mute");
    QFile ini(config.filePath("tolmfsk/host.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(QString("[rig]\nmodel=2014\nport=%1\npoll_ms=100\n").arg(radio.device).toUtf8());
    ini.close();
    ErrorBoxWatch boxes;

    form = std::make_unique<TForm1>();
    ASSERT_GT(hostPid, 0) << "DDeServerAp was not started";
    QTest::qWait(1500);
    EXPECT_EQ(form->Label3->text(), "14.085");
    EXPECT_EQ(form->label15->text(), "FSK");
    EXPECT_EQ(form->statusPanelText(4), "");
    EXPECT_TRUE(form->Label7->isHidden());

    for (const char *line : {"freq 7040000", "mode 9", "power 35", "menu 38 2", "answer"})
        radio.set(line);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->Label3->text() == "7.0400"; }, 8000))
        << form->Label3->text().toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->statusPanelText(4) == "035 watts"; }, 3000))
        << form->statusPanelText(4).toStdString();
    EXPECT_EQ(form->label15->text(), "FSKR");
    EXPECT_EQ(form->Label8->text(), "425");
    EXPECT_TRUE(form->Label7->isHidden());

    radio.set("mute");
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->label15->text() == "NORADIO"; }, 10000));
    EXPECT_EQ(form->Label3->text(), "7.0400");
    EXPECT_TRUE(boxes.shown.isEmpty()) << boxes.shown.join(" | ").toStdString();
}

// A serial line that flips a bit in 3% of the bytes the TS-2000 sends: the window shows the
// radio's own frequency, mode and power, or that it does not answer, and nothing else.
TEST_F(HostProgramTest, BehindALineThatCorruptsAnswersOnlyWhatTheRadioSaidIsShown)
{
    Ts2000Sim radio;
    ASSERT_FALSE(radio.device.isEmpty());
    for (const char *line : {"freq 7040000", "mode 9", "power 35", "menu 38 2"})
        radio.set(line);
    QProcess noisy;
    noisy.start("/usr/bin/python3", {QStringLiteral(TOLMFSK_TEST_SUPPORT_DIR "/corrupting-line.py"),
                                     radio.device, "0.03", "7"});
    ASSERT_TRUE(noisy.waitForStarted(3000) && noisy.waitForReadyRead(3000));
    const QString device = QString::fromLatin1(noisy.readLine()).trimmed();
    QFile ini(config.filePath("tolmfsk/host.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(QString("[rig]\nmodel=2014\nport=%1\npoll_ms=100\n").arg(device).toUtf8());
    ini.close();
    ErrorBoxWatch boxes;

    form = std::make_unique<TForm1>();
    ASSERT_GT(hostPid, 0) << "DDeServerAp was not started";
    QSet<QString> frequencies, modes, powers;
    QElapsedTimer watching;
    watching.start();
    while (watching.elapsed() < 12000) {
        frequencies << form->Label3->text();
        modes << form->label15->text();
        powers << form->statusPanelText(4);
        QTest::qWait(20);
    }
    noisy.closeWriteChannel();
    noisy.waitForFinished(2000);
    EXPECT_TRUE(frequencies.contains("7.0400")) << "the radio was read through the noise";
    for (const QString &f : frequencies)
        EXPECT_TRUE(f == "14.085" || f == "7.0400") << "a frequency shown: " << f.toStdString();
    for (const QString &m : modes)
        EXPECT_TRUE(m == "FSK" || m == "FSKR" || m == "NORADIO")
            << "a mode shown: " << m.toStdString();
    for (const QString &p : powers)
        EXPECT_TRUE(p.isEmpty() || p == "035 watts" || p == "NA watts")
            << "a power shown: " << p.toStdString();
    EXPECT_TRUE(boxes.shown.isEmpty()) << boxes.shown.join(" | ").toStdString();
}
