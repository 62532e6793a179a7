// PTT against real counterparts: Hamlib's rigctld with the dummy rig and CAT PTT, read back
// with rigctl; and serial RTS/DTR on a pseudo-terminal, whose modem lines a shim answers and
// records at the system-call level; and an engine whose terminal has stopped reading.
#include "EngineEdges.h"
#include "ModemLineLog.h"
#include "Rigctld.h"
#include "Ts2000Sim.h"

#include <QFile>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string Text = "RYRY CQ TEST DE ZZ9ZZZ 599 0417 K";

class CatPttTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(rigctld.start()) << "rigctld does not start";
        config.write(QString("[audio]\nsource=demo\n[ptt]\nmethod=cat\nport=%1\nhamlib_model=2\n")
                         .arg(rigctld.address()));
        ASSERT_TRUE(engine.start()) << engine.errors.toStdString();
    }

    // Starts a transmission and waits until the radio reads keyed.
    void keyUp(const std::string &text)
    {
        transmit(engine, text);
        ASSERT_TRUE(engine.waitFor([&] { return engine.pttMessages(1) > 0; }, 5000));
        EXPECT_TRUE(engine.waitFor([&] { return rigctld.ptt() == 1; }, 2000));
    }

    Rigctld rigctld;
    EngineConfig config;
    EngineLinkClient engine{config.environment()};
};

} // namespace

// While the text goes out the radio reads transmitting; once it is out, receiving.
TEST_F(CatPttTest, TheRadioIsKeyedWhileTheTextGoesOutAndReleasedAfter)
{
    keyUp(Text);
    int readsWhileSending = 0, keyedReads = 0;
    while (engine.pttMessages(0) == 0 && readsWhileSending < 200) {
        const int ptt = rigctld.ptt();
        // A read may cross the end of the transmission; only those before the engine's word
        // of it (which the pause lets in) count.
        QTest::qWait(100);
        if (engine.pttMessages(0) == 0) {
            ++readsWhileSending;
            keyedReads += ptt == 1;
        }
    }
    EXPECT_GT(readsWhileSending, 20) << "about 6 s of text at 45.45 baud";
    EXPECT_EQ(keyedReads, readsWhileSending);
    EXPECT_TRUE(engine.waitFor([&] { return rigctld.ptt() == 0; }, 1000));
    EXPECT_EQ(decodedText(engine).find("ZZ9ZZZ 599 0417") != std::string::npos, true)
        << "the demo hears the transmission: " << decodedText(engine);
}

TEST_F(CatPttTest, StopAtOnceReleases)
{
    keyUp(std::string(200, 'E'));
    engine.command(enginelink::CmdTransmitControl, enginelink::TxStopNow);
    EXPECT_TRUE(engine.waitFor([&] { return rigctld.ptt() == 0; }, 1000));
    QTest::qWait(500);
    EXPECT_EQ(rigctld.ptt(), 0) << "and stays released";
}

TEST_F(CatPttTest, QuitReleases)
{
    keyUp(std::string(200, 'E'));
    engine.quit();
    ASSERT_TRUE(engine.waitFinished(5000));
    EXPECT_EQ(engine.process.exitCode(), 0);
    EXPECT_EQ(rigctld.ptt(), 0);
}

TEST_F(CatPttTest, TheEndOfTheLinkReleases)
{
    keyUp(std::string(200, 'E'));
    engine.process.closeWriteChannel();
    ASSERT_TRUE(engine.waitFinished(5000));
    EXPECT_EQ(rigctld.ptt(), 0);
}

TEST_F(CatPttTest, SigtermAndSigintRelease)
{
    keyUp(std::string(200, 'E'));
    ::kill(pid_t(engine.process.processId()), SIGTERM);
    ASSERT_TRUE(engine.waitFinished(5000));
    EXPECT_EQ(rigctld.ptt(), 0) << "after SIGTERM";

    EngineLinkClient again(config.environment());
    ASSERT_TRUE(again.start());
    transmit(again, std::string(200, 'E'));
    ASSERT_TRUE(again.waitFor([&] { return rigctld.ptt() == 1; }, 5000));
    ::kill(pid_t(again.process.processId()), SIGINT);
    ASSERT_TRUE(again.waitFinished(5000));
    EXPECT_EQ(rigctld.ptt(), 0) << "after SIGINT";
}

// The terminal's PTT property off: the transmission goes out unkeyed.
TEST_F(CatPttTest, WithPttOffTheRadioIsNotKeyed)
{
    engine.send(enginelink::SetPttMsg{false});
    engine.send(enginelink::SendTextMsg{"RY"});
    engine.command(enginelink::CmdTransmitControl, enginelink::TxTransmit);
    ASSERT_TRUE(engine.waitFor([&] { return engine.pttMessages(1) > 0; }, 5000));
    QTest::qWait(300);
    EXPECT_EQ(rigctld.ptt(), 0);
    engine.command(enginelink::CmdTransmitControl, enginelink::TxStopNow);
}

// CAT PTT straight to a TS-2000 on its serial port: the radio transmits while the text goes
// out, and is back on receive once it is out.
TEST(Ts2000Ptt, TheRadioTransmitsWhileTheTextGoesOut)
{
    Ts2000Sim radio;
    ASSERT_FALSE(radio.device.isEmpty());
    EngineConfig config;
    config.write(QString("[audio]\nsource=demo\n[ptt]\nmethod=cat\nport=%1\nhamlib_model=2014\n")
                     .arg(radio.device));
    EngineLinkClient engine(config.environment());
    ASSERT_TRUE(engine.start()) << engine.errors.toStdString();
    ASSERT_TRUE(engine.waitFor([&] { return engine.errors.contains("PTT is ready"); }, 10000))
        << engine.errors.toStdString();
    EXPECT_EQ(radio.transmitting(), 0);
    transmit(engine, "RYRY DE ZZ9ZZZ K");
    ASSERT_TRUE(engine.waitFor([&] { return engine.pttMessages(1) > 0; }, 5000));
    EXPECT_TRUE(engine.waitFor([&] { return radio.transmitting() == 1; }, 2000));
    ASSERT_TRUE(engine.waitFor([&] { return engine.pttMessages(0) > 0; }, 15000));
    EXPECT_TRUE(engine.waitFor([&] { return radio.transmitting() == 0; }, 2000));
    EXPECT_EQ(engine.count<enginelink::NoticeMsg>(), 0u) << noticeTexts(engine);
}

// A radio that is not there shows at once, not when the operator first transmits.
TEST(PttFaults, ARadioThatIsNotThereIsReportedBeforeAnyoneTransmits)
{
    Rigctld nobody; // its port, with nothing listening
    EngineConfig config;
    config.write(QString("[audio]\nsource=demo\n[ptt]\nmethod=cat\nport=%1\nhamlib_model=2\n")
                     .arg(nobody.address()));
    EngineLinkClient engine(config.environment());
    ASSERT_TRUE(engine.start());
    ASSERT_TRUE(engine.waitFor([&] { return engine.count<enginelink::NoticeMsg>() > 0; }, 15000))
        << engine.errors.toStdString();
    const auto notice = engine.all<enginelink::NoticeMsg>().front().second;
    EXPECT_EQ(notice.fault, 1);
    EXPECT_EQ(notice.text.rfind("PTT: " + nobody.address().toStdString(), 0), 0u) << notice.text;
    EXPECT_TRUE(engine.errors.contains("PTT")) << "and on standard error";
    EXPECT_EQ(engine.pttMessages(1), 0);
}

TEST(PttFaults, APortThatIsNotThereIsReported)
{
    EngineConfig config;
    config.write("[audio]\nsource=demo\n[ptt]\nmethod=rts\nport=/dev/no-such-port\n");
    EngineLinkClient engine(config.environment());
    ASSERT_TRUE(engine.start());
    ASSERT_TRUE(engine.waitFor([&] { return engine.count<enginelink::NoticeMsg>() > 0; }, 5000));
    const auto notice = engine.all<enginelink::NoticeMsg>().front().second;
    EXPECT_EQ(notice.fault, 1);
    EXPECT_EQ(notice.text, "PTT: /dev/no-such-port: No such file or directory");
}

namespace {

class SerialPttTest : public ::testing::TestWithParam<const char *> {};

} // namespace

// The configured line keys the radio; the other is low from the moment the port opens.
TEST_P(SerialPttTest, OnlyTheConfiguredLineEverRises)
{
    const std::string method = GetParam();
    const int keyedBit = method == "rts" ? TIOCM_RTS : TIOCM_DTR;
    const int keyedAfter = method == "rts" ? RtsAfter : DtrAfter;
    int controller = -1, device = -1;
    char name[128] = {};
    ASSERT_EQ(::openpty(&controller, &device, name, nullptr, nullptr), 0);

    EngineConfig config;
    config.write(QString("[audio]\nsource=demo\n[ptt]\nmethod=%1\nport=%2\n")
                     .arg(QString::fromStdString(method), name));
    QProcessEnvironment environment = config.environment();
    environment.insert("LD_PRELOAD",
                       QCoreApplication::applicationDirPath() + "/libmodemlineshim.so");
    environment.insert("TOLMFSK_SHIM_DEVICE", name);
    environment.insert("TOLMFSK_SHIM_LOG", config.path("lines.log"));
    EngineLinkClient engine(environment);
    ASSERT_TRUE(engine.start()) << engine.errors.toStdString();
    transmit(engine, "RYRY");
    ASSERT_TRUE(engine.waitFor([&] { return engine.pttMessages(0) > 0; }, 10000));
    QTest::qWait(300); // the tail
    engine.quit();
    ASSERT_TRUE(engine.waitFinished(5000));
    ::close(controller);
    ::close(device);

    const auto calls = readModemLineLog(config.path("lines.log"));
    ASSERT_FALSE(calls.empty()) << "the engine never touched the port's lines";
    QFile log(config.path("lines.log"));
    log.open(QIODevice::ReadOnly);
    SCOPED_TRACE(log.readAll().toStdString() + engine.errors.toStdString());
    // First thing: both lines down.
    EXPECT_EQ(calls.front().linesAfter, 0) << calls.front().op << " " << calls.front().bits;
    int rises = 0;
    for (const ModemLineCall &call : calls) {
        EXPECT_EQ(call.linesAfter & ~keyedAfter, 0) << "the other line rose: " << call.op;
        rises += (call.op == "BIS" && call.bits == keyedBit);
    }
    EXPECT_EQ(rises, 1) << "keyed once for the one transmission";
    EXPECT_EQ(calls.back().linesAfter, 0) << "released at the end";
}

INSTANTIATE_TEST_SUITE_P(Lines, SerialPttTest, ::testing::Values("rts", "dtr"));

namespace {

// An engine whose terminal has stopped reading (frozen, or its link stalled): its standard
// output is a FIFO that the test holds open and never reads.
class FrozenTerminal {
public:
    explicit FrozenTerminal(const EngineConfig &config) : fifo_(config.path("out.fifo"))
    {
        ::mkfifo(fifo_.toLocal8Bit().constData(), 0600);
        reader_ = ::open(fifo_.toLocal8Bit().constData(), O_RDONLY | O_NONBLOCK);
        // As small as a pipe gets (a page), so that it fills within a second.
        ::fcntl(reader_, F_SETPIPE_SZ, 4096);
        process.setProcessEnvironment(config.environment());
        process.setStandardOutputFile(fifo_);
        process.setProgram(QCoreApplication::applicationDirPath() + "/tolmfsk-engine");
        process.setArguments({"-m"});
    }
    ~FrozenTerminal()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(3000);
        }
        if (reader_ >= 0)
            ::close(reader_);
    }
    bool start()
    {
        process.start();
        return reader_ >= 0 && process.waitForStarted(5000);
    }
    void send(const enginelink::TerminalMessage &message)
    {
        const auto frame = enginelink::encode(message);
        process.write(reinterpret_cast<const char *>(frame.data()), qint64(frame.size()));
    }
    // What waits in the FIFO for the terminal, in bytes.
    int waiting() const
    {
        int n = 0;
        return ::ioctl(reader_, FIONREAD, &n) == 0 ? n : -1;
    }

    QProcess process;

private:
    QString fifo_;
    int reader_ = -1;
};

} // namespace

// The terminal stops reading while the engine transmits: the engine keeps sending, its output
// waits for the terminal, and SIGTERM, a quit frame or the end of its input still end it at
// once with the radio released.
TEST(FrozenTerminal, TheEngineStillEndsAtOnceAndReleasesTheRadio)
{
    Rigctld rigctld;
    ASSERT_TRUE(rigctld.start()) << "rigctld does not start";
    EngineConfig config;
    config.write(QString("[audio]\nsource=demo\n[ptt]\nmethod=cat\nport=%1\nhamlib_model=2\n")
                     .arg(rigctld.address()));
    for (const char *how : {"SIGTERM", "quit", "end of input"}) {
        FrozenTerminal engine(config);
        ASSERT_TRUE(engine.start()) << how;
        engine.send(enginelink::TerminalHelloMsg{enginelink::Version});
        engine.send(enginelink::SetPttMsg{true});
        engine.send(enginelink::SendTextMsg{std::string(400, 'E')});
        engine.send(
            enginelink::PostCommandMsg{enginelink::CmdTransmitControl, enginelink::TxTransmit});
        ASSERT_TRUE(QTest::qWaitFor([&] { return rigctld.ptt() == 1; }, 5000)) << how;
        // The spectrum, XY and status blocks fill the FIFO within a second.
        ASSERT_TRUE(QTest::qWaitFor([&] { return engine.waiting() >= 2000; }, 5000))
            << how << ": " << engine.waiting() << " bytes waiting";
        QTest::qWait(1500);
        if (std::string(how) == "SIGTERM")
            ::kill(pid_t(engine.process.processId()), SIGTERM);
        else if (std::string(how) == "quit")
            engine.send(enginelink::QuitMsg{});
        else
            engine.process.closeWriteChannel();
        EXPECT_TRUE(QTest::qWaitFor([&] { return rigctld.ptt() == 0; }, 1000))
            << how << ": PTT still keyed a second later";
        EXPECT_TRUE(engine.process.waitForFinished(1500)) << how << ": still running";
    }
}
