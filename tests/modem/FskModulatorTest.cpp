// The FSK modulator: phase-continuous keying that stays on its two tones.
#include "FskModulator.h"

#include "Baudot.h"
#include "Spectrum.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

using namespace rtty;

TEST(FskModulator, IsPhaseContinuousAndStaysOnItsTones)
{
    FskModulator m(11025, 45.45, 2125, 2295, 0.5f);
    for (std::uint8_t code : encodeText("RYRYRY"))
        m.queueCode(code);
    std::vector<float> out(20000);
    m.generate(out.data(), out.size());
    // No jump bigger than a 2300 Hz sine can make in one sample.
    const float maxStep = 0.5f * float(2 * std::numbers::pi * 2300 / 11025) * 1.01f;
    for (std::size_t i = 1; i < out.size(); ++i)
        ASSERT_LE(std::fabs(out[i] - out[i - 1]), maxStep) << i;
    // Nearly all power within the two tones' band.
    Spectrum spectrum(2048);
    for (std::size_t i = 0; i < 4096; ++i)
        spectrum.push(out[4000 + i]);
    double inside = 0, all = 0;
    for (std::size_t i = 0; i < Spectrum::Bins; ++i) {
        const double hz = double(i) * 11025 / Spectrum::Size;
        all += spectrum.power()[i];
        if (hz > 1950 && hz < 2470)
            inside += spectrum.power()[i];
    }
    EXPECT_GT(inside / all, 0.99);
}
