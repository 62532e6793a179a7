// The modem's stages on their own: Baudot, the switch word, the transmitter, AFC and the
// framer, each against what an RTTY operator expects of it.
#include "Afc.h"
#include "Baudot.h"
#include "Channel.h"
#include "CharacterFramer.h"
#include "EngineCore.h"
#include "FskModulator.h"
#include "ReceiveText.h"
#include "Receiver.h"
#include "Spectrum.h"
#include "Switches.h"
#include "Transmitter.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

using namespace rtty;

namespace {

std::string decodeCodes(const std::vector<std::uint8_t> &codes, bool uos = true)
{
    BaudotDecoder decoder;
    decoder.setUnshiftOnSpace(uos);
    std::string text;
    for (auto code : codes)
        if (auto c = decoder.decode(code))
            text += *c;
    return text;
}

} // namespace

TEST(Baudot, EveryCharacterSurvivesARoundTrip)
{
    const std::string text = "RYRY THE QUICK BROWN FOX 0123456789 -?:()$'.,/!&#;\"\r\n";
    EXPECT_EQ(decodeCodes(encodeText(text)), text);
    EXPECT_EQ(decodeCodes(encodeText("abc xyz")), "ABC XYZ");
    EXPECT_TRUE(BaudotEncoder().encode('~').empty());
}

TEST(Baudot, FiguresAreShiftedAgainAfterASpaceForReceiversThatUnshift)
{
    const auto codes = encodeText("599 599");
    // LTRS, FIGS 5 9 9, space, FIGS again, 5 9 9
    const std::vector<std::uint8_t> expected = {CodeLtrs,  CodeFigs, 0x10, 0x18, 0x18,
                                                CodeSpace, CodeFigs, 0x10, 0x18, 0x18};
    EXPECT_EQ(codes, expected);
    EXPECT_EQ(decodeCodes(codes, true), "599 599");
    EXPECT_EQ(decodeCodes(codes, false), "599 599");
}

TEST(Baudot, UnshiftOnSpaceDecidesWhatFollowsASpaceInFigures)
{
    // FIGS 1, space, then code 0x10: a T in letters, a 5 in figures.
    const std::vector<std::uint8_t> codes = {CodeFigs, 0x17, CodeSpace, 0x10};
    EXPECT_EQ(decodeCodes(codes, true), "1 T");
    EXPECT_EQ(decodeCodes(codes, false), "1 5");
}

TEST(Switches, EachWordDoesWhatItsButtonPromises)
{
    Switches s;
    EXPECT_TRUE(s.on(Function::Afc));
    EXPECT_FALSE(s.on(Function::Atc));
    s.apply(20);
    EXPECT_TRUE(s.on(Function::Atc));
    s.apply(260);
    EXPECT_TRUE(s.on(Function::Reverse));
    s.apply(0); // REV released
    EXPECT_FALSE(s.on(Function::Reverse));
    EXPECT_TRUE(s.on(Function::Atc));
    s.apply(0); // ATC released
    EXPECT_FALSE(s.on(Function::Atc));
    EXPECT_TRUE(s.on(Function::Afc));
    s.apply(0); // AFC pressed: off
    EXPECT_FALSE(s.on(Function::Afc));
    s.apply(4); // AFC released: on
    EXPECT_TRUE(s.on(Function::Afc));
    s.apply(-8);
    EXPECT_TRUE(s.on(Function::Notch));
    s.apply(8196);
    EXPECT_FALSE(s.on(Function::Notch));
    for (std::int32_t word : {12, 36, 68, 132, 516, -8})
        s.apply(word);
    s.apply(-128);
    for (Function f : {Function::Net, Function::TxBandpass, Function::Lms, Function::Squelch,
                       Function::UnshiftOnSpace, Function::Notch})
        EXPECT_FALSE(s.on(f));
    EXPECT_TRUE(s.on(Function::Afc)); // START keeps AFC as it was
    EXPECT_FALSE(s.apply(3));         // names no function
}

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

TEST(Afc, PullsInAnOffFrequencySignalAndIgnoresALoneCarrier)
{
    Spectrum spectrum(551);
    Afc afc(11025.0 / Spectrum::Size);
    channel::Settings s;
    s.snrDb = 5;
    s.offsetHz = 60;
    const auto audio = channel::transmit("RYRYRYRYRYRYRYRY", s);
    Afc::Tones tones{2125, 2295};
    for (float v : audio)
        if (spectrum.push(v))
            tones = afc.update(spectrum.power(), tones);
    EXPECT_NEAR(tones.markHz, 2185, 6);
    EXPECT_NEAR(tones.spaceHz - tones.markHz, 170, 0.01);

    // A single steady carrier 50 Hz off is no FSK pair: AFC holds.
    Afc still(11025.0 / Spectrum::Size);
    Spectrum quiet(551);
    Afc::Tones held{2125, 2295};
    for (std::size_t n = 0; n < 5 * 11025; ++n)
        if (quiet.push(0.3f * float(std::sin(2 * std::numbers::pi * 2175 * double(n) / 11025))))
            held = still.update(quiet.power(), held);
    EXPECT_DOUBLE_EQ(held.markHz, 2125);
}

TEST(CharacterFramer, ReadsAFrameAndRejectsAFalseStart)
{
    // Keying as the one-bit matched filter gives it: the raw levels through a one-bit average.
    const double spb = 30.3;
    std::vector<float> raw;
    auto key = [&](bool mark, double bits) {
        raw.insert(raw.end(), std::size_t(bits * spb), mark ? 1.0f : -1.0f);
    };
    key(true, 3);
    key(false, 0.25); // a glitch: no start bit
    key(true, 2);
    key(false, 1); // start
    for (bool bit : {true, false, true, false, true})
        key(bit, 1); // code 0x15, least significant bit first
    key(true, 3);    // stop bits and idle
    CharacterFramer framer(spb);
    std::vector<std::uint8_t> codes;
    float sum = float(std::size_t(spb)); // all mark before the first sample
    for (std::size_t i = 0; i < raw.size(); ++i) {
        sum += raw[i] - (i >= std::size_t(spb) ? raw[i - std::size_t(spb)] : 1.0f);
        if (auto c = framer.push(sum / float(std::size_t(spb))))
            codes.push_back(c->code);
    }
    EXPECT_EQ(codes, std::vector<std::uint8_t>{0x15});
}
