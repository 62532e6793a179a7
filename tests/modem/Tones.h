// Steady tones and their measure, for the tests of the modem's filters.
#pragma once

#include <cmath>
#include <cstddef>
#include <numbers>
#include <vector>

constexpr double TestRateHz = 11025;

inline std::vector<float> sine(double hz, double seconds, double amplitude = 0.5)
{
    std::vector<float> out(std::size_t(seconds * TestRateHz));
    for (std::size_t n = 0; n < out.size(); ++n)
        out[n] = float(amplitude * std::sin(2 * std::numbers::pi * hz * double(n) / TestRateHz));
    return out;
}

// The power of samples [from, to).
inline double power(const std::vector<float> &x, std::size_t from, std::size_t to)
{
    double sum = 0;
    for (std::size_t n = from; n < to; ++n)
        sum += double(x[n]) * x[n];
    return sum / double(to - from);
}

inline double decibels(double ratio)
{
    return 10 * std::log10(ratio);
}

// A filter's gain in dB for a steady tone: its output's power over the input's, measured
// after it has settled (the second half of two seconds).
template <typename Filter> double toneGainDb(Filter &filter, double hz)
{
    const std::vector<float> in = sine(hz, 2);
    std::vector<float> out(in.size());
    for (std::size_t n = 0; n < in.size(); ++n)
        out[n] = filter.execute(in[n]);
    return decibels(power(out, in.size() / 2, in.size()) / power(in, in.size() / 2, in.size()));
}
