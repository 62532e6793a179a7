// The engine's whole receive chain at its default settings (demodulator, spectrum, AFC, XY
// and status records) on a minute of a simulated band: CPU time per second of audio.
//   bench-engine-cpu [SECONDS]
#include "Channel.h"
#include "EngineCore.h"

#include <cstdio>
#include <ctime>
#include <string>

namespace {
struct Counting : rtty::EngineEvents {
    long characters = 0, spectra = 0, xyBlocks = 0, records = 0;
    void character(char) override { ++characters; }
    void spectrum(const std::vector<std::int16_t> &, int, std::int32_t) override { ++spectra; }
    void xy(const std::vector<std::int32_t> &) override { ++xyBlocks; }
    void status(const std::vector<std::int32_t> &) override { ++records; }
    void transmitting(bool) override {}
};

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}
} // namespace

int main(int argc, char *argv[])
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 60;
    std::string text;
    while (text.size() < seconds * 6.5)
        text += "CQ CQ DE ZZ9ZZZ THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 1234567890 ";
    channel::Settings s;
    s.snrDb = 5;
    s.offsetHz = 20;
    const std::vector<float> audio = channel::transmit(text, s);
    const double audioSeconds = double(audio.size()) / rtty::EngineCore::SampleRateHz;

    Counting events;
    rtty::EngineCore core(events);
    core.setSwitch(516); // UOS as well; AFC is on by default
    std::vector<float> tx(256);
    const double start = cpuSeconds();
    for (std::size_t at = 0; at < audio.size(); at += 256)
        core.process(audio.data() + at, tx.data(), std::min<std::size_t>(256, audio.size() - at),
                     0);
    const double used = cpuSeconds() - start;
    const double share = used / audioSeconds * 100;
    std::printf("engine receive chain, default settings, %.0f s of audio\n", audioSeconds);
    std::printf("  %ld characters, %ld spectra, %ld XY blocks, %ld status records\n",
                events.characters, events.spectra, events.xyBlocks, events.records);
    std::printf("  CPU: %.1f ms per second of audio = %.2f%% of one core (must stay under 2%%)\n",
                used / audioSeconds * 1000, share);
    return share < 2 ? 0 : 1;
}
