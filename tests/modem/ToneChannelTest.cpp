// One tone's channel: its envelope on its tone, the other tone of the pair kept out by the bit
// filter, and the decimator's stop band (what would fold onto the tone after decimation).
#include "ToneChannel.h"

#include "Tones.h"

#include <complex>
#include <gtest/gtest.h>

using rtty::ToneChannel;

namespace {

constexpr unsigned Decimation = 8;

// The channel's output magnitude for a steady tone, once it has settled.
double envelope(double channelHz, double toneHz)
{
    ToneChannel channel(TestRateHz, Decimation, channelHz, 45.45);
    const std::vector<float> in = sine(toneHz, 1);
    double level = 0;
    for (std::size_t at = 0; at + Decimation <= in.size(); at += Decimation)
        level = std::abs(channel.execute(in.data() + at));
    return level;
}

} // namespace

TEST(ToneChannel, PassesItsToneAndKeepsOutTheOtherToneAndWhatFoldsOntoIt)
{
    const double on = envelope(2125, 2125);
    EXPECT_GT(on, 0);
    // The pair's other tone, 170 Hz away: the one-bit sum puts it 20 dB down or more.
    EXPECT_LT(20 * std::log10(envelope(2125, 2295) / on), -20);
    // A tone one decimated sample rate away folds onto 0 Hz after decimation: only the
    // decimator keeps it out, by its stop band (60 dB by design; 55 dB measured as the floor).
    const double folding = TestRateHz / Decimation;
    for (double hz : {2125 + folding, 2125 - folding})
        EXPECT_LT(20 * std::log10(envelope(2125, hz) / on), -55) << hz;
}
