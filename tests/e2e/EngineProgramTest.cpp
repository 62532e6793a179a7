// The terminal with the real engine program: START connects, a recording is decoded into the
// receive window, typed text comes out of the engine's transmitter, and no engine is ever left
// running behind the window.
#include "Channel.h"
#include "CharacterErrorRate.h"
#include "FolderVariable.h"
#include "ProcessEngineSide.h"
#include "QtPrinters.h"
#include "RTTYMain.h"
#include "TXMMBtn.h"
#include "TXMMR.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>

namespace {

const std::string Received = "CQ CQ DE ZZ1DX ZZ1DX PSE K\r\n"
                             "ZZ1DX DE ZZ2RX GA OM UR RST 599 599 NAME TOM QTH LAKESIDE HW? K\r\n"
                             "THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 0123456789\r\n";

bool processAlive(qint64 pid)
{
    return pid > 0 && ::kill(pid_t(pid), 0) == 0;
}

// A terminal whose engine reads the given settings from a configuration folder of its own.
class EngineProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(config.isValid());
        QDir(config.path()).mkpath("tolmfsk");
    }
    void TearDown() override { form.reset(); }

    void writeSettings(const QString &body)
    {
        QFile ini(config.filePath("tolmfsk/engine.ini"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(body.toUtf8());
    }

    void startTerminal()
    {
        form = std::make_unique<TForm1>();
        form->Button3->click();
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return form->statusPanelText(0).startsWith("Connected to MMTTY "); }, 6000))
            << form->statusPanelText(0).toStdString();
    }

    qint64 enginePid() const
    {
        return static_cast<xmm::ProcessEngineSide *>(form->XMMR->engineSide())->processId();
    }

    FolderVariable config{"XDG_CONFIG_HOME"};
    std::unique_ptr<TForm1> form;
};

} // namespace

TEST_F(EngineProgramTest, StartConnectsAndARecordingIsDecodedIntoTheReceiveWindow)
{
    channel::Settings s;
    s.snrDb = 10;
    s.leadSeconds = 0.5;
    const QString wav = config.filePath("in.wav");
    ASSERT_TRUE(
        channel::writeWav(wav.toStdString(), channel::transmit(Received, s), s.sampleRateHz));
    writeSettings(QString("[audio]\nsource=wav\nwav_input=%1\n").arg(wav));

    startTerminal();
    EXPECT_EQ(form->statusPanelText(0), "Connected to MMTTY WAV file, engine 1.0");
    // The recording plays in real time: about 25 seconds.
    (void)QTest::qWaitFor([&] { return form->Text->toPlainText().contains("0123456789"); }, 40000);
    const std::string text = form->Text->toPlainText().toStdString();
    EXPECT_LE(cer::characterErrorRate(Received, text), 0.005) << text;
}

TEST_F(EngineProgramTest, TypedTextComesOutOfTheTransmitterAndDecodesExactly)
{
    const QString out = config.filePath("out.wav");
    writeSettings(QString("[audio]\nsource=demo\nwav_output=%1\n").arg(out));
    startTerminal();

    QTest::mouseClick(form->XMMBtn12, Qt::LeftButton, {}, QPoint(5, 5)); // TX
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get(), 2000));
    form->Transmit->setFocus();
    QTest::keyClicks(form->Transmit, "cq cq de zz9zzz 73");
    QTest::keyClick(form->Transmit, Qt::Key_Return);
    form->Button8->click(); // RX after the text has gone out
    // 19 characters and a few shifts at 6 a second, after the lead-in.
    QTest::qWait(6500);
    const qint64 pid = enginePid();
    form->Exit2->trigger();
    form.reset();
    EXPECT_FALSE(processAlive(pid));

    QProcess decode;
    decode.start(QCoreApplication::applicationDirPath() + "/tolmfsk-engine", {"--decode", out});
    ASSERT_TRUE(decode.waitForFinished(20000));
    const QString decoded = QString::fromLatin1(decode.readAllStandardOutput());
    EXPECT_EQ(cer::fold(decoded.toStdString()), "CQ CQ DE ZZ9ZZZ 73") << decoded.toStdString();
}

TEST_F(EngineProgramTest, AKilledEngineIsReportedNotLeftConnected)
{
    writeSettings("[audio]\nsource=demo\n");
    startTerminal();
    const qint64 pid = enginePid();
    ASSERT_TRUE(processAlive(pid));
    ::kill(pid_t(pid), SIGKILL);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return form->statusPanelText(0) == "MMTTY stopped unexpectedly."; }, 3000))
        << form->statusPanelText(0).toStdString();
    // START brings it back.
    form->Button3->click();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return form->statusPanelText(0).startsWith("Connected to MMTTY "); }, 6000));
}

TEST_F(EngineProgramTest, TheCloseBoxLeavesNoEngineBehind)
{
    writeSettings("[audio]\nsource=demo\n");
    startTerminal();
    const qint64 pid = enginePid();
    ASSERT_TRUE(processAlive(pid));
    form->close();
    form.reset(); // the program ends with its window
    EXPECT_FALSE(processAlive(pid));
}

TEST_F(EngineProgramTest, TheDemoSourceFillsTheReceiveWindowAndTheDisplays)
{
    writeSettings("[audio]\nsource=demo\n");
    startTerminal();
    EXPECT_EQ(form->statusPanelText(0), "Connected to MMTTY DEMO, engine 1.0");
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->Text->toPlainText().contains("ZZ1DX"); }, 20000))
        << form->Text->toPlainText().toStdString();
}
