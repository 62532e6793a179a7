// Only what three reads of the radio in a row agree on is published: a corrupted answer, even
// twice, between good ones changes nothing, a change on the radio shows from its third read, a
// field that flickers between unknown and a value stays as it was, and a radio lost forgets it
// all.
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

TEST(ReadingCheck, ACorruptedAnswerIsNeverPublishedAndAChangeIsFromItsThirdRead)
{
    ReadingCheck check;
    EXPECT_FALSE(check.confirm(reading(14085000))) << "one read proves nothing";
    EXPECT_FALSE(check.confirm(reading(14085000))) << "nor two";
    auto shown = check.confirm(reading(14085000));
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->frequencyHz, 14085000);
    EXPECT_EQ(shown->powerWatts, 50);

    // A flipped bit: 140 Hz, 80 W and transmitting, twice in a row.
    for (int twice = 0; twice < 2; ++twice) {
        shown = check.confirm(reading(140, 80, true));
        ASSERT_TRUE(shown);
        EXPECT_EQ(shown->frequencyHz, 14085000);
        EXPECT_EQ(shown->powerWatts, 50);
        EXPECT_EQ(shown->transmitting, false);
    }
    EXPECT_EQ(check.confirm(reading(14085000))->frequencyHz, 14085000);

    // The operator tunes: the new frequency shows from its third read on.
    EXPECT_EQ(check.confirm(reading(7040000))->frequencyHz, 14085000);
    EXPECT_EQ(check.confirm(reading(7040000))->frequencyHz, 14085000);
    EXPECT_EQ(check.confirm(reading(7040000))->frequencyHz, 7040000);
}

TEST(ReadingCheck, AFieldFlickeringBetweenUnknownAndAValueStaysAsItWas)
{
    ReadingCheck check;
    std::optional<RadioReading> shown;
    for (int i = 0; i < ReadingCheck::Reads; ++i)
        shown = check.confirm(reading(14085000, 50, std::nullopt));
    EXPECT_FALSE(shown->transmitting) << "unknown until the reads agree";
    for (auto ptt : {std::optional<bool>(false), std::optional<bool>(), std::optional<bool>(false),
                     std::optional<bool>(), std::optional<bool>(false), std::optional<bool>()})
        EXPECT_FALSE(check.confirm(reading(14085000, 50, ptt))->transmitting);
    for (int i = 0; i < ReadingCheck::Reads; ++i)
        shown = check.confirm(reading(14085000, 50, false));
    EXPECT_EQ(shown->transmitting, false);
    // Unknown every time: the radio no longer tells it.
    for (int i = 0; i < ReadingCheck::Reads; ++i)
        shown = check.confirm(reading(14085000, std::nullopt, false));
    EXPECT_FALSE(shown->powerWatts);
}

TEST(ReadingCheck, ARadioLostForgetsWhatItSaid)
{
    ReadingCheck check;
    for (int i = 0; i < ReadingCheck::Reads - 1; ++i)
        check.confirm(reading(14085000));
    ASSERT_TRUE(check.confirm(reading(14085000)));
    check.lost();
    for (int i = 0; i < ReadingCheck::Reads - 1; ++i)
        EXPECT_FALSE(check.confirm(reading(14085000))) << "the reads after it prove nothing yet";
    EXPECT_TRUE(check.confirm(reading(14085000)));
}
