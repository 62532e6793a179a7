// The decoder's stages that make it copy weak and fading signals: the framer's flywheel, the
// threshold control under selective fading, the letters shift behind an unsure bit, the
// squelch's judgement of the decoding, and the bench's measure of what is lost at the start.
#include "Afc.h"
#include "Baudot.h"
#include "Channel.h"
#include "CharacterErrorRate.h"
#include "CharacterFramer.h"
#include "DecodeQuality.h"
#include "ReceiveText.h"
#include "Receiver.h"
#include "Spectrum.h"
#include "ThresholdControl.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <random>

using namespace rtty;

namespace {

constexpr double Spb = 30.3; // decision samples a bit at 45.45 baud

// Keying as the one-bit matched filter gives it to the framer: levels of +1 (mark) and -1
// (space), with optional Gaussian noise, through a one-bit moving average.
class Keying {
public:
    void key(bool mark, double bits) { key(mark ? 1.0f : -1.0f, bits); }
    void key(float level, double bits)
    {
        target_ += bits * Spb;
        while (double(raw_.size()) < target_)
            raw_.push_back(level);
    }
    void frame(std::uint8_t code, double stopBits = 1.5)
    {
        key(false, 1);
        for (int k = 0; k < 5; ++k)
            key(((code >> k) & 1) != 0, 1);
        key(true, stopBits);
    }
    std::vector<std::uint8_t> read(float noise = 0, unsigned seed = 1) const
    {
        std::vector<std::uint8_t> codes;
        for (const Frame &f : frames(noise, seed))
            codes.push_back(f.code);
        return codes;
    }
    std::vector<Frame> frames(float noise = 0, unsigned seed = 1) const
    {
        std::mt19937 random(seed);
        std::normal_distribution<float> gauss(0, noise);
        CharacterFramer framer(Spb);
        const auto length = std::size_t(Spb);
        std::vector<Frame> frames;
        float sum = float(length);
        std::vector<float> in(raw_);
        if (noise > 0)
            for (float &v : in)
                v += gauss(random);
        for (std::size_t i = 0; i < in.size(); ++i) {
            sum += in[i] - (i >= length ? in[i - length] : 1.0f);
            if (auto f = framer.push(sum / float(length)))
                frames.push_back(*f);
        }
        return frames;
    }

private:
    std::vector<float> raw_;
    double target_ = 0;
};

const std::vector<std::uint8_t> Text = {0x03, 0x19, 0x01, 0x0c, 0x18, 0x16, 0x12, 0x07,
                                        0x0e, 0x10, 0x0a, 0x1d, 0x15, 0x05, 0x09, 0x11};

} // namespace

TEST(CharacterFramer, FlywheelReadsAStreamThroughAStartBitLostInNoise)
{
    // In the middle of a steady stream one start bit is swamped: it reads a little towards
    // mark, and the code's first bit is mark too, so no crossing marks the frame. By its cadence
    // the frame is read all the same.
    const std::uint8_t markFirst = 0x1d;
    std::vector<std::uint8_t> sent;
    Keying k;
    k.key(true, 5);
    for (std::size_t i = 0; i < Text.size(); ++i) {
        if (i == 8) {
            k.key(0.15f, 1);
            for (int b = 0; b < 5; ++b)
                k.key(((markFirst >> b) & 1) != 0, 1);
            k.key(true, 1.5);
            sent.push_back(markFirst);
        } else {
            k.frame(Text[i]);
            sent.push_back(Text[i]);
        }
    }
    k.key(true, 10);
    EXPECT_EQ(k.read(), sent);
}

TEST(CharacterFramer, FollowsPausesAndSendersWithOtherStopLengths)
{
    // Typed by hand: gaps of any length between characters, idle mark before and after.
    Keying typed;
    typed.key(true, 4);
    std::mt19937 random(3);
    for (auto code : Text) {
        typed.frame(code);
        typed.key(true, double(random() % 100) / 37.0);
    }
    typed.key(true, 20);
    EXPECT_EQ(typed.read(), Text);

    // Machines sending one or two stop bits, steadily.
    for (double stop : {1.0, 2.0}) {
        Keying steady;
        steady.key(true, 4);
        for (int round = 0; round < 4; ++round)
            for (auto code : Text)
                steady.frame(code, stop);
        steady.key(true, 10);
        std::vector<std::uint8_t> expected;
        for (int round = 0; round < 4; ++round)
            expected.insert(expected.end(), Text.begin(), Text.end());
        EXPECT_EQ(steady.read(), expected) << stop << " stop bits";
    }
}

// A sender of 1.5 stop bits whose first character comes a little early (7.2 bits after the one
// before, as a sending machine's clutch may): the stream is still read at 7.5 bits a frame,
// not taken for one of 1 stop bit. Taken for 1 stop bit, the second frame is looked for half
// a bit early, and in noise that costs characters (a framer that does so loses 4 of these 680).
TEST(CharacterFramer, AShortFirstGapDoesNotMakeOneStopBitOfASteadyStream)
{
    for (float noise : {0.7f, 0.9f}) {
        int lost = 0;
        for (unsigned seed = 1; seed <= 40; ++seed) {
            Keying k;
            k.key(true, 4);
            k.frame(Text[0], 1.2);
            std::vector<std::uint8_t> sent = {Text[0]};
            for (auto code : Text) {
                k.frame(code);
                sent.push_back(code);
            }
            k.key(true, 10);
            const auto codes = k.read(noise, seed);
            for (std::size_t i = 0; i < sent.size(); ++i)
                lost += i >= codes.size() || codes[i] != sent[i];
        }
        EXPECT_EQ(lost, 0) << "noise " << noise;
    }
}

TEST(CharacterFramer, NoFramesFromIdleMarkAfterAStream)
{
    Keying k;
    k.key(true, 3);
    for (auto code : Text)
        k.frame(code);
    k.key(true, 200); // the sender stops: the flywheel must not go on reading LTRS from idle
    EXPECT_EQ(k.read(0.3f), Text);
}

TEST(CharacterFramer, ReadsANoisyStreamBetterThanFrameByFrame)
{
    // A long steady stream at a noise level where bits err now and then. Read frame by frame,
    // a start or stop bit read wrong loses its frame and the search for the next one may start
    // inside a character; read by its cadence, only the code bits read wrong are lost.
    Keying k;
    k.key(true, 3);
    std::string sent;
    for (int round = 0; round < 40; ++round)
        for (auto code : Text) {
            k.frame(code);
            sent += char('@' + code);
        }
    k.key(true, 10);
    std::string got;
    for (auto code : k.read(2.8f, 7))
        got += char('@' + code);
    // By cadence about 100 of 640 are lost here, frame by frame about 175.
    EXPECT_LE(cer::editDistance(sent, got), sent.size() / 5);
}

TEST(Baudot, LettersShiftIsRecoveredFromAnUnsureBitOnlyInFigures)
{
    const std::array<float, 5> sure = {1, 1, 1, 1, -1};
    const std::array<float, 5> unsure = {1, 1, 1, 1, -0.1f};
    const std::uint8_t nearLtrs = 0x0f; // LTRS with its last bit lost
    EXPECT_EQ(letterShiftFromUnsureBit(nearLtrs, unsure, true), CodeLtrs);
    EXPECT_EQ(letterShiftFromUnsureBit(nearLtrs, sure, true), nearLtrs);
    EXPECT_EQ(letterShiftFromUnsureBit(nearLtrs, unsure, false), nearLtrs);
    // Two bits from LTRS, both unsure: left alone.
    EXPECT_EQ(letterShiftFromUnsureBit(0x07, {1, 1, 1, -0.1f, -0.1f}, true), 0x07);
    // Only the odd bit counts: another bit unsure does not make a LTRS.
    EXPECT_EQ(letterShiftFromUnsureBit(nearLtrs, {0.1f, 1, 1, 1, -1}, true), nearLtrs);
}

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

TEST(ThresholdControl, ReadsBitsWhenOneToneFadesIntoTheNoise)
{
    // The mark tone faded to a tenth of the space tone: mark minus space cannot tell a mark
    // bit (both envelopes near the noise) from a weak space; the threshold control can.
    std::mt19937 random(9);
    std::normal_distribution<float> gauss(0, 0.08f);
    auto envelope = [&](float amplitude) {
        return std::abs(std::complex<float>(amplitude + gauss(random), gauss(random)));
    };
    ThresholdControl on(Spb), off(Spb);
    off.setEnabled(false);
    int errorsOn = 0, errorsOff = 0, bits = 0;
    std::bernoulli_distribution coin(0.5);
    for (int bit = 0; bit < 3000; ++bit) {
        const bool mark = coin(random);
        float last = 0, lastOff = 0;
        for (int i = 0; i < int(Spb); ++i) {
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

TEST(Receiver, SquelchJudgesTheDecodingNotTheLevel)
{
    // Loud noise alone with the squelch at level 0: nothing printed. A weak but readable
    // signal: printed, all but the first few characters.
    channel::Settings noise;
    noise.snrDb = -60;
    noise.leadSeconds = 60;
    const auto empty = channel::transmit("", noise);
    ReceiverSettings squelched;
    squelched.squelch = true;
    squelched.squelchLevel = 0;
    EXPECT_EQ(receiveText(empty, squelched), "");

    const std::string text = "RYRYRY CQ CQ CQ DE ZZ9ZZZ ZZ9ZZZ PSE K THE QUICK BROWN FOX JUMPS "
                             "OVER THE LAZY DOG 1234567890 TNX FER CALL OM 73 ";
    channel::Settings weak;
    weak.snrDb = -4;
    const std::string copied = receiveText(channel::transmit(text, weak), squelched);
    EXPECT_LE(cer::characterErrorRate(text, copied), 0.10) << copied;
}

TEST(CharacterErrorRate, LeadingLossCountsWhatWasMissedAtTheStart)
{
    const std::string sent = "CQ CQ CQ DE ZZ9ZZZ ZZ9ZZZ PSE K THE QUICK BROWN FOX";
    EXPECT_EQ(cer::leadingLoss(sent, sent), 0u);
    EXPECT_EQ(cer::leadingLoss(sent, "E#3" + sent.substr(6)), 6u);
    EXPECT_EQ(cer::leadingLoss(sent, "cq cq\r\ncq de " + sent.substr(12)), 0u);
    EXPECT_EQ(cer::leadingLoss(sent, "NOTHING ALIKE AT ALL HERE"), cer::fold(sent).size());
}

namespace {

// FSK from a sender whose oscillator starts each bit at a random phase (switched oscillators):
// nothing for a phase-continuous detector to hold on to.
std::vector<float> phaseJumpingFsk(const std::string &text, double snrDb, unsigned seed)
{
    const double fs = 11025, baud = 45.45;
    std::vector<std::pair<bool, int>> bits{{true, 90}}; // tone, length in half bits
    for (auto code : encodeText(text)) {
        bits.emplace_back(false, 2);
        for (int k = 0; k < 5; ++k)
            bits.emplace_back(((code >> k) & 1) != 0, 2);
        bits.emplace_back(true, 3);
    }
    bits.emplace_back(true, 90);
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> phase(0, 2 * std::numbers::pi);
    const double sigma = std::sqrt(0.25 * 0.25 / 2 / std::pow(10, snrDb / 10) * (fs / 2) / 2500);
    std::normal_distribution<double> noise(0, sigma);
    std::vector<float> out;
    int halves = 0;
    for (const auto &[mark, length] : bits) {
        const double hz = mark ? 2125 : 2295, p0 = phase(random);
        const auto from = std::size_t(double(halves) * fs / baud / 2);
        halves += length;
        const auto to = std::size_t(double(halves) * fs / baud / 2);
        for (std::size_t n = from; n < to; ++n)
            out.push_back(float(0.25 * std::cos(2 * std::numbers::pi * hz * double(n) / fs + p0) +
                                noise(random)));
    }
    return out;
}

std::string contact(int words)
{
    const char *pool[] = {"CQ",  "DE",    "ZZ9ZZZ", "599",  "NAME", "QTH", "THE", "QUICK", "BROWN",
                          "FOX", "JUMPS", "OVER",   "LAZY", "DOG",  "TNX", "73",  "1234",  "K"};
    std::mt19937 random(21);
    std::string text;
    for (int i = 0; i < words; ++i)
        text += std::string(pool[random() % std::size(pool)]) + " ";
    return text;
}

} // namespace

TEST(Receiver, WholeFramesCopyASteadySignalBeyondTheBitByBitLimit)
{
    // At -9 dB in 2500 Hz, deciding each bit on its own (even with perfect timing) loses about
    // one character in ten; reading whole frames coherently loses a few in a hundred.
    const std::string text = contact(250);
    channel::Settings s;
    s.snrDb = -9;
    s.seed = 4;
    const std::string got = receiveText(channel::transmit(text, s));
    EXPECT_LE(cer::characterErrorRate(text, got), 0.05) << got;

    // Tuned 3 Hz off (what AFC may leave): the detector measures the error and follows it.
    s.offsetHz = 3;
    const std::string off = receiveText(channel::transmit(text, s));
    EXPECT_LE(cer::characterErrorRate(text, off), 0.05) << off;

    // A sender whose shift is 160 Hz, the space tone 10 Hz off: its own error is followed as
    // well (about 4% here; reading on with the mark tone's error alone, about 17%).
    s.offsetHz = 0;
    s.shiftHz = 160;
    const std::string narrow = receiveText(channel::transmit(text, s));
    EXPECT_LE(cer::characterErrorRate(text, narrow), 0.08) << narrow;
}

TEST(Receiver, SenderWhosePhaseJumpsIsReadBitByBit)
{
    const std::string text = contact(120);
    const std::string got = receiveText(phaseJumpingFsk(text, 0, 5));
    EXPECT_LE(cer::characterErrorRate(text, got), 0.01) << got;
}

TEST(Receiver, LmsFilterTakesASteadyCarrierOutOfThePassband)
{
    // A carrier 10 dB over the signal, 30 Hz from the mark tone: the mark channel reads it as a
    // tone always on. The LMS filter learns it and takes it away; the notch does the same
    // where the operator puts it.
    const std::string text = contact(80);
    channel::Settings s;
    s.snrDb = 20;
    auto audio = channel::transmit(text, s);
    for (std::size_t n = 0; n < audio.size(); ++n)
        audio[n] += float(0.25 * std::sqrt(10.0) *
                          std::sin(2 * std::numbers::pi * 2155 * double(n) / 11025));
    ReceiverSettings plain;
    EXPECT_GT(cer::characterErrorRate(text, receiveText(audio, plain)), 0.2);
    ReceiverSettings lms = plain;
    lms.carrierCanceller = true;
    const std::string cleaned = receiveText(audio, lms);
    EXPECT_LE(cer::characterErrorRate(text, cleaned), 0.02) << cleaned;
    ReceiverSettings notched = plain;
    notched.notch = true;
    notched.notchHz = 2155;
    const std::string notchedText = receiveText(audio, notched);
    EXPECT_LE(cer::characterErrorRate(text, notchedText), 0.02) << notchedText;
}

TEST(Afc, HoldsStillThroughFadesAndOnWideSeventyFiveBaudTones)
{
    // On frequency from the start: whatever the fading and the wider tones do to the spectrum,
    // the tones must stay within a few Hz of the signal's and not swing about it (a swing is a
    // step of more than 3 Hz; following the wobbling peak in full makes a hundred and more).
    struct Wander {
        double worstHz = 0;
        int swings = 0;
    };
    auto wander = [](const channel::Settings &s) {
        Spectrum spectrum(551);
        Afc afc(11025.0 / Spectrum::Size);
        const auto audio = channel::transmit(contact(120), s);
        Afc::Tones tones{2125, 2295};
        Wander w;
        for (float v : audio)
            if (spectrum.push(v)) {
                const Afc::Tones next = afc.update(spectrum.power(), tones);
                w.swings += std::fabs(next.markHz - tones.markHz) > 3;
                tones = next;
                w.worstHz = std::max(w.worstHz, std::fabs(tones.markHz - 2125));
            }
        return w;
    };
    channel::Settings fading;
    fading.snrDb = 10;
    fading.fading = channel::Fading{1, 1};
    fading.seed = 27;
    channel::Settings fast;
    fast.baud = 75;
    fast.seed = 27;
    for (const auto &s : {fading, fast}) {
        const Wander w = wander(s);
        EXPECT_LE(w.worstHz, 7.0) << s.baud << " baud";
        EXPECT_LE(w.swings, 5) << s.baud << " baud";
    }
}
