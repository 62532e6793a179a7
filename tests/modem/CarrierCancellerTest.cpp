// The LMS filter: how long a steady carrier takes to go, and what it leaves of keyed tones.
#include "CarrierCanceller.h"

#include "Channel.h"
#include "Tones.h"

#include <gtest/gtest.h>

using rtty::CarrierCanceller;

TEST(CarrierCanceller, CancelsASteadyCarrierInAboutItsConvergenceTime)
{
    for (double hz : {800.0, 2155.0}) {
        const std::vector<float> in = sine(hz, 4);
        CarrierCanceller canceller;
        std::vector<float> out(in.size());
        for (std::size_t n = 0; n < in.size(); ++n)
            out[n] = canceller.execute(in[n]);
        // The convergence time, measured: the first 25 ms window 20 dB down on the input.
        const std::size_t window = std::size_t(0.025 * TestRateHz);
        std::size_t converged = 0;
        while (converged + window <= out.size() &&
               power(out, converged, converged + window) > 0.01 * power(in, 0, window))
            converged += window;
        const double seconds = double(converged) / TestRateHz;
        EXPECT_GT(seconds, 0.5 * CarrierCanceller::ConvergenceSeconds) << hz;
        EXPECT_LE(seconds, CarrierCanceller::ConvergenceSeconds) << hz;
        // Later on, gone for good: 30 dB down over the last second.
        EXPECT_LT(decibels(power(out, out.size() - std::size_t(TestRateHz), out.size()) /
                           power(in, 0, in.size())),
                  -30)
            << hz;
    }
}

// Both tones come out about 5 dB weaker; the receive chain's own test shows that they are read.
TEST(CarrierCanceller, TakesNoMoreThanAFewDecibelsOfKeyedTones)
{
    channel::Settings s;
    s.leadSeconds = 0.2;
    const auto keyed = channel::transmit("RYRY THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG", s);
    CarrierCanceller canceller;
    std::vector<float> out(keyed.size());
    for (std::size_t n = 0; n < keyed.size(); ++n)
        out[n] = canceller.execute(keyed[n]);
    const std::size_t from = std::size_t(TestRateHz); // after the filter's first second
    EXPECT_GT(decibels(power(out, from, out.size()) / power(keyed, from, keyed.size())), -7);
}
