// The threshold control: bits read when one tone fades into the noise.
#include "ThresholdControl.h"

#include "Keying.h"

#include <complex>
#include <gtest/gtest.h>
#include <random>

using namespace rtty;

TEST(ThresholdControl, ReadsBitsWhenOneToneFadesIntoTheNoise)
{
    // The mark tone faded to a tenth of the space tone: mark minus space cannot tell a mark
    // bit (both envelopes near the noise) from a weak space; the threshold control can.
    std::mt19937 random(9);
    std::normal_distribution<float> gauss(0, 0.08f);
    auto envelope = [&](float amplitude) {
        return std::abs(std::complex<float>(amplitude + gauss(random), gauss(random)));
    };
    ThresholdControl on(Keying::Spb), off(Keying::Spb);
    off.setEnabled(false);
    int errorsOn = 0, errorsOff = 0, bits = 0;
    std::bernoulli_distribution coin(0.5);
    for (int bit = 0; bit < 3000; ++bit) {
        const bool mark = coin(random);
        float last = 0, lastOff = 0;
        for (int i = 0; i < int(Keying::Spb); ++i) {
            const float m = envelope(mark ? 0.1f : 0), s = envelope(mark ? 0 : 1.0f);
            last = on.decide(m, s);
            lastOff = off.decide(m, s);
        }
        if (bit < 100)
            continue; // the trackers settle
        ++bits;
        errorsOn += (last > 0) != mark;
        errorsOff += (lastOff > 0) != mark;
    }
    EXPECT_LT(errorsOn, bits / 100);
    EXPECT_GT(errorsOff, bits / 10);
}
