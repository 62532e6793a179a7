// The LMS filter: an adaptive linear predictor (normalised LMS) that learns what in the audio
// repeats itself over a long span, a steady carrier, and takes it away. A carrier that stays
// put is cancelled within a fraction of a second; keyed RTTY tones, which change every few
// bits, are partly predicted too and come out about 5 dB weaker, but both tones alike, so
// the bit decisions, which compare them, read them as before.
#pragma once

#include <vector>

namespace rtty {

class CarrierCanceller {
public:
    static constexpr std::size_t Taps = 32;
    static constexpr std::size_t DelaySamples = 48; // decorrelates the noise, not the carrier
    static constexpr float StepSize = 0.002f;       // normalised
    // How long a steady carrier takes to be 20 dB down with StepSize.
    static constexpr double ConvergenceSeconds = 0.25;

    CarrierCanceller();
    float execute(float x);

private:
    std::vector<float> weights_;
    std::vector<float> history_; // DelaySamples + Taps past inputs, newest last in ring order
    std::size_t at_ = 0;
    float energy_ = 0; // sum of squares of the Taps inputs the predictor sees
};

} // namespace rtty
