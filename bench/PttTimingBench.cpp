// PTT lead and tail as the radio would see them: the engine on a private PulseAudio server,
// keying RTS of a pseudo-terminal (whose modem-line calls a shim time-stamps), and the sound
// the server plays recorded from the sink's monitor with each sample's time of play. For each
// transmission: how long PTT was on before its first sound was played, and how long it stayed
// on after its last.
//   bench-ptt-timing [TRANSMISSIONS]
#include "EngineLinkClient.h"
#include "ModemLineLog.h"
#include "SoundServer.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <pty.h>
#include <pulse/simple.h>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock; // CLOCK_MONOTONIC, as the shim's stamps

constexpr double Rate = 11025;

// The monitor's samples with the time each was played, in ns of CLOCK_MONOTONIC.
class MonitorRecorder {
public:
    explicit MonitorRecorder(const QProcessEnvironment &environment)
    {
        for (const QString &name :
             {QString("XDG_RUNTIME_DIR"), QString("PULSE_CLIENTCONFIG"), QString("HOME")})
            qputenv(name.toLocal8Bit(), environment.value(name).toLocal8Bit());
        pa_sample_spec format{PA_SAMPLE_FLOAT32LE, std::uint32_t(Rate), 1};
        pa_buffer_attr attributes{};
        attributes.maxlength = std::uint32_t(-1);
        attributes.fragsize = std::uint32_t(0.01 * Rate) * sizeof(float);
        int error = 0;
        stream_ = pa_simple_new(nullptr, "bench-ptt-timing", PA_STREAM_RECORD, "radio.monitor",
                                "timing", &format, nullptr, &attributes, &error);
        if (stream_)
            thread_ = std::thread([this] { run(); });
    }
    ~MonitorRecorder()
    {
        quit_ = true;
        if (thread_.joinable())
            thread_.join();
        if (stream_)
            pa_simple_free(stream_);
    }
    bool ok() const { return stream_ != nullptr; }

    // Times of play of the first and the last sample louder than `level` within [from, to].
    std::pair<long long, long long> soundWithin(long long from, long long to, float level) const
    {
        std::lock_guard lock(mutex_);
        long long first = -1, last = -1;
        for (std::size_t i = 0; i < samples_.size(); ++i) {
            if (times_[i] < from || times_[i] > to || std::fabs(samples_[i]) < level)
                continue;
            if (first < 0)
                first = times_[i];
            last = times_[i];
        }
        return {first, last};
    }

private:
    void run()
    {
        std::vector<float> block(110);
        while (!quit_) {
            int error = 0;
            if (pa_simple_read(stream_, block.data(), block.size() * sizeof(float), &error) < 0)
                return;
            const auto now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                 Clock::now().time_since_epoch())
                                 .count();
            // What the server still holds came after the block's last sample.
            const long long lastPlayed =
                now - 1000LL * (long long)pa_simple_get_latency(stream_, &error);
            std::lock_guard lock(mutex_);
            for (std::size_t i = 0; i < block.size(); ++i) {
                samples_.push_back(block[i]);
                times_.push_back(lastPlayed -
                                 (long long)(double(block.size() - 1 - i) / Rate * 1e9));
            }
        }
    }

    pa_simple *stream_ = nullptr;
    std::thread thread_;
    std::atomic<bool> quit_{false};
    mutable std::mutex mutex_;
    std::vector<float> samples_;
    std::vector<long long> times_;
};

struct LineEdge {
    long long atNs;
    bool on;
};

// The RTS edges the shim recorded.
std::vector<LineEdge> readEdges(const QString &path)
{
    std::vector<LineEdge> edges;
    for (const ModemLineCall &call : readModemLineLog(path))
        if ((call.op == "BIS" || call.op == "BIC") && call.bits == TIOCM_RTS)
            edges.push_back({call.atNs, call.op == "BIS"});
    return edges;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const int transmissions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

    SoundServer server(SoundServer::Kind::PulseAudio);
    QString error;
    if (!SoundServer::installed(SoundServer::Kind::PulseAudio) || !server.start(error)) {
        std::fprintf(stderr, "bench-ptt-timing: no private PulseAudio server: %s\n",
                     qPrintable(error));
        return 1;
    }
    int controller = -1, device = -1;
    char port[128] = {};
    if (::openpty(&controller, &device, port, nullptr, nullptr) != 0)
        return 1;
    QTemporaryDir config;
    QDir(config.path()).mkpath("tolmfsk");
    QFile ini(config.filePath("tolmfsk/engine.ini"));
    if (!ini.open(QIODevice::WriteOnly))
        return 1;
    ini.write(QString("[audio]\nsource=soundcard\ninput_device=radio.monitor\noutput_device=radio\n"
                      "[ptt]\nmethod=rts\nport=%1\n")
                  .arg(port)
                  .toUtf8());
    ini.close();
    QProcessEnvironment environment = server.environment();
    environment.insert("XDG_CONFIG_HOME", config.path());
    environment.insert("LD_PRELOAD",
                       QCoreApplication::applicationDirPath() + "/libmodemlineshim.so");
    environment.insert("TOLMFSK_SHIM_DEVICE", port);
    environment.insert("TOLMFSK_SHIM_LOG", config.filePath("lines.log"));

    MonitorRecorder recorder(environment);
    EngineLinkClient engine(environment);
    if (!recorder.ok() || !engine.start()) {
        std::fprintf(stderr, "bench-ptt-timing: the engine or the recorder does not start\n");
        return 1;
    }
    engine.send(enginelink::SetPttMsg{true});
    QTest::qWait(3000); // the server settles (a null sink renders its first block slowly)
    for (int i = 0; i < transmissions; ++i) {
        engine.send(enginelink::SendTextMsg{"RYRY"});
        engine.command(enginelink::CmdTransmitControl, enginelink::TxTransmit);
        engine.command(enginelink::CmdTransmitControl, enginelink::TxReceiveAfterSending);
        engine.waitFor([&] { return engine.pttMessages(0) > i; }, 10000);
        QTest::qWait(700);
    }
    engine.quit();
    engine.waitFinished(5000);

    const auto edges = readEdges(config.filePath("lines.log"));
    std::vector<double> leads, tails;
    std::printf("PTT lead and tail, %d transmissions of RYRY at 45.45 baud (settings: lead 50 ms, "
                "tail 20 ms)\n",
                transmissions);
    for (std::size_t i = 0; i + 1 < edges.size(); ++i) {
        if (!edges[i].on || edges[i + 1].on)
            continue;
        // Sound between the end of the transmission before and the start of the one after.
        const long long from = i > 0 ? edges[i - 1].atNs : edges[i].atNs - 1'000'000'000LL;
        const long long to =
            i + 2 < edges.size() ? edges[i + 2].atNs : edges[i + 1].atNs + 1'000'000'000LL;
        const auto [first, last] = recorder.soundWithin(from, to, 0.01f);
        if (first < 0)
            continue;
        const double lead = double(first - edges[i].atNs) / 1e6;
        const double tail = double(edges[i + 1].atNs - last) / 1e6;
        leads.push_back(lead);
        tails.push_back(tail);
        std::printf("  transmission %zu: PTT on %6.1f ms before the first sound, off %6.1f ms "
                    "after the last\n",
                    leads.size(), lead, tail);
    }
    if (leads.empty()) {
        std::fprintf(stderr, "bench-ptt-timing: no keyed transmission was heard\n");
        return 1;
    }
    std::printf("lead: median %.1f ms, least %.1f ms; tail: median %.1f ms, least %.1f ms\n",
                median(leads), *std::min_element(leads.begin(), leads.end()), median(tails),
                *std::min_element(tails.begin(), tails.end()));
    ::close(controller);
    ::close(device);
    // PTT must never come after the sound, nor go before it ends.
    return *std::min_element(leads.begin(), leads.end()) > 0 &&
                   *std::min_element(tails.begin(), tails.end()) > 0
               ? 0
               : 1;
}
