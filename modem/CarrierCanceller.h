// The LMS filter: an adaptive linear predictor (normalised LMS) that learns what in the audio
// repeats itself over a long span, a steady carrier, and takes it away. It adapts slowly (over
// about a second), so keyed RTTY tones, which change every few bits, are left mostly as they
// are while a carrier that stays put is cancelled.
#pragma once

#include <vector>

namespace rtty {

class CarrierCanceller {
public:
    static constexpr std::size_t Taps = 32;
    static constexpr std::size_t DelaySamples = 48; // decorrelates the noise, not the carrier
    static constexpr float StepSize = 0.002f;       // normalised: about a second to converge

    CarrierCanceller();
    float execute(float x);

private:
    std::vector<float> weights_;
    std::vector<float> history_; // DelaySamples + Taps past inputs, newest last in ring order
    std::size_t at_ = 0;
    float energy_ = 0; // sum of squares of the Taps inputs the predictor sees
};

} // namespace rtty
