// Automatic threshold control: turns the mark and space envelopes into one decision value,
// positive for mark. It tracks each tone's amplitude (from the envelope that leads) and the
// noise (from the one that trails). With ATC on the decision is the log-likelihood ratio of
// mark over space for two tones of those amplitudes in that noise: under selective fading the
// stronger tone counts for more, and a tone faded into the noise is read by the presence or
// absence of the other one alone. With ATC off the decision is simply mark minus space.
// Beside it, each envelope's peak and floor, for the level meter and the XY scale.
#pragma once

namespace rtty {

// The log-likelihood of an envelope r holding a tone of amplitude a in noise of per-component
// variance var, less what does not depend on a; or of the coherent sum r of `bits` bits, each
// holding the tone at amplitude a.
double toneLikelihood(double r, double a, double var, int bits = 1);

class ThresholdControl {
public:
    // samplesPerBit: of the decision rate; the trackers' time constants are set in bits.
    explicit ThresholdControl(double samplesPerBit);

    void setSamplesPerBit(double samplesPerBit);
    // Forgets the levels tracked so far.
    void reset();
    void setEnabled(bool on) { enabled_ = on; }
    bool enabled() const { return enabled_; }

    float decide(float mark, float space);

    float markPeak() const { return markPeak_; }
    float spacePeak() const { return spacePeak_; }
    float markFloor() const { return markFloor_; }
    float spaceFloor() const { return spaceFloor_; }
    float markAmplitude() const { return markAmplitude_; }
    float spaceAmplitude() const { return spaceAmplitude_; }
    // The mean square of an envelope with no tone in it.
    float noisePower() const { return noisePower_; }

private:
    void track(float value, float &peak, float &floor) const;

    bool enabled_ = true;
    float peakDecay_ = 0, floorRise_ = 0, attack_ = 0;
    float markPeak_ = 0, spacePeak_ = 0, markFloor_ = 0, spaceFloor_ = 0;
    float amplitudeGain_ = 0, noiseGain_ = 0;
    float markAmplitude_ = 0, spaceAmplitude_ = 0, noisePower_ = 0;
};

} // namespace rtty
