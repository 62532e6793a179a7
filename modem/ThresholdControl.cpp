#include "ThresholdControl.h"

#include <algorithm>

namespace rtty {

ThresholdControl::ThresholdControl(double samplesPerBit)
{
    setSamplesPerBit(samplesPerBit);
}

void ThresholdControl::setSamplesPerBit(double samplesPerBit)
{
    // Peaks fall back over about 16 bits, floors rise over about 32 bits; a new peak or floor
    // is taken within about a quarter of a bit.
    peakDecay_ = float(1.0 / (16 * samplesPerBit));
    floorRise_ = float(1.0 / (32 * samplesPerBit));
    attack_ = float(std::min(1.0, 4.0 / samplesPerBit));
}

void ThresholdControl::track(float value, float &peak, float &floor) const
{
    peak += (value - peak) * (value > peak ? attack_ : peakDecay_);
    floor += (value - floor) * (value < floor ? attack_ : floorRise_);
}

float ThresholdControl::decide(float mark, float space)
{
    track(mark, markPeak_, markFloor_);
    track(space, spacePeak_, spaceFloor_);
    if (!enabled_)
        return mark - space;
    const float m = std::clamp(mark, markFloor_, std::max(markFloor_, markPeak_)) - markFloor_;
    const float s = std::clamp(space, spaceFloor_, std::max(spaceFloor_, spacePeak_)) - spaceFloor_;
    const float bias = 0.5f * ((markPeak_ - markFloor_) - (spacePeak_ - spaceFloor_));
    return m - s - bias;
}

} // namespace rtty
