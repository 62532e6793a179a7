// Automatic frequency control from the spectrum: keeps a smoothed spectrum, looks for the pair
// of tones one shift apart within PullInHz of where the receiver listens, and moves the pair
// part of the way there. A pair is scored by its weaker tone, so a strong single carrier or a
// neighbour's tone next to one of ours cannot pull it; it holds still while no pair stands
// clearly above the noise, and never strays more than PullInHz from the tones the operator set.
#pragma once

#include <vector>

namespace rtty {

class Afc {
public:
    static constexpr double PullInHz = 100;

    // binHz: width of one spectrum value.
    explicit Afc(double binHz) : binHz_(binHz) {}

    // The tones the operator set; AFC stays within PullInHz of them.
    void anchor(double markHz, double spaceHz);
    void reset() { smoothed_.clear(); }

    // Takes one spectrum (linear power per bin) and the tones in use; returns the tones to use.
    // The space tone may lie below the mark (reverse shift).
    struct Tones {
        double markHz, spaceHz;
    };
    Tones update(const std::vector<float> &power, Tones now);

private:
    double at(double hz) const;

    double binHz_;
    double anchorMarkHz_ = 2125, anchorSpaceHz_ = 2295;
    std::vector<float> smoothed_;
};

} // namespace rtty
