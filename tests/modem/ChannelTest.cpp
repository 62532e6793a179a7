// The channel simulator's senders and bands that the decoder table reads: a mark weaker than
// the space, oscillators whose phase jumps at each change of tone, and static crashes.
#include "Channel.h"

#include "Spectrum.h"
#include "Tones.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace {

// The power near one frequency, over the whole signal, from averaged spectra.
double powerNear(const std::vector<float> &x, double hz)
{
    rtty::Spectrum spectrum(2048);
    double sum = 0;
    const auto bin = std::size_t(std::lround(hz * rtty::Spectrum::Size / TestRateHz));
    for (float v : x)
        if (spectrum.push(v))
            for (std::size_t b = bin - 2; b <= bin + 2; ++b)
                sum += spectrum.power()[b];
    return sum;
}

double largestStep(const std::vector<float> &x)
{
    float most = 0;
    for (std::size_t n = 1; n < x.size(); ++n)
        most = std::max(most, std::fabs(x[n] - x[n - 1]));
    return most;
}

} // namespace

TEST(Channel, TiltPhaseJumpsAndCrashesAreWhatTheySay)
{
    channel::Settings s;
    s.leadSeconds = 0;
    const auto level = channel::transmit("RYRYRYRYRYRYRYRYRYRYRYRYRYRYRY", s);
    s.markDb = -6;
    const auto tilted = channel::transmit("RYRYRYRYRYRYRYRYRYRYRYRYRYRYRY", s);
    const double before = decibels(powerNear(level, 2125) / powerNear(level, 2295));
    const double after = decibels(powerNear(tilted, 2125) / powerNear(tilted, 2295));
    EXPECT_NEAR(after - before, -6, 1);

    // A phase-continuous tone moves at most 2 pi f / fs of its amplitude a sample; a jump more.
    s.markDb = 0;
    const double continuous = largestStep(channel::transmit("RYRYRYRY", s));
    s.phaseJumps = true;
    const double jumping = largestStep(channel::transmit("RYRYRYRY", s));
    const double toneStep = 0.25 * 2 * std::numbers::pi * 2295 / TestRateHz;
    EXPECT_LE(continuous, 1.01 * toneStep);
    EXPECT_GT(jumping, 1.3 * toneStep);

    // Crashes: bursts far above the noise, about as many as asked.
    channel::Settings quiet;
    quiet.snrDb = 0;
    quiet.leadSeconds = 10;
    quiet.impulses = channel::Impulses{3, 35, 10};
    const auto noisy = channel::transmit("", quiet);
    const double sigma = std::sqrt(power(noisy, 0, noisy.size()));
    int bursts = 0;
    for (std::size_t n = 0; n < noisy.size();)
        if (std::fabs(noisy[n]) > 10 * sigma) {
            ++bursts;
            n += std::size_t(0.02 * TestRateHz);
        } else {
            ++n;
        }
    EXPECT_GE(bursts, 40) << "about 60 in 20 s";
    EXPECT_LE(bursts, 80);
}
