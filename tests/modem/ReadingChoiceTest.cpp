// The choice of reading per frame: a fade is told by the level against the signal's own level
// lately, not by a level as such, and a reading of many frames' standing is not overturned by
// one frame's per-bit likelihoods outside a fade.
#include "ReadingChoice.h"

#include <gtest/gtest.h>

using namespace rtty;

namespace {

// The framer's bits read the code one bit away from LTRS.
Frame frameSureOfSpace()
{
    Frame f;
    f.code = 0x1e;
    f.bits = {-1, 1, 1, 1, 1};
    return f;
}

// The coherent reader says LTRS; read with the gains let wander, and bit by bit, the frame's
// first bit is space.
CoherentFrameDetector::Result coherentUnsure()
{
    CoherentFrameDetector::Result r;
    r.code = 0x1f;
    r.following = {-25, 60, 60, 60, 60};
    r.perBit = {-30, 20, 20, 20, 20};
    r.local = r.perBit;
    return r;
}

} // namespace

TEST(ReadingChoice, AFadeIsAFallFromTheSignalsOwnLevel)
{
    ReadingChoice weak;
    for (int i = 0; i < 100; ++i) // a steady weak signal is no fade, however weak
        EXPECT_EQ(weak.choose(frameSureOfSpace(), coherentUnsure(), true, 0.2, {0.05f, 0.05f}),
                  0x1f);
    EXPECT_EQ(weak.lastReading(), ReadingChoice::Reading::Coherent);

    ReadingChoice fading;
    for (int i = 0; i < 100; ++i)
        fading.choose(frameSureOfSpace(), coherentUnsure(), true, 0.2, {1, 1});
    // A quarter of the level of the last frames: the reading that lets the gains wander.
    EXPECT_EQ(fading.choose(frameSureOfSpace(), coherentUnsure(), true, 0.2, {0.25f, 0.25f}), 0x1e);
    EXPECT_EQ(fading.lastReading(), ReadingChoice::Reading::Following);
    // Not trusted in the fade: the same, where the coherent and per-bit readings disagree and
    // where they agree, unless the frames lately were far from coherent (flutter): then the
    // framer's bit by bit.
    CoherentFrameDetector::Result disagreeing = coherentUnsure();
    disagreeing.perBit = {30, -20, 20, 20, 20};
    disagreeing.following = {-25, -20, 60, 60, 60};
    EXPECT_EQ(fading.choose(frameSureOfSpace(), disagreeing, false, 0.2, {0.25f, 0.25f}), 0x1c);
    EXPECT_EQ(fading.lastReading(), ReadingChoice::Reading::Following);
    CoherentFrameDetector::Result agreeing = coherentUnsure();
    agreeing.perBit = {30, 20, 20, 20, 20};
    EXPECT_EQ(fading.choose(frameSureOfSpace(), agreeing, false, 0.2, {0.25f, 0.25f}), 0x1e);
    EXPECT_EQ(fading.lastReading(), ReadingChoice::Reading::Following);
    Frame fluttering = frameSureOfSpace();
    fluttering.code = 0x0e;
    EXPECT_EQ(fading.choose(fluttering, coherentUnsure(), false, 2.5, {0.25f, 0.25f}), 0x0e);
    EXPECT_EQ(fading.lastReading(), ReadingChoice::Reading::BitByBit);
}

TEST(ReadingChoice, TwoReadingsThatAgreeOutweighTheFramersOutsideAFade)
{
    ReadingChoice choice;
    Frame f = frameSureOfSpace();
    f.code = 0x0e; // the framer's bits disagree with both
    CoherentFrameDetector::Result r = coherentUnsure();
    r.code = 0x1e;
    EXPECT_EQ(choice.choose(f, r, false, 0.5, {1, 1}), 0x1e);
    EXPECT_EQ(choice.lastReading(), ReadingChoice::Reading::Agreed);
}

// Frames further short of coherence than slow fading leaves them, but not as far as flutter,
// with one tone well under the other: a notch sweeping across the tones. The reading with
// levels taken near each bit stands; with the tones level, or further from coherence, the
// framer's.
TEST(ReadingChoice, ANotchIsReadWithTheLevelsNearEachBit)
{
    Frame framer = frameSureOfSpace();
    framer.code = 0x0e;
    CoherentFrameDetector::Result r = coherentUnsure();
    r.perBit = {30, 20, 20, 20, 20}; // the frame's own levels: LTRS, as the coherent reader
    ReadingChoice choice;
    for (int i = 0; i < 100; ++i)
        choice.choose(framer, r, false, 2.0, {1, 1});
    EXPECT_EQ(choice.choose(framer, r, false, 2.0, {1, 0.2f}), 0x1e);
    EXPECT_EQ(choice.lastReading(), ReadingChoice::Reading::Local);
    EXPECT_EQ(choice.choose(framer, r, false, 2.0, {0.2f, 1}), 0x1e);
    EXPECT_EQ(choice.choose(framer, r, false, 2.0, {1, 0.8f}), 0x0e);
    EXPECT_EQ(choice.lastReading(), ReadingChoice::Reading::BitByBit);
    EXPECT_EQ(choice.choose(framer, r, false, 2.5, {1, 0.2f}), 0x0e);
    EXPECT_EQ(choice.lastReading(), ReadingChoice::Reading::BitByBit);
}

// A fade may take one tone and spare the other (a selective fade, a notch sweeping across the
// tones): either tone's fall from its own level lately is a fade too, on a signal clear of the
// noise. Not trusted, only a deep one is: noise on a sender whose phase jumps (not coherent,
// though not far from it) makes shallow ones, and its frames are read bit by bit.
TEST(ReadingChoice, OneTonesFadeIsAFadeOnASignalClearOfTheNoise)
{
    const auto trained = [](float noise) {
        ReadingChoice choice;
        for (int i = 0; i < 100; ++i)
            choice.choose(frameSureOfSpace(), coherentUnsure(), true, 0.2, {1, 1, noise});
        return choice;
    };
    ReadingChoice clear = trained(0.01f);
    EXPECT_EQ(clear.choose(frameSureOfSpace(), coherentUnsure(), true, 0.2, {1, 0.7f, 0.01f}),
              0x1e);
    EXPECT_EQ(clear.lastReading(), ReadingChoice::Reading::Following);
    EXPECT_TRUE(trained(0.01f).fadeAt({0.7f, 1, 0.01f}));

    // The same levels on a signal near the noise: the coherent reading holds.
    ReadingChoice noisy = trained(0.1f);
    EXPECT_FALSE(noisy.fadeAt({1, 0.7f, 0.1f}));
    EXPECT_EQ(noisy.choose(frameSureOfSpace(), coherentUnsure(), true, 0.2, {1, 0.7f, 0.1f}), 0x1f);
    EXPECT_EQ(noisy.lastReading(), ReadingChoice::Reading::Coherent);

    CoherentFrameDetector::Result disagreeing = coherentUnsure();
    disagreeing.perBit = {30, -20, 20, 20, 20};
    Frame framer = frameSureOfSpace();
    framer.code = 0x0e;
    ReadingChoice jumping = trained(0.01f);
    EXPECT_EQ(jumping.choose(framer, disagreeing, false, 0.9, {1, 0.7f, 0.01f}), 0x0e);
    EXPECT_EQ(jumping.lastReading(), ReadingChoice::Reading::BitByBit);
    EXPECT_EQ(jumping.choose(framer, disagreeing, false, 0.9, {1, 0.3f, 0.01f}), 0x1e);
    EXPECT_EQ(jumping.lastReading(), ReadingChoice::Reading::Following);
}
