#include "Afc.h"

#include <algorithm>
#include <cmath>

namespace rtty {

namespace {
// How much of the way to a clearly better pair one spectrum moves the tones. From far off, all
// of it, so that a caller off frequency is read from where he is at once (the receiver reads
// again what it heard before with the tones moved: see Receiver::retune). Near, a little: the
// pair's peak in the smoothed spectrum wobbles by some Hz under fading and with the wider tones
// of 75 baud, and following it in full would set the tones swinging.
constexpr double FarHz = 20;
constexpr double NearApproach = 0.3;
// How far the pair's weaker tone must stand above the noise (the median of the bins around) for
// the tones to move: a pair far off, 7 dB (noise alone reaches about 5 dB, measured over 200
// s), so that a caller at -8 dB is found within about a second; near, 9 dB, as small moves
// made on a weak signal's noisy spectrum cost more than they gain. Until the peaks have been
// held over SettledSpectra spectra the noise's median is low against its peaks, and 9 dB
// holds for a pair far off too.
constexpr double FarAbove = 5, NearAbove = 8;
// A pair found far off is placed by both its tones' power within RefineHz of where the weaker
// one put it. The weaker tone is what tells a keyed pair from a carrier, but a signal's first
// second is mostly steady mark: its space tone has been seen only in a few short bits, a broad
// hump in the spectrum, and placed by it alone the pair landed up to 12 Hz off (4 Hz on average
// over callers 40 to 100 Hz off at -6 dB), the mark tone's sharp line beside it.
constexpr double RefineHz = 10;
} // namespace

double Afc::at(double hz) const
{
    // The power around hz, the bins weighted by their distance: the sum peaks where the tone
    // is, even between two bins, so that the pair lands on the signal rather than near it.
    const double bin = hz / binHz_;
    double sum = 0;
    for (int i = int(std::floor(bin - 2.5)); i <= int(std::ceil(bin + 2.5)); ++i) {
        if (i < 0 || i >= int(smoothed_.size()))
            continue;
        const double weight = 1 - std::abs(double(i) - bin) / 2.5;
        if (weight > 0)
            sum += weight * double(smoothed_[std::size_t(i)]);
    }
    return sum;
}

Afc::Tones Afc::update(const std::vector<float> &power, Tones now)
{
    if (smoothed_.size() != power.size()) {
        smoothed_ = power;
        held_ = 0;
    }
    held_ = std::min(held_ + 1, SettledSpectra);
    // Peaks held for about half a second at 20 spectra a second: both tones of a keyed signal
    // show as soon as each has been sent once.
    for (std::size_t i = 0; i < power.size(); ++i)
        smoothed_[i] = std::max(smoothed_[i] * 0.9f, power[i]);

    // The pair is sought within PullInHz of where the receiver listens now, so that a station
    // that drifts is followed however far it goes.
    const double shift = now.spaceHz - now.markHz;
    double bestScore = 0, bestOffset = 0;
    for (double offset = -PullInHz; offset <= PullInHz; offset += binHz_ / 4) {
        const double mark = now.markHz + offset;
        const double score = std::min(at(mark), at(mark + shift));
        if (score > bestScore) {
            bestScore = score;
            bestOffset = offset;
        }
    }
    // The noise: the median of the bins around the pull-in range.
    const double low = std::min(now.markHz, now.spaceHz) - 2 * PullInHz;
    const double high = std::max(now.markHz, now.spaceHz) + 2 * PullInHz;
    std::vector<float> around;
    for (std::size_t i = 0; i < smoothed_.size(); ++i) {
        const double hz = double(i) * binHz_;
        if (hz >= low && hz <= high)
            around.push_back(smoothed_[i]);
    }
    if (around.empty())
        return now;
    std::nth_element(around.begin(), around.begin() + around.size() / 2, around.end());
    const double noise = around[around.size() / 2];
    // Both tones clearly above the noise, or hold still (a tone's score spans about 2.5 bins).
    const bool far = std::fabs(bestOffset) > FarHz;
    const double above = far && held_ >= SettledSpectra ? FarAbove : NearAbove;
    if (bestScore < above * 2.5 * noise)
        return now;
    // Move only toward a pair clearly better than the one listened to now: a fading or ending
    // signal must not drag the tones about.
    const double here = std::min(at(now.markHz), at(now.markHz + shift));
    if (bestScore < 1.25 * here)
        return now;
    if (far) {
        const double found = bestOffset;
        double bestSum = 0;
        for (double offset = found - RefineHz; offset <= found + RefineHz; offset += binHz_ / 4) {
            const double sum = at(now.markHz + offset) + at(now.markHz + offset + shift);
            if (sum > bestSum) {
                bestSum = sum;
                bestOffset = offset;
            }
        }
    }
    const double mark = now.markHz + bestOffset * (far ? 1.0 : NearApproach);
    return {mark, mark + shift};
}

} // namespace rtty
