// The notch: deep at its frequency, as wide as it says, and an RTTY tone 170 Hz away untouched.
#include "NotchFilter.h"

#include "Tones.h"

#include <gtest/gtest.h>

using rtty::NotchFilter;

TEST(NotchFilter, IsDeepAtItsFrequencyAsWideAsItSaysAndSparesTheOtherTone)
{
    for (double centre : {700.0, 2125.0, 2295.0}) {
        NotchFilter notch(TestRateHz);
        notch.setFrequency(centre);
        EXPECT_LT(toneGainDb(notch, centre), -40) << centre;
        // The -3 dB width, measured: the band around the centre where the gain is below -3 dB.
        double low = centre, high = centre;
        while (toneGainDb(notch, low - 1) < -3)
            low -= 1;
        while (toneGainDb(notch, high + 1) < -3)
            high += 1;
        EXPECT_NEAR(high - low, NotchFilter::WidthHz, 0.2 * NotchFilter::WidthHz) << centre;
        EXPECT_NEAR(toneGainDb(notch, centre + 170), 0, 0.5) << centre;
        EXPECT_NEAR(toneGainDb(notch, centre - 170), 0, 0.5) << centre;
    }
}
