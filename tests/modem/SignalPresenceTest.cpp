// Signal presence: noise alone is judged noise, a keyed signal a signal from its first frame,
// a frame that noise began and a sender's mark or first start bit ended is no character, a splash
// on one tone is no signal, a deep fade is not the end of an over, and the over's level is told
// from its frames. The stage is fed tone-channel magnitudes made here bit by bit: each tone of the
// strength asked (its power over the noise's in one channel, per bit) where the sender keys it, in
// complex Gaussian noise of unit per-component variance.
#include "SignalPresence.h"

#include <cmath>
#include <complex>
#include <gtest/gtest.h>
#include <random>
#include <vector>

using rtty::SignalPresence;

namespace {

constexpr double SamplesPerBit = 30; // about 11025 / 8 / 45.45, whole for bits to end on samples
constexpr int Bits = 8;              // start, 5 code bits, 1.5 stop bits and a half bit of lead

// Feeds the stage sample by sample and, for each frame it is shown, where the frame lies.
class Line {
public:
    explicit Line(unsigned seed) : random_(seed) {}

    SignalPresence presence{SamplesPerBit};

    // So many bits of one steady state: each tone's amplitude (0: noise alone there).
    void bits(double count, double markDb, double spaceDb, bool markKeyed)
    {
        const double mark = markKeyed ? amplitude(markDb) : 0;
        const double space = markKeyed ? 0 : amplitude(spaceDb);
        clock_ += count * SamplesPerBit;
        const auto samples = (long long)std::floor(clock_) - at_;
        for (long long i = 0; i < samples; ++i) {
            presence.push(float(std::abs(mark + noise())), float(std::abs(space + noise())),
                          float(std::abs(noise())));
            ++at_;
        }
    }
    // Noise alone for so many bits.
    void noiseFor(double count) { bits(count, -100, -100, true); }
    // Steady mark (a sender's lead) for so many bits.
    void mark(double count, double db) { bits(count, db, db, true); }
    // One frame of `code` keyed at these strengths, shown to the stage once it is whole; what
    // the stage makes of it.
    SignalPresence::FrameEvidence frame(std::uint8_t code, double markDb, double spaceDb)
    {
        // The filtered crossing, half a bit after the start bit begins; the bit's last sample
        // stands for it, as a matched filter's output at a bit's end does.
        const double start = clock_ + 0.5 * SamplesPerBit - 1;
        bits(1, markDb, spaceDb, false);
        for (int b = 0; b < 5; ++b)
            bits(1, markDb, spaceDb, ((code >> b) & 1) != 0);
        bits(1.5, markDb, spaceDb, true);
        bits(1, markDb, spaceDb, true); // until the framer has it
        return presence.frame(start, SamplesPerBit, code);
    }
    // A frame the framer found in noise, read as `code`: the tones it takes stand no higher than
    // the noise, each bit's leading tone being the stronger of two noises.
    SignalPresence::FrameEvidence noiseFrame(std::uint8_t code)
    {
        const double start = clock_ + 0.5 * SamplesPerBit - 1;
        noiseFor(Bits);
        return presence.frame(start, SamplesPerBit, code);
    }
    double now() const { return clock_; }
    std::uint8_t anyCode() { return std::uint8_t(random_() % 32); }

private:
    static double amplitude(double db)
    {
        return db < -90 ? 0 : std::sqrt(2 * std::pow(10, db / 10));
    }
    std::complex<double> noise() { return {gauss_(random_), gauss_(random_)}; }

    std::mt19937 random_;
    std::normal_distribution<double> gauss_{0, 1};
    long long at_ = 0;
    double clock_ = 0;
};

} // namespace

TEST(SignalPresence, NoiseAloneIsNoiseAndAKeyedSignalIsASignalFromItsFirstFrame)
{
    Line line(1);
    line.noiseFor(40);
    int leaning = 0;
    for (int i = 0; i < 2000; ++i) {
        line.noiseFrame(line.anyCode());
        leaning += line.presence.present();
        line.noiseFor(i % 3);
    }
    EXPECT_EQ(leaning, 0) << "frames of noise taken for a signal";
    EXPECT_LE(line.presence.logOdds(), -SignalPresence::DecidedLogOdds);
    // 10 dB per bit is about -7 dB in 2500 Hz at 45.45 baud: its first frame decides.
    const auto first = line.frame(0x0a, 10, 10);
    EXPECT_GT(first.signal, 2 * SignalPresence::DecidedLogOdds);
    EXPECT_GE(line.presence.logOdds(), SignalPresence::DecidedLogOdds);
    EXPECT_EQ(line.presence.overs(), 1u);
    EXPECT_GT(first.character, 0);
    // The noise was measured where the line was noise: unit per-component variance.
    EXPECT_NEAR(line.presence.noiseVariance(), 1.0, 0.15);
}

TEST(SignalPresence, AWeakSignalIsFoundWithinAFewFrames)
{
    // 5.4 dB per bit: -12 dB in 2500 Hz, where a third of the characters are lost, under the
    // strength a new signal is taken to have: its frames move the odds less, and both tones
    // must show. Within two seconds, on twenty signals.
    int worst = 0, sum = 0;
    for (unsigned seed = 1; seed <= 20; ++seed) {
        Line line(seed);
        line.noiseFor(200);
        int frames = 0;
        while (line.presence.logOdds() < SignalPresence::DecidedLogOdds && frames < 40) {
            line.frame(line.anyCode(), 5.4, 5.4);
            ++frames;
        }
        worst = std::max(worst, frames);
        sum += frames;
    }
    EXPECT_LE(worst, 12);
    EXPECT_LE(sum, 20 * 5);
}

TEST(SignalPresence, AFrameNoiseBeganAndASendersMarkEndedIsNoCharacter)
{
    Line line(2);
    line.noiseFor(200);
    // The framer found a crossing in the noise; the sender's lead began three bits into it.
    const double start = line.now() + 0.5 * SamplesPerBit - 1;
    line.noiseFor(3);
    line.mark(12, 20);
    const auto straddle = line.presence.frame(start, SamplesPerBit, 0x1c); // bits 3, 4 mark
    EXPECT_LT(straddle.character, 0);
    // His first character after the lead is one.
    EXPECT_GT(line.frame(0x1f, 20, 20).character, 0);
    EXPECT_GT(line.frame(0x0a, 20, 20).character, 0);
}

TEST(SignalPresence, AFrameBegunInTheNoiseBeforeASendersFirstStartBitIsNoCharacter)
{
    // A sender who starts keying with no lead: the framer found a crossing in the noise two
    // bits before his first start bit, and read his start bit and LTRS from its third bit on.
    Line line(12);
    line.noiseFor(200);
    const double start = line.now() + 0.5 * SamplesPerBit - 1;
    line.noiseFor(2);
    line.bits(1, 20, 20, false); // his start bit
    line.mark(7.5, 20);          // LTRS and its stop bits
    const auto straddle = line.presence.frame(start, SamplesPerBit, 0x1c);
    EXPECT_LT(straddle.character, 0);
    EXPECT_GT(line.frame(0x0a, 20, 20).character, 0);

    // Within an over the same frame is a deep fade's: the sender's, a character.
    for (int i = 0; i < 20; ++i)
        line.frame(line.anyCode(), 20, 20);
    const double inFade = line.now() + 0.5 * SamplesPerBit - 1;
    line.noiseFor(2);
    line.bits(1, 20, 20, false);
    line.mark(7.5, 20);
    EXPECT_GT(line.presence.frame(inFade, SamplesPerBit, 0x1c).character, 0);
}

TEST(SignalPresence, ASplashOnOneToneIsNoSignal)
{
    // A neighbour's keying splashes over one of the tuned tones: frames of it show that tone
    // at 15 dB and the other not at all.
    Line line(3);
    line.noiseFor(200);
    int present = 0;
    for (int i = 0; i < 300; ++i) {
        line.frame(line.anyCode(), -100, 15);
        present += line.presence.present();
    }
    EXPECT_EQ(present, 0);
}

TEST(SignalPresence, ADeepFadeIsNoEndOfTheOverAndAGapIs)
{
    Line line(4);
    line.noiseFor(200);
    for (int i = 0; i < 20; ++i)
        line.frame(line.anyCode(), 15, 15);
    ASSERT_EQ(line.presence.overs(), 1u);
    // Two frames faded into the noise, then the sender again: the same over.
    for (int i = 0; i < 2; ++i)
        line.frame(line.anyCode(), -100, -100);
    EXPECT_TRUE(line.presence.inOver());
    for (int i = 0; i < 10; ++i)
        line.frame(line.anyCode(), 15, 15);
    EXPECT_EQ(line.presence.overs(), 1u);
    EXPECT_GE(line.presence.logOdds(), SignalPresence::DecidedLogOdds);
    // He stops: within two frames of noise the line is noise; after a gap of two seconds
    // another over begins.
    line.mark(4, 15);
    line.noiseFrame(line.anyCode());
    line.noiseFrame(line.anyCode());
    EXPECT_LE(line.presence.logOdds(), -SignalPresence::DecidedLogOdds);
    line.noiseFor(100);
    EXPECT_FALSE(line.presence.inOver());
    line.mark(14, 15);
    line.frame(0x1f, 15, 15);
    EXPECT_EQ(line.presence.overs(), 2u);
}

TEST(SignalPresence, TheOversLevelIsToldFromItsFrames)
{
    Line line(5);
    line.noiseFor(200);
    EXPECT_EQ(line.presence.levelProbability(0), 0) << "nothing shown yet";
    for (int i = 0; i < 8; ++i)
        line.frame(line.anyCode(), 15, 15);
    EXPECT_GT(line.presence.levelProbability(7.8), 0.99);
    EXPECT_LT(line.presence.levelProbability(22), 0.01);
    EXPECT_NEAR(line.presence.levelDb(), 15, 2.5);
    // A signal under the level asked is judged under it.
    Line weak(6);
    weak.noiseFor(200);
    for (int i = 0; i < 8; ++i)
        weak.frame(weak.anyCode(), 6, 6);
    EXPECT_LT(weak.presence.levelProbability(12), 0.01);
}

TEST(SignalPresence, AResetForgetsTheSignalAndARestartKeepsTheNoise)
{
    Line line(7);
    line.noiseFor(200);
    for (int i = 0; i < 10; ++i)
        line.frame(line.anyCode(), 15, 15);
    ASSERT_TRUE(line.presence.present());
    line.presence.restart();
    EXPECT_FALSE(line.presence.present());
    EXPECT_NEAR(line.presence.noiseVariance(), 1.0, 0.15);
    line.presence.reset();
    EXPECT_FALSE(line.presence.present());
    EXPECT_EQ(line.presence.noiseVariance(), 0);
    EXPECT_EQ(line.presence.levelProbability(0), 0);
}
