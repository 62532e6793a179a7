#include "NotchFilter.h"

#include <cmath>
#include <liquid/liquid.h>
#include <numbers>

namespace rtty {

NotchFilter::NotchFilter(double sampleRateHz) : fs_(sampleRateHz)
{
    setFrequency(1000);
}

NotchFilter::~NotchFilter()
{
    iirfiltsos_rrrf_destroy(section_);
}

void NotchFilter::setFrequency(double hz)
{
    hz_ = hz;
    // The usual biquad notch: zeros on the unit circle at hz, poles just inside them.
    const double w = 2 * std::numbers::pi * hz / fs_;
    const double r = 1 - std::numbers::pi * WidthHz / fs_;
    float b[3] = {1.0f, float(-2 * std::cos(w)), 1.0f};
    float a[3] = {1.0f, float(-2 * r * std::cos(w)), float(r * r)};
    // Unity gain far from the notch: scale the zeros to the poles' gain at 0 Hz.
    const double gain = (1 - 2 * r * std::cos(w) + r * r) / (2 - 2 * std::cos(w));
    for (float &v : b)
        v = float(v * gain);
    if (section_)
        iirfiltsos_rrrf_set_coefficients(section_, b, a);
    else
        section_ = iirfiltsos_rrrf_create(b, a);
}

float NotchFilter::execute(float x)
{
    float y = 0;
    iirfiltsos_rrrf_execute(section_, x, &y);
    return y;
}

} // namespace rtty
