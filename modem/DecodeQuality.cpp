#include "DecodeQuality.h"

#include <cmath>

namespace rtty {

namespace {

constexpr double Gain = 0.0625; // about the last sixteen frames count

double ratioOf(double mean, double meanSquare)
{
    const double variance = meanSquare - mean * mean;
    return variance <= 1e-12 ? 1e6 : mean * mean / variance;
}

} // namespace

void DecodeQuality::push(const std::array<float, 5> &bits)
{
    double mean = 0, meanSquare = 0;
    for (float b : bits) {
        mean += std::fabs(b) / 5;
        meanSquare += double(b) * double(b) / 5;
    }
    if (!primed_) {
        // Starting from noise, so that a few clean-looking frames do not open the squelch.
        mean_ = 1;
        meanSquare_ = 1.5;
        primed_ = true;
    }
    mean_ += Gain * (mean - mean_);
    meanSquare_ += Gain * (meanSquare - meanSquare_);
    recent_[count_ % QuickFrames] = bits;
    ++count_;
}

void DecodeQuality::reset()
{
    primed_ = false;
    mean_ = meanSquare_ = 0;
    count_ = 0;
}

double DecodeQuality::ratio() const
{
    return primed_ ? ratioOf(mean_, meanSquare_) : 0;
}

double DecodeQuality::quickRatio() const
{
    if (count_ < QuickFrames)
        return 0;
    double mean = 0, meanSquare = 0;
    for (const auto &frame : recent_)
        for (float b : frame) {
            mean += std::fabs(b);
            meanSquare += double(b) * double(b);
        }
    const double n = double(QuickFrames * 5);
    return ratioOf(mean / n, meanSquare / n);
}

} // namespace rtty
