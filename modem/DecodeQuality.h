// How clearly the frames read lately stand out from the noise: the ratio of the squared mean
// size of their code bits' decisions to the variance of that size. A keyed signal gives every
// bit about the same size, so the ratio grows with the signal-to-noise ratio (about 7 at the
// weakest signal still worth reading); frames found in noise alone have sizes spread about as
// widely as their mean, a ratio near 2. The squelch opens on it, whatever the level of the
// noise: on the ratio over about the last sixteen frames, or at once on a ratio over the last
// four frames that noise does not reach.
#pragma once

#include <array>
#include <cstddef>

namespace rtty {

class DecodeQuality {
public:
    static constexpr double OpenRatio = 4.0;       // over about sixteen frames
    static constexpr double QuickOpenRatio = 15.0; // over the last four

    // One frame's code bits, as decision values over their typical size.
    void push(const std::array<float, 5> &bits);
    void reset();

    double ratio() const;      // about the last sixteen frames
    double quickRatio() const; // the last four frames
    bool good() const { return ratio() >= OpenRatio || quickRatio() >= QuickOpenRatio; }

private:
    static constexpr std::size_t QuickFrames = 4;

    double mean_ = 0, meanSquare_ = 0; // of the bits' sizes, over the last frames
    bool primed_ = false;
    std::array<std::array<float, 5>, QuickFrames> recent_{};
    std::size_t count_ = 0; // frames pushed since the last reset
};

} // namespace rtty
