// Automatic threshold control: turns the mark and space envelopes into one decision value,
// positive for mark. It tracks each envelope's peak and noise floor; with ATC on, each
// envelope is clipped to its range and the decision is biased by half the difference of the
// two ranges, so that a tone faded by selective fading is still sliced at its own midpoint.
// With ATC off the decision is simply mark minus space.
#pragma once

namespace rtty {

class ThresholdControl {
public:
    // samplesPerBit: of the decision rate; the trackers' time constants are set in bits.
    explicit ThresholdControl(double samplesPerBit);

    void setSamplesPerBit(double samplesPerBit);
    void setEnabled(bool on) { enabled_ = on; }
    bool enabled() const { return enabled_; }

    float decide(float mark, float space);

    float markPeak() const { return markPeak_; }
    float spacePeak() const { return spacePeak_; }
    float markFloor() const { return markFloor_; }
    float spaceFloor() const { return spaceFloor_; }

private:
    void track(float value, float &peak, float &floor) const;

    bool enabled_ = true;
    float peakDecay_ = 0, floorRise_ = 0, attack_ = 0;
    float markPeak_ = 0, spacePeak_ = 0, markFloor_ = 0, spaceFloor_ = 0;
};

} // namespace rtty
