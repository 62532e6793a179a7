// The whole-frame detector, fed as the receiver feeds it (two tone channels, the threshold
// control and the framer placing the frames): it trusts a phase-continuous sender and reads it
// better than bit-by-bit decisions do; a sender whose phase jumps at every bit it does not trust.
#include "CoherentFrameDetector.h"

#include "Baudot.h"
#include "Channel.h"
#include "CharacterErrorRate.h"
#include "CharacterFramer.h"
#include "Keying.h"
#include "ReceiveText.h"
#include "ThresholdControl.h"
#include "ToneChannel.h"

#include <gtest/gtest.h>

using namespace rtty;

namespace {

constexpr double Fs = 11025, Baud = 45.45;
constexpr unsigned Decimation = 8;

struct Reading {
    std::string coherent, bitByBit; // the text each way
    std::string perBit;             // read by the detector's per-bit likelihoods
    std::string local;              // the same with levels taken near each bit
    std::string following;          // the whole frame with each tone's gain let wander
    bool trusted = false;           // at the end
};

// withLevels: the tones' amplitudes and the noise as the threshold control tracks them are
// given to the detector, as the receiver gives them.
Reading read(const std::vector<float> &audio, bool withLevels = true)
{
    const double spb = Fs / Decimation / Baud;
    ToneChannel mark(Fs, Decimation, 2125, Baud), space(Fs, Decimation, 2295, Baud);
    ThresholdControl threshold(spb);
    CharacterFramer framer(spb);
    CoherentFrameDetector detector(Fs, Decimation, spb);
    BaudotDecoder coherentText, bitText, perBitText, localText, followingText;
    Reading r;
    for (std::size_t at = 0; at + Decimation <= audio.size(); at += Decimation) {
        const auto m = mark.execute(audio.data() + at);
        const auto s = space.execute(audio.data() + at);
        const float decision = threshold.decide(std::abs(m), std::abs(s));
        detector.push(m, s, mark.referencePhase(), space.referencePhase(), mark.step(),
                      space.step(),
                      withLevels ? ToneLevels{threshold.markAmplitude(), threshold.spaceAmplitude(),
                                              threshold.noisePower()}
                                 : ToneLevels{});
        if (const auto frame = framer.push(decision)) {
            const auto result = detector.detect(frame->start, frame->bit);
            auto append = [](BaudotDecoder &text, std::uint8_t code, std::string &to) {
                if (const auto c = text.decode(code))
                    to += *c;
            };
            append(coherentText, result.code, r.coherent);
            append(perBitText, codeOf(result.perBit), r.perBit);
            append(localText, codeOf(result.local), r.local);
            append(followingText, codeOf(result.following), r.following);
            append(bitText, frame->code, r.bitByBit);
        }
    }
    r.trusted = detector.trusted();
    return r;
}

} // namespace

TEST(CoherentFrameDetector, TrustsASteadySenderAndReadsItBetterThanBitByBit)
{
    const std::string text = contact(150);
    channel::Settings s;
    s.snrDb = 20;
    const Reading clean = read(channel::transmit(text, s));
    EXPECT_TRUE(clean.trusted);
    EXPECT_EQ(cer::fold(clean.coherent), cer::fold(text));

    s.snrDb = -9; // where deciding bit by bit loses about one character in ten
    s.seed = 4;
    const Reading weak = read(channel::transmit(text, s));
    const double coherent = cer::characterErrorRate(text, weak.coherent);
    const double bitByBit = cer::characterErrorRate(text, weak.bitByBit);
    EXPECT_LT(coherent, 0.6 * bitByBit) << coherent << " against " << bitByBit;
}

// Flutter turns the phase within a frame: loud and clear, the frames still add up to 0.94 or
// so, more than noise ever takes off a signal this strong.
TEST(CoherentFrameDetector, DoesNotTrustAFlutteringSignal)
{
    channel::Settings s;
    s.snrDb = 20;
    s.fading = channel::Fading{10, 0.5};
    s.seed = 30;
    EXPECT_FALSE(read(channel::transmit(contact(100), s)).trusted);
}

TEST(CoherentFrameDetector, DoesNotTrustASenderWhosePhaseJumps)
{
    const Reading jumping = read(phaseJumpingFsk(contact(60), 20, 3));
    EXPECT_FALSE(jumping.trusted);
    EXPECT_EQ(cer::fold(jumping.bitByBit), cer::fold(contact(60)));
}

// A mark tone faded far into the noise (selective fading caught at its deepest): its bits hold
// nothing but noise, as likely to add up with the space tone's bits as with the mark's. Weighed
// by the tones' levels, a code is judged by the space tone's presence or absence alone; so is
// each bit read on its own with the levels the frame shows.
TEST(CoherentFrameDetector, ReadsBySpaceAloneWhenTheMarkToneHasFaded)
{
    const std::string text = contact(120);
    channel::Settings s;
    s.snrDb = 10;
    s.markDb = -30;
    s.seed = 12;
    const auto audio = channel::transmit(text, s);
    const double weighed = cer::characterErrorRate(text, read(audio).coherent);
    const double unweighed = cer::characterErrorRate(text, read(audio, false).coherent);
    EXPECT_LT(weighed, 0.03);
    EXPECT_GT(unweighed, 5 * weighed + 0.05) << weighed;
    EXPECT_LT(cer::characterErrorRate(text, read(audio).perBit), 0.03);
}

// A notch sweeping across the tones (two steady paths of equal strength 1 ms apart, one turning
// against the other once a second) takes each tone wholly for a few bits in turn, and the
// tone's level changes within a frame. Levels taken from the whole frame read a bit in the
// notch by a level the tone no longer has; taken near the bit, and counting a tone whose level
// is little known there for less, the bit is read by the other tone.
TEST(CoherentFrameDetector, ReadsABitInASweepingNotchByTheLevelsNearIt)
{
    const std::string text = contact(600);
    channel::Settings s;
    s.snrDb = 10;
    s.notch = channel::Notch{1, 1};
    s.seed = 44;
    const Reading r = read(channel::transmit(text, s));
    const double local = cer::characterErrorRate(text, r.local);
    const double frame = cer::characterErrorRate(text, r.perBit);
    EXPECT_LT(local, 0.5 * frame) << local << " against " << frame;
    EXPECT_LT(local, 0.03);
}

// Slow selective fading turns each tone's phase and level within a frame, fastest in the deep
// fades where the errors are. The whole-frame sums hold a tone's gain fixed over the frame;
// letting it wander reads each bit against the gain its neighbours show.
TEST(CoherentFrameDetector, FollowsEachTonesGainThroughASlowFade)
{
    const std::string text = contact(1000);
    channel::Settings s;
    s.snrDb = 4;
    s.fading = channel::Fading{1, 1};
    s.seed = 45;
    const Reading r = read(channel::transmit(text, s));
    const double following = cer::characterErrorRate(text, r.following);
    const double held = cer::characterErrorRate(text, r.coherent);
    EXPECT_LT(following, 0.6 * held) << following << " against " << held;
    EXPECT_LT(following, 0.008);
}
