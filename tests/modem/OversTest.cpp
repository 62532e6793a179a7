// Traffic in overs, as the channel simulator makes it (a station's overs, each from 0.3 s of
// steady mark, with 2 to 8 s of noise alone between): each over read from its first character,
// nothing printed from the noise between them with the squelch on, and the squelch open only
// while an over is on the air.
#include "Channel.h"
#include "CharacterErrorRate.h"
#include "Receiver.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace rtty;

namespace {

const std::string Overs = channel::ContestOvers;

constexpr std::size_t Block = 256; // the engine's block of sound

struct Reading {
    std::string text;
    // When the squelch stood open, in samples: one entry per block.
    std::vector<bool> open;
};

Reading readOvers(const std::vector<float> &audio, const ReceiverSettings &settings)
{
    Receiver receiver(settings);
    Reading r;
    receiver.onCharacter = [&](char c) { r.text += c; };
    for (std::size_t at = 0; at < audio.size(); at += Block) {
        receiver.process(audio.data() + at, std::min(Block, audio.size() - at));
        r.open.push_back(receiver.squelchOpen());
    }
    return r;
}

ReceiverSettings squelchedAt(int level)
{
    ReceiverSettings s;
    s.squelch = true;
    s.squelchLevel = level;
    return s;
}

} // namespace

// With the squelch on at 200 (overs at +3 dB stand at about 500): every over whole, its first
// word too, and nothing from the noise between them.
TEST(Overs, EachIsReadWholeFromItsFirstCharacterAndNothingBetween)
{
    for (unsigned seed : {1u, 2u, 3u}) {
        channel::Settings s;
        s.snrDb = 3;
        s.overs = channel::Overs{};
        s.seed = seed;
        const auto read = readOvers(channel::transmit(Overs, s), squelchedAt(200));
        EXPECT_EQ(cer::fold(read.text), cer::fold(Overs)) << "seed " << seed;
        EXPECT_EQ(cer::firstWordsExact(channel::splitOvers(Overs), read.text), 8u);
    }
}

// With the squelch off the noise between the overs prints, as the operator asks; each over is
// read all the same from its first character: a new over starts the framer afresh, and it
// follows no cadence the noise set going. (Reading on in a noise's cadence, about one over in
// twenty was read out of step from its start, for a dozen characters.)
TEST(Overs, WithTheSquelchOffEachIsStillReadFromItsFirstCharacter)
{
    std::string many;
    for (int i = 0; i < 6; ++i)
        many += Overs;
    int lost = 0;
    for (unsigned seed : {1u, 2u}) {
        channel::Settings s;
        s.snrDb = -3;
        s.overs = channel::Overs{0.5, 4};
        s.seed = seed;
        const std::string read = cer::fold(readOvers(channel::transmit(many, s), {}).text);
        for (const std::string &over : channel::splitOvers(many))
            lost += read.find(cer::fold(over)) == std::string::npos;
    }
    EXPECT_EQ(lost, 0) << "of 96 overs";
}

// Overs at 50 baud and 446 Hz shift starting with RYRY, and at 75 baud: each from its first
// character.
TEST(Overs, OtherSpeedsAndShiftsAreReadFromTheFirstCharacter)
{
    for (double baud : {50.0, 75.0}) {
        channel::Settings s;
        s.snrDb = 3;
        s.overs = channel::Overs{};
        s.baud = baud;
        s.shiftHz = baud == 50 ? 446 : 170;
        ReceiverSettings r = squelchedAt(200);
        r.baud = baud;
        r.spaceHz = r.markHz + s.shiftHz;
        const auto read = readOvers(channel::transmit(Overs, s), r);
        EXPECT_EQ(cer::fold(read.text), cer::fold(Overs)) << baud << " baud";
    }
}

// The squelch opens as an over begins and closes within about two characters of its end (its
// sender's 0.1 s of mark after the last stop bit, then the first stretch of noise weighed), and
// is never open in the noise between.
TEST(Overs, TheSquelchIsOpenOnlyWhileAnOverIsOnTheAir)
{
    channel::Settings s;
    s.snrDb = 3;
    s.overs = channel::Overs{};
    s.seed = 4;
    std::vector<channel::OverSpan> spans;
    const auto audio = channel::transmit(Overs, s, &spans);
    const auto read = readOvers(audio, squelchedAt(200));
    const double character = 7.5 / 45.45 * s.sampleRateHz;
    const auto blockAt = [&](double sample) { return std::size_t(sample / Block); };
    for (std::size_t o = 0; o < spans.size(); ++o) {
        // Open within the over, from its second character on at the latest.
        for (std::size_t b = blockAt(spans[o].from + 2 * character); b < blockAt(spans[o].to); ++b)
            ASSERT_TRUE(read.open[b]) << "over " << o << " closed " << b * Block - spans[o].from;
        // Closed from two characters after its end until the next over begins.
        const double next =
            o + 1 < spans.size() ? spans[o + 1].from - 0.3 * s.sampleRateHz : double(audio.size());
        for (std::size_t b = blockAt(spans[o].to + 2 * character); b < blockAt(next); ++b)
            ASSERT_FALSE(read.open[b])
                << "after over " << o << ", " << (double(b * Block) - spans[o].to) / character
                << " characters on";
    }
}

// A higher level asks for a stronger signal: overs at +3 dB (about 20 dB per bit, level 520)
// pass a squelch at 400 and not one at 700.
TEST(Overs, TheSquelchLevelAsksForAStrongerSignal)
{
    channel::Settings s;
    s.snrDb = 3;
    s.overs = channel::Overs{};
    s.seed = 5;
    const auto audio = channel::transmit(Overs, s);
    EXPECT_EQ(cer::fold(readOvers(audio, squelchedAt(400)).text), cer::fold(Overs));
    EXPECT_EQ(readOvers(audio, squelchedAt(700)).text, "");
}
