// Automatic frequency control from the spectrum: keeps a smoothed spectrum, looks for the pair
// of tones one shift apart within PullInHz of where the receiver listens, and moves the pair
// part of the way there, so that a station off frequency is pulled in and one that drifts is
// followed. A pair is scored by its weaker tone, so a strong single carrier or a neighbour's
// tone next to one of ours cannot pull it; it holds still while no pair stands clearly above
// the noise.
#pragma once

#include <vector>

namespace rtty {

class Afc {
public:
    static constexpr double PullInHz = 100;

    // binHz: width of one spectrum value.
    explicit Afc(double binHz) : binHz_(binHz) {}

    // Forgets the smoothed spectrum (when the operator retunes).
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
    std::vector<float> smoothed_;
    int held_ = 0; // spectra in smoothed_, up to SettledSpectra
    static constexpr int SettledSpectra = 10;
};

} // namespace rtty
