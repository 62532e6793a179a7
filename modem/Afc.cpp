#include "Afc.h"

#include <algorithm>
#include <cmath>

namespace rtty {

void Afc::anchor(double markHz, double spaceHz)
{
    anchorMarkHz_ = markHz;
    anchorSpaceHz_ = spaceHz;
}

double Afc::at(double hz) const
{
    // The strongest of the bins within 10 Hz of hz: a tone between two bins still counts.
    const double bin = hz / binHz_;
    const int from = std::max(0, int(std::floor(bin - 10 / binHz_)));
    const int to = std::min(int(smoothed_.size()) - 1, int(std::ceil(bin + 10 / binHz_)));
    double best = 0;
    for (int i = from; i <= to; ++i)
        best = std::max(best, double(smoothed_[std::size_t(i)]));
    return best;
}

Afc::Tones Afc::update(const std::vector<float> &power, Tones now)
{
    if (smoothed_.size() != power.size())
        smoothed_ = power;
    // Peaks held for about half a second at 20 spectra a second: both tones of a keyed signal
    // show as soon as each has been sent once.
    for (std::size_t i = 0; i < power.size(); ++i)
        smoothed_[i] = std::max(smoothed_[i] * 0.9f, power[i]);

    const double shift = now.spaceHz - now.markHz;
    const double offsetNow = now.markHz - anchorMarkHz_;
    double bestScore = 0, bestOffset = offsetNow;
    for (double offset = -PullInHz; offset <= PullInHz; offset += binHz_ / 2) {
        const double mark = anchorMarkHz_ + offset;
        const double score = std::min(at(mark), at(mark + shift));
        if (score > bestScore) {
            bestScore = score;
            bestOffset = offset;
        }
    }
    // The noise: the median of the bins around the pull-in range.
    const double low = std::min(anchorMarkHz_, anchorSpaceHz_) - 2 * PullInHz;
    const double high = std::max(anchorMarkHz_, anchorSpaceHz_) + 2 * PullInHz;
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
    if (bestScore < 8 * noise) // both tones 9 dB above the noise, or hold still
        return now;
    const double moved = offsetNow + (bestOffset - offsetNow) * 0.5;
    return {anchorMarkHz_ + moved, anchorMarkHz_ + moved + shift};
}

} // namespace rtty
