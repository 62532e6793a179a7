// The noise blanker: what it takes of static crashes, and what it leaves of everything else.
#include "NoiseBlanker.h"

#include "Channel.h"
#include "Tones.h"

#include <gtest/gtest.h>
#include <random>

using rtty::NoiseBlanker;

namespace {

constexpr std::size_t Delay = NoiseBlanker::BlockSamples;

std::vector<float> blank(NoiseBlanker &blanker, const std::vector<float> &in)
{
    std::vector<float> out(in.size());
    for (std::size_t n = 0; n < in.size(); ++n)
        out[n] = blanker.execute(in[n]);
    return out;
}

} // namespace

// Crashes 40 dB over the noise at 0 dB SNR, not clipped: the same signal and noise with and
// without them tell exactly what each sample of crash was.
TEST(NoiseBlanker, SilencesCrashesAndPassesTheRestOneBlockLate)
{
    channel::Settings s;
    s.snrDb = 0;
    s.levelDb = -26;
    s.seed = 3;
    const std::string text = "CQ CQ CQ DE ZZ9ZZZ ZZ9ZZZ THE QUICK BROWN FOX 0123456789 PSE K ";
    const auto clean = channel::transmit(text + text + text, s);
    s.impulses = channel::Impulses{3, 40, 10};
    const auto crashed = channel::transmit(text + text + text, s);
    NoiseBlanker blanker;
    const auto out = blank(blanker, crashed);

    double crashEnergy = 0, passedCrash = 0;
    std::size_t silent = 0, changed = 0;
    // The level is found after the first BlocksTracked blocks; the crashes count from then on.
    const std::size_t known = NoiseBlanker::BlocksTracked * NoiseBlanker::BlockSamples + Delay;
    for (std::size_t n = Delay; n < out.size(); ++n) {
        const double crash = double(crashed[n - Delay]) - clean[n - Delay];
        if (n >= known)
            crashEnergy += crash * crash;
        if (out[n] == 0) {
            ++silent;
            continue;
        }
        if (n >= known)
            passedCrash += crash * crash;
        changed += out[n] != crashed[n - Delay];
    }
    EXPECT_EQ(changed, 0u) << "what is not blanked goes through as it came, a block late";
    EXPECT_LT(passedCrash, 0.01 * crashEnergy) << "99% of the crashes' energy goes";
    // 3 crashes a second, each blanked for what it stands over the band and the hang after it:
    // about 15 ms, some 5% of the time.
    EXPECT_LT(double(silent) / double(out.size()), 0.06);
    EXPECT_EQ(blanker.blankedBlocks() * NoiseBlanker::BlockSamples, silent);
}

TEST(NoiseBlanker, LeavesSteadyNoiseAlone)
{
    std::mt19937 random(5);
    std::normal_distribution<float> noise(0, 0.1f);
    std::vector<float> in(std::size_t(30 * TestRateHz));
    for (float &v : in)
        v = noise(random);
    NoiseBlanker blanker;
    blank(blanker, in);
    // A block of 8 noise samples at twice the band's 90th-percentile RMS is a chi-square tail
    // of about 1e-8: in 30 s, none.
    EXPECT_EQ(blanker.blankedBlocks(), 0u);
}

// A signal 60 dB over a quiet band, from one moment to the next: silenced only for as long as
// a crash lasts, then through for good.
TEST(NoiseBlanker, LetsAStrongSignalStartingOutOfAQuietBandThroughAfterACrashLength)
{
    std::mt19937 random(6);
    std::normal_distribution<float> noise(0, 0.0005f);
    std::vector<float> in(static_cast<std::size_t>(TestRateHz));
    for (float &v : in)
        v = noise(random);
    const auto tone = sine(2125, 2);
    const std::size_t onset = in.size();
    in.insert(in.end(), tone.begin(), tone.end());
    NoiseBlanker blanker;
    const auto out = blank(blanker, in);
    std::size_t lastSilent = 0;
    for (std::size_t n = 0; n < out.size(); ++n)
        if (out[n] == 0)
            lastSilent = n;
    EXPECT_GT(blanker.blankedBlocks(), 0u) << "the onset looks like a crash at first";
    EXPECT_LE(blanker.blankedBlocks(),
              std::size_t(NoiseBlanker::LongestCrashBlocks + NoiseBlanker::HangBlocks));
    EXPECT_LT(double(lastSilent - onset) / TestRateHz, 0.020);
}
