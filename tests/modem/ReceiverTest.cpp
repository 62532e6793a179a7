// The receive chain against the channel simulator: text in, text out. Each bound on what may
// be lost is derived: from the ideal non-coherent FSK limit at the test's SNR (a receiver that
// decides each bit on its own can do no better), from the characters a receiver misses while
// it settles on a new signal, or from how long a filter takes to learn what it removes.
#include "Receiver.h"

#include "CarrierCanceller.h"
#include "Channel.h"
#include "CharacterErrorRate.h"
#include "Keying.h"
#include "ReceiveText.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <string>

using namespace rtty;

namespace {

const std::string Contact =
    "CQ CQ CQ DE ZZ9ZZZ ZZ9ZZZ PSE K\r\n"
    "ZZ9ZZZ DE W1AW W1AW GA OM UR RST 599 599 NAME JOHN QTH NEWINGTON CT\r\n"
    "THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 0123456789 -?:()$'.,/\r\n";

// A character at 45.45 baud with 1.5 stop bits.
constexpr double CharacterSeconds = 7.5 / 45.45;
// What a receiver may miss of a new signal before its timing and its tones hold: the first
// character or two, as the bench's leading loss counts them.
constexpr double SettleCharacters = 2;

// The share of text that `characters` lost characters make.
double share(double characters, const std::string &text)
{
    return characters / double(cer::fold(text).size());
}

// Reading whole frames coherently, the receiver loses at most this share of what the ideal
// bit-by-bit receiver loses at the same SNR (coherent FSK is about 1 dB better, which at a
// character error rate of 10% halves it).
constexpr double CoherentShareOfLimit = 0.5;

// The squelch opens on the decoding, within a dozen frames of a weak signal (the decode
// quality's own test); what comes before is not printed.
constexpr double SquelchOpenCharacters = 12;

// A signal read with ATC on (which forces the per-bit likelihood reading) and with the
// switches as after START.
struct BothWays {
    double atcOn = 0;     // its character error rate with ATC on
    std::string read;     // the text as after START
    double asStarted = 0; // its character error rate
};

BothWays readBothWays(const std::string &text, const std::vector<float> &audio)
{
    ReceiverSettings atc;
    atc.atc = true;
    BothWays r;
    r.atcOn = cer::characterErrorRate(text, receiveText(audio, atc));
    r.read = receiveText(audio);
    r.asStarted = cer::characterErrorRate(text, r.read);
    return r;
}

} // namespace

TEST(Receiver, CleanSignalDecodesExactly)
{
    channel::Settings clean;
    const std::string text = receiveText(channel::transmit(Contact, clean));
    EXPECT_EQ(cer::fold(text), cer::fold(Contact)) << text;
}

// From 10 dB down to 0 dB in white noise: the ideal limit (no loss to speak of) and what any
// new signal costs.
TEST(Receiver, TenToZeroDbSnrDecodesAlmostEverything)
{
    const std::string sent = Contact + Contact;
    for (double snr : {10.0, 0.0}) {
        channel::Settings s;
        s.snrDb = snr;
        const std::string text = receiveText(channel::transmit(sent, s));
        EXPECT_LE(cer::characterErrorRate(sent, text),
                  cer::idealCer(snr) + share(SettleCharacters, sent))
            << snr << " dB: " << text;
    }
}

TEST(Receiver, ReverseAndSeventyFiveBaud)
{
    channel::Settings s;
    s.snrDb = 15;
    s.reverse = true;
    ReceiverSettings reversed;
    reversed.reverse = true;
    EXPECT_EQ(receiveText(channel::transmit("RYRY DE ZZ9ZZZ", s), reversed), "RYRY DE ZZ9ZZZ");
    s.reverse = false;
    s.baud = 75;
    ReceiverSettings fast;
    fast.baud = 75;
    EXPECT_EQ(receiveText(channel::transmit("RYRY DE ZZ9ZZZ", s), fast), "RYRY DE ZZ9ZZZ");
}

TEST(Receiver, NotchRemovesACarrierOnTheMarkSideBand)
{
    channel::Settings s;
    s.snrDb = 20;
    std::vector<float> audio = channel::transmit("RYRYRY THE QUICK BROWN FOX 1234567890", s);
    // A strong carrier 80 Hz below the mark, four times the signal's amplitude.
    for (std::size_t n = 0; n < audio.size(); ++n)
        audio[n] += 1.0f * float(std::sin(2 * std::numbers::pi * 2045 * double(n) / 11025));
    ReceiverSettings notched;
    notched.notch = true;
    notched.notchHz = 2045;
    EXPECT_EQ(receiveText(audio, notched), "RYRYRY THE QUICK BROWN FOX 1234567890");
}

TEST(Receiver, SquelchKeepsNoiseOffTheScreen)
{
    channel::Settings s;
    s.snrDb = -100; // practically nothing but noise
    std::vector<float> noise = channel::transmit(std::string(40, ' '), s);
    ReceiverSettings squelched;
    squelched.squelch = true;
    squelched.squelchLevel = 600;
    EXPECT_EQ(receiveText(noise, squelched), "");
    EXPECT_FALSE(receiveText(noise).empty()); // without it noise prints
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
    EXPECT_LE(cer::characterErrorRate(text, copied),
              cer::idealCer(-4) + share(SquelchOpenCharacters, text))
        << copied;
}

// Senders whose frames do not add up coherently, so that the frame reader never trusts them:
// one whose tones come from two free-running oscillators (a new phase at every change), and
// one 4% fast. The squelch opens on whether a signal is there, not on how it is read.
namespace {

std::vector<std::pair<std::string, std::vector<float>>> untrustedSenders(const std::string &text)
{
    channel::Settings jumps;
    jumps.snrDb = 10;
    jumps.phaseJumps = true;
    jumps.seed = 3;
    channel::Settings fast;
    fast.snrDb = 10;
    fast.baud = 45.45 * 1.04;
    fast.seed = 4;
    return {{"phase jumps", channel::transmit(text, jumps)},
            {"4% fast", channel::transmit(text, fast)}};
}

} // namespace

TEST(Receiver, TheSquelchOpensOnASenderTheFrameReaderDoesNotTrust)
{
    ReceiverSettings squelched;
    squelched.squelch = true;
    squelched.squelchLevel = 200;
    for (const auto &[what, audio] : untrustedSenders(Contact)) {
        const std::string open = receiveText(audio);
        const std::string copied = receiveText(audio, squelched);
        EXPECT_LE(cer::characterErrorRate(Contact, open), 0.02) << what << ": " << open;
        EXPECT_LE(cer::characterErrorRate(Contact, copied), 0.02) << what << ": " << copied;
    }
}

TEST(Receiver, WholeFramesCopyASteadySignalBeyondTheBitByBitLimit)
{
    // At -9 dB in 2500 Hz, deciding each bit on its own (even with perfect timing) loses about
    // one character in ten; reading whole frames coherently loses a few in a hundred.
    const std::string text = contact(250);
    channel::Settings s;
    s.snrDb = -9;
    s.seed = 4;
    const std::string got = receiveText(channel::transmit(text, s));
    EXPECT_LE(cer::characterErrorRate(text, got), CoherentShareOfLimit * cer::idealCer(-9)) << got;

    // Tuned 3 Hz off (what AFC may leave): the detector measures the error and follows it.
    s.offsetHz = 3;
    const std::string off = receiveText(channel::transmit(text, s));
    EXPECT_LE(cer::characterErrorRate(text, off), CoherentShareOfLimit * cer::idealCer(-9)) << off;

    // A sender whose shift is 160 Hz, the space tone 10 Hz off: its own error is followed as
    // well (about 4% here; reading on with the mark tone's error alone, about 17%).
    s.offsetHz = 0;
    s.shiftHz = 160;
    const std::string narrow = receiveText(channel::transmit(text, s));
    EXPECT_LE(cer::characterErrorRate(text, narrow), CoherentShareOfLimit * cer::idealCer(-9))
        << narrow;
}

// Flutter (two paths, a 10 Hz Doppler spread) turns the phase within each frame: read bit by bit
// with the switches as after START, no worse than with ATC on, which forces that reading.
TEST(Receiver, FlutterIsReadBitByBitWithoutATouchOfTheSwitches)
{
    const std::string text = contact(150);
    channel::Settings s;
    s.snrDb = 20;
    s.fading = channel::Fading{10, 0.5};
    s.seed = 30;
    const BothWays r = readBothWays(text, channel::transmit(text, s));
    EXPECT_LE(r.asStarted, r.atcOn) << r.read;
}

// Typed as it goes: half the characters follow at once, the others after a pause of a fraction
// of a bit or of a few bits. The sender's stop bits are what his cadence showed while it held,
// not the interval around a pause (taken for longer stop bits, it lost about 5% here).
TEST(Receiver, TextTypedAsItGoesIsReadAsASteadyStreamIs)
{
    const std::string text = contact(200);
    channel::Settings s;
    s.snrDb = 0;
    s.typedAsItGoes = true;
    s.seed = 7;
    const std::string got = receiveText(channel::transmit(text, s));
    EXPECT_LE(cer::characterErrorRate(text, got), cer::idealCer(0) + share(SettleCharacters, text))
        << got;
}

TEST(Receiver, SenderWhosePhaseJumpsIsReadBitByBit)
{
    const std::string text = contact(120);
    const std::string got = receiveText(phaseJumpingFsk(text, 0, 5));
    EXPECT_LE(cer::characterErrorRate(text, got), cer::idealCer(0) + share(SettleCharacters, text))
        << got;
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
    // The LMS filter may lose what comes while it learns, the notch only what any new signal
    // costs; without either, the carrier costs ten times that.
    const double learning = share(CarrierCanceller::ConvergenceSeconds / CharacterSeconds, text);
    const double settling = share(SettleCharacters, text);
    ReceiverSettings plain;
    EXPECT_GT(cer::characterErrorRate(text, receiveText(audio, plain)), 10 * (learning + settling));
    ReceiverSettings lms = plain;
    lms.carrierCanceller = true;
    const std::string cleaned = receiveText(audio, lms);
    EXPECT_LE(cer::characterErrorRate(text, cleaned), learning + settling) << cleaned;
    ReceiverSettings notched = plain;
    notched.notch = true;
    notched.notchHz = 2155;
    const std::string notchedText = receiveText(audio, notched);
    EXPECT_LE(cer::characterErrorRate(text, notchedText), settling) << notchedText;
}

// Slow selective fading (two paths 1 ms apart, each with a 1 Hz Doppler spread), with the
// switches as after START: no worse than with ATC on, which reads every bit by its likelihood.
// At +4 dB the frames read whole between the fades, and by their likelihoods in them, lose about
// half of what ATC on loses (bit by bit and whole frames alone, without a choice per frame:
// about as much).
TEST(Receiver, SlowFadingIsReadWithoutATouchOfTheSwitches)
{
    const std::string text = contact(300);
    for (const auto &[snr, share] : {std::pair{4.0, 0.7}, std::pair{10.0, 1.0}})
        for (unsigned seed : {1u, 6u}) {
            channel::Settings s;
            s.snrDb = snr;
            s.fading = channel::Fading{1, 1};
            s.seed = seed;
            const BothWays r = readBothWays(text, channel::transmit(text, s));
            EXPECT_LE(r.asStarted, share * r.atcOn + ::share(1, text))
                << snr << " dB, seed " << seed << ": ATC on " << r.atcOn;
        }
}

// A notch sweeping across the tones once a second (two steady paths of equal strength 1 ms
// apart) takes each tone wholly for a few bits in turn and turns its phase: the frames fall
// short of coherence, and read as flutter is (mark minus space) a bit in the notch goes to the
// tone left standing (2.4% here). With the switches as after START it is read with each tone's
// level taken near the bit, better than with ATC on.
TEST(Receiver, ASweepingNotchIsReadWithoutATouchOfTheSwitches)
{
    const std::string text = contact(600);
    channel::Settings s;
    s.snrDb = 10;
    s.notch = channel::Notch{1, 1};
    s.seed = 45;
    const BothWays r = readBothWays(text, channel::transmit(text, s));
    EXPECT_LE(r.asStarted, 0.015) << "ATC on " << r.atcOn;
    EXPECT_LE(r.asStarted, 0.6 * r.atcOn) << "ATC on " << r.atcOn;
}

// Static crashes 40 dB over the noise, with the input level set low enough that they are not
// clipped: without the noise blanker they ring through the tone filters and a quarter of the
// text is lost. Blanked, they take about 3% of the time (3 a second, about 10 ms each), a few
// milliseconds of a bit now and then, which the whole-frame reading carries: at most 1%.
TEST(Receiver, StaticCrashesAreBlankedBeforeTheyRingThroughTheToneFilters)
{
    const std::string text = contact(300);
    for (unsigned seed : {1u, 2u}) {
        channel::Settings s;
        s.snrDb = 0;
        s.impulses = channel::Impulses{3, 40, 10};
        s.levelDb = -26;
        s.seed = seed;
        EXPECT_LE(cer::characterErrorRate(text, receiveText(channel::transmit(text, s))), 0.01)
            << "seed " << seed;
    }
}

// The noise blanker's level is the stronger tone's: a strong signal with one tone far weaker
// than the other, after two seconds of the weaker alone, is not taken for crashes.
TEST(Receiver, AStrongSignalWithOneToneFarWeakerReadsExactly)
{
    const std::string text = Contact + Contact;
    for (double markDb : {-12.0, 12.0}) {
        channel::Settings s;
        s.snrDb = 30;
        s.markDb = markDb;
        s.leadSeconds = 2;
        EXPECT_EQ(cer::characterErrorRate(text, receiveText(channel::transmit(text, s))), 0)
            << "mark " << markDb << " dB";
    }
}

// A caller off frequency whom AFC finds only some way into his call: what was heard before is
// read again with the tones moved, so his first CQ is not lost (without that, these calls lose
// the first few characters or the whole CQ, read from a wrong start bit). A second move soon
// after reads nothing twice.
TEST(Receiver, ACallerFoundLateIsReadFromHisFirstCharacter)
{
    const std::string call = "CQ CQ CQ DE ZZ9ZZZ ZZ9ZZZ K ";
    const auto at = [](double seconds) { return std::size_t(seconds * Receiver::SampleRateHz); };
    for (unsigned seed = 1; seed <= 4; ++seed) {
        channel::Settings s;
        s.snrDb = 0;
        s.offsetHz = 80;
        s.seed = seed;
        const auto audio = channel::transmit(call, s);
        Receiver receiver;
        std::string text;
        receiver.onCharacter = [&](char c) { text += c; };
        // A second of mark before the call; the tones found 0.4 s into it, then moved on.
        receiver.process(audio.data(), at(1.4));
        receiver.retune(2185, 2355);
        receiver.process(audio.data() + at(1.4), at(0.3));
        receiver.retune(2205, 2375);
        receiver.process(audio.data() + at(1.7), audio.size() - at(1.7));
        const std::string read = cer::fold(text);
        EXPECT_NE(read.find(cer::fold(call)), std::string::npos) << "seed " << seed << ": " << text;
        EXPECT_EQ(read.find("CQ CQ CQ CQ"), std::string::npos) << "seed " << seed << ": " << text;
    }
}

// A signal read well is not read again when the tones move far and back (AFC pulled by a
// neighbour): it would print twice. Whether the frame reader trusts it (a steady sender at
// 20 dB) or not (the senders above, which the decode quality rates good).
TEST(Receiver, ASignalReadWellIsNotReadTwiceWhenTheTonesMove)
{
    channel::Settings steady;
    steady.snrDb = 20;
    auto senders = untrustedSenders(Contact);
    senders.emplace_back("steady", channel::transmit(Contact, steady));
    for (const auto &[what, audio] : senders) {
        const auto split = std::size_t(4 * Receiver::SampleRateHz);
        Receiver receiver;
        std::string text;
        receiver.onCharacter = [&](char c) { text += c; };
        receiver.process(audio.data(), split);
        receiver.retune(2125 + 2 * Receiver::RereadMoveHz, 2295 + 2 * Receiver::RereadMoveHz);
        receiver.retune(2125, 2295);
        receiver.process(audio.data() + split, audio.size() - split);
        EXPECT_EQ(cer::fold(text), cer::fold(Contact)) << what << ": " << text;
    }
}

// A steady stream (text from a buffer) in deep noise, -11 dB: its start bits, which noise
// turns towards mark now and then, are read through rather than taken for a pause, which loses
// the character and often more while the frames are found again (doing so loses about 10% here
// on average, under a third of the ideal bit-by-bit limit; read through, about 3%).
TEST(Receiver, ASteadyStreamInDeepNoiseKeepsItsCadence)
{
    const std::string text = contact(300);
    double sum = 0;
    for (unsigned seed : {2u, 3u, 4u}) {
        channel::Settings s;
        s.snrDb = -11;
        s.seed = seed;
        const double got = cer::characterErrorRate(text, receiveText(channel::transmit(text, s)));
        sum += got / 3;
    }
    EXPECT_LE(sum, 0.25 * cer::idealCer(-11));
}

// The same sender stopping for a second and starting again, at another moment of his bit
// clock: his start bits reading mark over three frames end the cadence, and he is found again
// as a new signal is. Read in one, the two transmissions lose no more than each read on its own
// and at most RestartCharacters at each new start: today 16 more over the three (on seed 2 the
// new start is read out of step for about 20 characters), reading on through the pause 42
// more. (Until stop bits other than 1.5 were learnt only from a cadence of some frames, the
// second transmission read on its own was often read at 1 stop bit, and lost far more than
// both read together.)
TEST(Receiver, ASteadySenderWhoStopsInDeepNoiseIsFoundAgain)
{
    const std::string first = contact(150), second = contact(151).substr(4);
    std::size_t together = 0, apart = 0;
    for (unsigned seed : {2u, 3u, 4u}) {
        channel::Settings s;
        s.snrDb = -10;
        s.seed = seed;
        auto audio = channel::transmit(first, s);
        apart += cer::editDistance(cer::fold(first), cer::fold(receiveText(audio)));
        s.seed = seed + 10;
        s.leadSeconds = 0.2;
        const auto after = channel::transmit(second, s);
        apart += cer::editDistance(cer::fold(second), cer::fold(receiveText(after)));
        audio.insert(audio.end(), after.begin(), after.end());
        together += cer::editDistance(cer::fold(first + second), cer::fold(receiveText(audio)));
    }
    constexpr std::size_t RestartCharacters = 8;
    EXPECT_LE(together, apart + 3 * RestartCharacters);
}
