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

// After reset it is as new: what it measured before says nothing of the next signal (the
// receiver resets it for each over and each reread), so clean frames before it neither open
// it at once nor change how soon it opens again.
TEST(DecodeQuality, AfterResetItIsAsNew)
{
    std::mt19937 random(9);
    std::normal_distribution<float> weak(1, 0.35f);
    std::normal_distribution<float> gauss(0, 1);
    auto frame = [&](bool signal) {
        std::array<float, 5> bits{};
        for (std::size_t b = 0; b < 5; ++b)
            bits[b] = signal ? (b % 2 ? -1.0f : 1.0f) * weak(random) : gauss(random) * 1.25f;
        return bits;
    };
    DecodeQuality used, fresh;
    for (int i = 0; i < 200; ++i)
        used.push(frame(true));
    ASSERT_TRUE(used.good());
    used.reset();
    EXPECT_FALSE(used.good()) << "nothing read since the reset";
    EXPECT_EQ(used.ratio(), 0.0);
    EXPECT_EQ(used.quickRatio(), 0.0);
    // The same frames from here on: the same measure, frame by frame, noise then a signal.
    for (int i = 0; i < 40; ++i) {
        const auto bits = frame(i >= 10);
        used.push(bits);
        fresh.push(bits);
        ASSERT_EQ(used.good(), fresh.good()) << "frame " << i;
        ASSERT_DOUBLE_EQ(used.ratio(), fresh.ratio()) << "frame " << i;
        ASSERT_DOUBLE_EQ(used.quickRatio(), fresh.quickRatio()) << "frame " << i;
    }
    EXPECT_TRUE(used.good());
}
