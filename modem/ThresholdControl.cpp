#include "ThresholdControl.h"

#include <algorithm>
#include <cmath>
#include <numbers>

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
    // A tone's amplitude follows a fade within a bit or two (it is updated only while its
    // tone leads, about half the time). The noise, read from the trailing envelope, follows
    // within a few bits: in a fade it holds what the other path smears in as well, and
    // weighing the tones against that copies best through selective fading (measured on the
    // two-path channel), at no cost in steady noise.
    amplitudeGain_ = float(1.0 / samplesPerBit);
    noiseGain_ = float(1.0 / (4 * samplesPerBit));
}

void ThresholdControl::reset()
{
    markPeak_ = spacePeak_ = markFloor_ = spaceFloor_ = 0;
    markAmplitude_ = spaceAmplitude_ = noisePower_ = 0;
}

void ThresholdControl::track(float value, float &peak, float &floor) const
{
    peak += (value - peak) * (value > peak ? attack_ : peakDecay_);
    floor += (value - floor) * (value < floor ? attack_ : floorRise_);
}

namespace {

// ln I0(x), the log of the modified Bessel function of order 0, for x >= 0.
double logBesselI0(double x)
{
    if (x < 30)
        return std::log(std::cyl_bessel_i(0.0, x));
    return x - 0.5 * std::log(2 * std::numbers::pi * x) + std::log1p(1 / (8 * x));
}

} // namespace

double toneLikelihood(double r, double a, double var, int bits)
{
    return logBesselI0(r * a / var) - bits * a * a / (2 * var);
}

float ThresholdControl::decide(float mark, float space)
{
    track(mark, markPeak_, markFloor_);
    track(space, spacePeak_, spaceFloor_);
    if (mark > space) {
        markAmplitude_ += (mark - markAmplitude_) * amplitudeGain_;
        noisePower_ += (space * space - noisePower_) * noiseGain_;
    } else {
        spaceAmplitude_ += (space - spaceAmplitude_) * amplitudeGain_;
        noisePower_ += (mark * mark - noisePower_) * noiseGain_;
    }
    if (!enabled_)
        return mark - space;
    const double var = std::max(0.5 * double(noisePower_), 1e-20);
    // In envelope units: for two equal tones well above the noise, about mark minus space.
    const double scale = var / std::max(0.5 * double(markAmplitude_ + spaceAmplitude_), 1e-20);
    return float(scale * (toneLikelihood(mark, markAmplitude_, var) -
                          toneLikelihood(space, spaceAmplitude_, var)));
}

} // namespace rtty
