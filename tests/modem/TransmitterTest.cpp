// The transmitter: the buffer, diddles, stopping, the shift after a stop, and the ramps.
#include "Transmitter.h"

#include "EngineCore.h"
#include "ReceiveText.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

using namespace rtty;

TEST(Transmitter, SendsTheBufferThenDiddlesThenStopsWhenAsked)
{
    Transmitter tx(EngineCore::SampleRateHz, 45.45, 2125, 2295);
    tx.addText("CQ DE ZZ9ZZZ\r");
    tx.addText("AB\b"); // Backspace takes the B back
    tx.start();
    std::vector<float> audio;
    std::vector<float> block(256);
    // Long enough for the text and some diddles.
    for (int i = 0; i < 500; ++i) {
        tx.generate(block.data(), block.size());
        audio.insert(audio.end(), block.begin(), block.end());
    }
    EXPECT_TRUE(tx.transmitting());
    tx.addText("K");
    tx.stopWhenSent();
    while (tx.transmitting()) {
        tx.generate(block.data(), block.size());
        audio.insert(audio.end(), block.begin(), block.end());
        ASSERT_LT(audio.size(), 60 * EngineCore::SampleRateHz);
    }
    EXPECT_EQ(receiveText(audio), "CQ DE ZZ9ZZZ\r\nAK");
    tx.generate(block.data(), block.size());
    EXPECT_EQ(*std::max_element(block.begin(), block.end()), 0.0f);
}

// A diddle is LTRS: the receiver is in letters after it, so a figure typed after an idle
// spell carries FIGS again.
TEST(Transmitter, AFigureAfterDiddlesCarriesItsShift)
{
    Transmitter tx(EngineCore::SampleRateHz, 45.45, 2125, 2295);
    tx.addText("5");
    tx.start();
    std::vector<float> audio, block(256);
    const auto run = [&](double seconds) {
        for (std::size_t n = 0; n < std::size_t(seconds * EngineCore::SampleRateHz);
             n += block.size()) {
            tx.generate(block.data(), block.size());
            audio.insert(audio.end(), block.begin(), block.end());
        }
    };
    run(2.0); // the lead, the 5, then about a dozen diddles
    tx.addText("6");
    tx.stopWhenSent();
    while (tx.transmitting() && audio.size() < 10 * EngineCore::SampleRateHz)
        run(0.1);
    EXPECT_EQ(receiveText(audio), "56");
}

// Stopping at once still falls over the ramp (5 ms, 55 samples), then is silent.
TEST(Transmitter, StopNowEndsWithinTheRampAndDropsTheBuffer)
{
    Transmitter tx(EngineCore::SampleRateHz, 45.45, 2125, 2295);
    tx.addText("A LONG TEXT THAT WILL NOT BE SENT");
    tx.start();
    std::vector<float> block(256);
    tx.generate(block.data(), block.size());
    tx.stopNow();
    EXPECT_EQ(tx.buffered(), 0u);
    tx.generate(block.data(), block.size());
    EXPECT_FALSE(tx.transmitting());
    const std::size_t ramp = std::size_t(Transmitter::RampSeconds * EngineCore::SampleRateHz);
    EXPECT_GT(
        std::fabs(*std::max_element(block.begin(), block.begin() + 5,
                                    [](float a, float b) { return std::fabs(a) < std::fabs(b); })),
        0.4f)
        << "full amplitude when the stop comes";
    for (std::size_t i = ramp - 5; i < block.size(); ++i)
        ASSERT_LT(std::fabs(block[i]), 0.01f) << i;
}

// Stop may drop a shift the encoder counted as sent; whenever it comes, the next transmission's
// first figure still carries FIGS, so a receiver that only hears it reads the figures.
TEST(Transmitter, AfterStopAtAnyMomentTheNextFigureCarriesItsShift)
{
    std::vector<float> block(256);
    for (int stopAfter = 12; stopAfter < 140; stopAfter += 3) { // 0.28 s .. 3.2 s
        Transmitter tx(EngineCore::SampleRateHz, 45.45, 2125, 2295);
        tx.addText("RYRY 599 599 5NN 73 73");
        tx.start();
        for (int i = 0; i < stopAfter; ++i)
            tx.generate(block.data(), block.size());
        tx.stopNow();
        while (tx.transmitting())
            tx.generate(block.data(), block.size());

        tx.addText("73 TU");
        tx.start();
        tx.stopWhenSent();
        std::vector<float> second;
        while (tx.transmitting() && second.size() < 20 * EngineCore::SampleRateHz) {
            tx.generate(block.data(), block.size());
            second.insert(second.end(), block.begin(), block.end());
        }
        EXPECT_EQ(receiveText(second), "73 TU") << "stopped after " << stopAfter << " blocks";
    }
}

// Whatever the band-pass switch, a transmission rises from silence and falls back to it over
// the ramp: no sample-to-sample jump at either end bigger than the tone's own.
TEST(Transmitter, StartsAndEndsWithoutAClick)
{
    for (bool bandpass : {false, true}) {
        Transmitter tx(EngineCore::SampleRateHz, 45.45, 2125, 2295);
        tx.setBandpass(bandpass);
        tx.addText("RY");
        tx.start();
        tx.stopWhenSent();
        std::vector<float> audio(1, 0.0f), block(256);
        while (tx.transmitting() && audio.size() < 10 * EngineCore::SampleRateHz) {
            tx.generate(block.data(), block.size());
            audio.insert(audio.end(), block.begin(), block.end());
        }
        audio.push_back(0.0f);
        const std::size_t first = std::size_t(
            std::find_if(audio.begin(), audio.end(), [](float v) { return v != 0.0f; }) -
            audio.begin());
        const std::size_t last =
            std::size_t(audio.rend() - std::find_if(audio.rbegin(), audio.rend(),
                                                    [](float v) { return std::fabs(v) > 1e-6f; }));
        EXPECT_NEAR(std::fabs(*std::max_element(
                        audio.begin(), audio.end(),
                        [](float a, float b) { return std::fabs(a) < std::fabs(b); })),
                    0.5f, 0.05f)
            << "the band-pass filter leaves the level as it is: " << bandpass;
        // Over the first and last 10 samples the amplitude is still far from the tone's 0.5.
        for (std::size_t i = first; i < first + 10; ++i)
            EXPECT_LT(std::fabs(audio[i]), 0.1f) << "rise, bandpass " << bandpass << " at " << i;
        for (std::size_t i = last - 10; i < last; ++i)
            EXPECT_LT(std::fabs(audio[i]), 0.1f) << "fall, bandpass " << bandpass << " at " << i;
    }
}
