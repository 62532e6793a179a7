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
    bool trusted = false;           // at the end
};

Reading read(const std::vector<float> &audio)
{
    const double spb = Fs / Decimation / Baud;
    ToneChannel mark(Fs, Decimation, 2125, Baud), space(Fs, Decimation, 2295, Baud);
    ThresholdControl threshold(spb);
    CharacterFramer framer(spb);
    CoherentFrameDetector detector(Fs, Decimation, spb);
    BaudotDecoder coherentText, bitText;
    Reading r;
    for (std::size_t at = 0; at + Decimation <= audio.size(); at += Decimation) {
        const auto m = mark.execute(audio.data() + at);
        const auto s = space.execute(audio.data() + at);
        detector.push(m, s, mark.referencePhase(), space.referencePhase(), mark.step(),
                      space.step());
        if (const auto frame = framer.push(threshold.decide(std::abs(m), std::abs(s)))) {
            if (const auto c = coherentText.decode(detector.detect(frame->start, frame->bit).code))
                r.coherent += *c;
            if (const auto c = bitText.decode(frame->code))
                r.bitByBit += *c;
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
