// Only what two reads of the radio in a row agree on is published: a corrupted answer between
// good ones changes nothing, a change on the radio shows from its second read, a field that
// flickers between unknown and a value stays as it was, and a radio lost forgets it all.
#include "ReadingCheck.h"

#include <gtest/gtest.h>
#include <hamlib/rig.h>

using radiohost::RadioReading;
using radiohost::ReadingCheck;

namespace {

RadioReading reading(double hz, std::optional<double> watts = 50,
                     std::optional<bool> transmitting = false)
{
    RadioReading r;
    r.frequencyHz = hz;
    r.mode = RIG_MODE_RTTY;
    r.powerWatts = watts;
    r.transmitting = transmitting;
    r.markHz = 2125;
    r.shiftHz = 170;
    return r;
}

} // namespace

TEST(ReadingCheck, ACorruptedAnswerIsNeverPublishedAndAChangeIsFromItsSecondRead)
{
    ReadingCheck check;
    EXPECT_FALSE(check.confirm(reading(14085000))) << "one read proves nothing";
    auto shown = check.confirm(reading(14085000));
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->frequencyHz, 14085000);
    EXPECT_EQ(shown->powerWatts, 50);

    // A flipped bit: 140 Hz, 80 W and transmitting, once.
    shown = check.confirm(reading(140, 80, true));
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->frequencyHz, 14085000);
    EXPECT_EQ(shown->powerWatts, 50);
    EXPECT_EQ(shown->transmitting, false);
    shown = check.confirm(reading(14085000));
    EXPECT_EQ(shown->frequencyHz, 14085000);

    // The operator tunes: the new frequency shows from its second read on.
    EXPECT_EQ(check.confirm(reading(7040000))->frequencyHz, 14085000);
    EXPECT_EQ(check.confirm(reading(7040000))->frequencyHz, 7040000);
}

TEST(ReadingCheck, AFieldFlickeringBetweenUnknownAndAValueStaysAsItWas)
{
    ReadingCheck check;
    check.confirm(reading(14085000, 50, std::nullopt));
    auto shown = check.confirm(reading(14085000, 50, std::nullopt));
    EXPECT_FALSE(shown->transmitting) << "unknown until two reads agree";
    for (auto ptt : {std::optional<bool>(false), std::optional<bool>(), std::optional<bool>(false),
                     std::optional<bool>()})
        EXPECT_FALSE(check.confirm(reading(14085000, 50, ptt))->transmitting);
    check.confirm(reading(14085000, 50, false));
    EXPECT_EQ(check.confirm(reading(14085000, 50, false))->transmitting, false);
    // Unknown twice in a row: the radio no longer tells it.
    check.confirm(reading(14085000, std::nullopt, false));
    EXPECT_FALSE(check.confirm(reading(14085000, std::nullopt, false))->powerWatts);
}

TEST(ReadingCheck, ARadioLostForgetsWhatItSaid)
{
    ReadingCheck check;
    check.confirm(reading(14085000));
    ASSERT_TRUE(check.confirm(reading(14085000)));
    check.lost();
    EXPECT_FALSE(check.confirm(reading(14085000))) << "the first read after it proves nothing";
    EXPECT_TRUE(check.confirm(reading(14085000)));
}
