// FSK keying on a pseudo-terminal as the port: the other end reads the UART's codes and decodes
// them back to the text, for --send and for a transmission from the engine link; the serial
// settings asked for (5 bits, 1.5 stop bits, the rate) are read at the system-call level, as
// are the times of every edge of DTR keyed bit by bit.
#include "Baudot.h"
#include "EngineEdges.h"
#include "EngineSettings.h"
#include "FolderVariable.h"
#include "FskLine.h"
#include "ModemLineLog.h"
#include "ProgramRun.h"
#include "SettingNames.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <ctime>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

const std::string Text = "RYRY CQ TEST DE N0CALL 599 0417 K";
// termios2's "other rate" in c_cflag (the kernel's header cannot share a unit with <pty.h>).
constexpr int OtherRate = 0010000;

std::string decode(const std::vector<std::uint8_t> &codes)
{
    rtty::BaudotDecoder decoder;
    std::string text;
    for (std::uint8_t code : codes)
        if (const auto c = decoder.decode(code))
            text += *c;
    return text;
}

// How late a thread wakes on this machine while it runs: one that asks for real-time priority,
// sleeps until shortly before each due time and waits out the rest, as well as a thread can be on
// time. A virtual machine's processor is now and then taken away for a few ms, for seconds on
// end when its host is busy, which no program can prevent; keying is judged against what the
// machine allowed at the same time.
class WakeWitness {
public:
    explicit WakeWitness(double periodMs) : thread_([this, periodMs] { run(periodMs); }) {}
    ~WakeWitness() { stop(); }
    // How late each wake was, in ms, in order.
    std::vector<double> stop()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        std::sort(lateMs_.begin(), lateMs_.end());
        return lateMs_;
    }

private:
    // Its own sleep and wait, not the keying's, so that a keying that slipped would not slip the
    // measure it is held to.
    void run(double periodMs)
    {
        using engineio::TimedKeying;
        TimedKeying::prepareThread();
        std::int64_t due = TimedKeying::now();
        while (!stop_) {
            due += std::int64_t(periodMs * 1e6);
            const std::int64_t wakeNs = due - TimedKeying::SpinNs;
            const timespec wake{time_t(wakeNs / 1'000'000'000), long(wakeNs % 1'000'000'000)};
            while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &wake, nullptr) == EINTR) {
            }
            while (TimedKeying::now() < due) {
            }
            lateMs_.push_back(double(TimedKeying::now() - due) / 1e6);
        }
    }

    std::atomic<bool> stop_{false};
    std::vector<double> lateMs_;
    std::thread thread_;
};

// A pseudo-terminal pair: the engine keys the device end, the test reads the other.
class FskPort : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(::openpty(&controller, &device, name, nullptr, nullptr), 0);
        ::fcntl(controller, F_SETFL, O_NONBLOCK);
    }
    void TearDown() override
    {
        ::close(controller);
        ::close(device);
    }
    void configure(const QString &method, const QString &more = {})
    {
        config.write(QString("[audio]\nsource=demo\n[tx]\nmethod=%1\nfsk_port=%2\n%3")
                         .arg(method, name, more));
    }
    // With the shim: the port's serial settings and modem lines recorded.
    QProcessEnvironment shimmed() const
    {
        QProcessEnvironment e = config.environment();
        e.insert("LD_PRELOAD", QCoreApplication::applicationDirPath() + "/libmodemlineshim.so");
        e.insert("TOLMFSK_SHIM_DEVICE", name);
        e.insert("TOLMFSK_SHIM_LOG", config.path("port.log"));
        return e;
    }
    std::vector<std::uint8_t> received()
    {
        std::vector<std::uint8_t> codes;
        std::uint8_t buffer[256];
        ssize_t n;
        while ((n = ::read(controller, buffer, sizeof buffer)) > 0)
            codes.insert(codes.end(), buffer, buffer + n);
        return codes;
    }

    int controller = -1, device = -1;
    char name[128] = {};
    EngineConfig config;
};

} // namespace

TEST_F(FskPort, SendPutsTheTextOnTheUartAsFiveBitFramesWithOneAndAHalfStopBits)
{
    configure("fsk");
    const ProgramRun run =
        runProgram("tolmfsk-engine", {"--send", QString::fromStdString(Text)}, 20000, shimmed());
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const auto codes = received();
    EXPECT_EQ(decode(codes), Text);
    for (std::uint8_t code : codes)
        EXPECT_LT(code, 32) << "a 5-bit code";

    const auto calls = readModemLineLog(config.path("port.log"));
    ASSERT_FALSE(calls.empty()) << "the port's settings were never set";
    const ModemLineCall &asked = calls.back();
    ASSERT_EQ(asked.op, "TCSETS2");
    EXPECT_EQ(asked.bits & CSIZE, CS5);
    EXPECT_TRUE(asked.bits & CSTOPB) << "1.5 stop bits on a 5-bit UART";
    EXPECT_EQ(asked.bits & CBAUD, OtherRate);
    EXPECT_EQ(asked.linesAfter, 46) << "45.45 baud asked as the next whole rate";
}

TEST_F(FskPort, ATransmissionFromTheLinkGoesOutOnTheUart)
{
    configure("fsk");
    EngineLinkClient engine(config.environment());
    ASSERT_TRUE(engine.start()) << engine.errors.toStdString();
    std::vector<std::uint8_t> codes;
    transmit(engine, Text);
    ASSERT_TRUE(engine.waitFor(
        [&] {
            const auto more = received();
            codes.insert(codes.end(), more.begin(), more.end());
            return engine.pttMessages(0) > 0;
        },
        20000))
        << noticeTexts(engine);
    const auto more = received();
    codes.insert(codes.end(), more.begin(), more.end());
    EXPECT_EQ(decode(codes), Text);
    engine.quit();
    EXPECT_TRUE(engine.waitFinished(5000));
}

// An FSK port that cannot be opened is reported, and the radio is not keyed into a bare carrier.
TEST_F(FskPort, AMissingFskPortIsReportedAndTheRadioIsNotKeyed)
{
    config.write(QString("[audio]\nsource=demo\n[tx]\nmethod=fsk\nfsk_port=/dev/no-such-port\n"
                         "[ptt]\nmethod=rts\nport=%1\n")
                     .arg(name));
    EngineLinkClient engine(shimmed());
    ASSERT_TRUE(engine.start()) << engine.errors.toStdString();
    transmit(engine, "RYRY");
    EXPECT_TRUE(engine.waitFor(
        [&] {
            return noticeTexts(engine).find("FSK: cannot open the FSK port") != std::string::npos;
        },
        10000))
        << noticeTexts(engine);
    EXPECT_TRUE(engine.waitFor([&] { return engine.pttMessages(0) > 0; }, 10000));
    engine.quit();
    EXPECT_TRUE(engine.waitFinished(5000));
    for (const ModemLineCall &call : readModemLineLog(config.path("port.log")))
        EXPECT_FALSE(call.op == "BIS" && call.bits == TIOCM_RTS) << "PTT was keyed";
}

TEST_F(FskPort, SendSaysPlainlyWhenThePortIsMissingOrCannotBeReversed)
{
    config.write("[tx]\nmethod=fsk\nfsk_port=/dev/no-such-port\n");
    ProgramRun run = runProgram("tolmfsk-engine", {"--send", "RY"}, 10000, config.environment());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains("cannot open the FSK port /dev/no-such-port"))
        << run.errors.toStdString();

    configure("fsk", "fsk_reverse=true\n");
    run = runProgram("tolmfsk-engine", {"--send", "RY"}, 10000, config.environment());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains("cannot be reversed")) << run.errors.toStdString();
}

// DTR keyed bit by bit: edges on their due times on the bit grid of their frames (a frame that
// follows another at once starts where the last one's 1.5 stop bits end), and the line, sampled
// in the middle of each bit, decodes back to the text. PTT, on the same port's RTS, is on before
// the first edge and off only once the last frame's stop bits have ended.
TEST_F(FskPort, TimedDtrKeyingIsOnTimeAndDecodes)
{
    configure("fsk-dtr", QString("[ptt]\nmethod=rts\nport=%1\nlead_ms=30\ntail_ms=10\n").arg(name));
    const double bitMs = 1000 / 45.45;
    WakeWitness witness(bitMs);
    const ProgramRun run =
        runProgram("tolmfsk-engine", {"--send", QString::fromStdString(Text)}, 30000, shimmed());
    const std::vector<double> machineMs = witness.stop();
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    ASSERT_GT(machineMs.size(), 100u);

    // The line's changes: space while DTR is raised.
    std::vector<std::pair<double, bool>> edges; // ms, space after
    std::vector<std::pair<double, bool>> ptt;   // ms, keyed after
    for (const ModemLineCall &call : readModemLineLog(config.path("port.log"))) {
        if ((call.op == "BIS" || call.op == "BIC") && call.bits == TIOCM_DTR)
            edges.emplace_back(double(call.atNs) / 1e6, call.op == "BIS");
        if ((call.op == "BIS" || call.op == "BIC") && call.bits == TIOCM_RTS)
            ptt.emplace_back(double(call.atNs) / 1e6, call.op == "BIS");
    }
    ASSERT_GT(edges.size(), 20u);
    EXPECT_FALSE(edges.front().second) << "the line starts at mark";
    auto spaceAt = [&](double ms) {
        bool space = false;
        for (const auto &[at, level] : edges)
            if (at <= ms)
                space = level;
        return space;
    };

    // Each edge's offset from the grid of its run of frames, which starts at the first start bit
    // after a pause and goes on unbroken while frames follow at once.
    struct Offset {
        int run;
        double ms;
        std::string where;
    };
    std::vector<Offset> offsets;
    std::vector<std::uint8_t> codes;
    int runs = 0;
    double origin = 0, lastEnd = -1e9;
    for (std::size_t i = 0; i < edges.size();) {
        if (!edges[i].second) { // a frame begins with its start bit: mark to space
            ++i;
            continue;
        }
        const std::string frame = " of frame " + std::to_string(codes.size());
        if (edges[i].first - lastEnd < bitMs) {
            origin = lastEnd;
            offsets.push_back({runs, edges[i].first - origin, "the start" + frame});
        } else {
            origin = edges[i].first;
            ++runs;
        }
        std::uint8_t code = 0;
        for (int k = 0; k < 5; ++k)
            code |= std::uint8_t(spaceAt(origin + (k + 1.5) * bitMs) ? 0 : 1) << k;
        EXPECT_FALSE(spaceAt(origin + 6.5 * bitMs)) << "the stop bit is mark";
        codes.push_back(code);
        lastEnd = origin + 7.5 * bitMs;
        for (++i; i < edges.size() && edges[i].first < origin + 6.75 * bitMs; ++i) {
            const double bits = (edges[i].first - origin) / bitMs;
            offsets.push_back({runs, (bits - std::round(bits)) * bitMs,
                               "bit " + std::to_string(std::lround(bits)) + frame});
        }
    }
    EXPECT_EQ(decode(codes), Text);

    // A run's grid is put where most of its edges are, so that a start bit late by a stall of the
    // machine is one late edge rather than a late frame or a late run.
    std::vector<double> errorsMs;
    double worstMs = 0;
    std::string worstAt;
    for (int r = 0; r <= runs; ++r) {
        std::vector<double> own;
        for (const Offset &o : offsets)
            if (o.run == r)
                own.push_back(o.ms);
        if (own.empty())
            continue;
        std::nth_element(own.begin(), own.begin() + own.size() / 2, own.end());
        const double grid = own[own.size() / 2];
        for (const Offset &o : offsets) {
            if (o.run != r)
                continue;
            errorsMs.push_back(std::fabs(o.ms - grid));
            if (errorsMs.back() > worstMs) {
                worstMs = errorsMs.back();
                worstAt = o.where;
            }
        }
    }
    ASSERT_GT(errorsMs.size(), 100u);
    std::sort(errorsMs.begin(), errorsMs.end());
    const auto percentile = [](const std::vector<double> &v, int share) {
        return v[v.size() * std::size_t(share) / 100];
    };
    // Nearly every edge within 1 ms of its due time, or of how late a thread on this machine woke
    // at the same time. The worst edge is held to a tenth of a bit while the machine held no
    // thread up longer than that; a stall past it is the machine's, and the edge it delays is left
    // to the decoding above, which reads each bit in its middle as a receiver does.
    const double machine95 = percentile(machineMs, 95), machineWorst = machineMs.back();
    const std::string machine = "; meanwhile a thread woke at most " + std::to_string(machine95) +
                                " ms late 95% of the time, " + std::to_string(machineWorst) +
                                " ms at worst";
    EXPECT_LE(percentile(errorsMs, 50), 0.2) << "the median, ms from its due time";
    EXPECT_LE(percentile(errorsMs, 95), std::max(1.0, machine95 + 0.5))
        << "the 95th percentile, ms from its due time" << machine;
    if (machineWorst <= bitMs / 10) {
        EXPECT_LE(worstMs, bitMs / 10) << "the worst edge, ms from its due time: " << worstAt
                                       << " of " << codes.size() << machine;
    }

    ASSERT_EQ(ptt.size(), 2u) << "keyed once, released once";
    EXPECT_TRUE(ptt[0].second);
    const auto firstStart =
        std::find_if(edges.begin(), edges.end(), [](auto &e) { return e.second; });
    EXPECT_LT(ptt[0].first, firstStart->first) << "keyed before the first start bit";
    EXPECT_FALSE(ptt[1].second);
    EXPECT_GE(ptt[1].first, lastEnd) << "released before the last stop bit ended";
}

TEST(TxSettings, AreKeptInTheIniAndReadBack)
{
    FolderVariable configFolder("XDG_CONFIG_HOME");
    engineio::EngineSettings s;
    s.tx = {engineio::TxMethod::FskRts, "/dev/ttyUSB1", true};
    ASSERT_TRUE(s.save());
    const engineio::EngineSettings read = engineio::EngineSettings::load();
    EXPECT_EQ(read.tx.method, engineio::TxMethod::FskRts);
    EXPECT_EQ(read.tx.fskPort, "/dev/ttyUSB1");
    EXPECT_TRUE(read.tx.fskReverse);
    for (const char *name : {"afsk", "fsk", "fsk-dtr", "fsk-rts"})
        EXPECT_EQ(nameOf(engineio::TxMethodNames, valueNamed(engineio::TxMethodNames, name)), name);
    EXPECT_EQ(valueNamed(engineio::TxMethodNames, "morse"), engineio::TxMethod::Afsk);
}
