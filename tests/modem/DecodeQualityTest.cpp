// The decode quality the squelch goes by: clear frames open it, noise frames do not.
#include "DecodeQuality.h"

#include <array>
#include <gtest/gtest.h>
#include <random>

using namespace rtty;

TEST(DecodeQuality, ClearFramesOpenAndNoiseFramesDoNot)
{
    DecodeQuality clean, noise;
    EXPECT_FALSE(clean.good()); // nothing read yet
    std::mt19937 random(5);
    std::normal_distribution<float> gauss(0, 1);
    std::normal_distribution<float> weak(1, 0.35f); // a signal near the weakest worth reading
    int openedAfter = -1;
    bool noiseOpened = false;
    for (int frame = 0; frame < 4000; ++frame) {
        std::array<float, 5> bits{}, noisy{};
        for (std::size_t b = 0; b < 5; ++b) {
            bits[b] = (b % 2 ? -1.0f : 1.0f) * weak(random);
            noisy[b] = gauss(random) * 1.25f; // of mean size about 1, as the framer scales it
        }
        clean.push(bits);
        noise.push(noisy);
        if (openedAfter < 0 && clean.good())
            openedAfter = frame;
        noiseOpened = noiseOpened || noise.good();
    }
    EXPECT_GE(openedAfter, 1);
    EXPECT_LE(openedAfter, 12);
    EXPECT_TRUE(clean.good());
    EXPECT_FALSE(noiseOpened);
}
