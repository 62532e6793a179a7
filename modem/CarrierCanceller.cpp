#include "CarrierCanceller.h"

namespace rtty {

CarrierCanceller::CarrierCanceller() : weights_(Taps, 0.0f), history_(DelaySamples + Taps, 0.0f) {}

float CarrierCanceller::execute(float x)
{
    const std::size_t size = history_.size();
    // The predictor's inputs: the Taps samples that are at least DelaySamples old.
    auto input = [&](std::size_t k) {
        return history_[(at_ + size - DelaySamples - 1 - k) % size];
    };
    float predicted = 0;
    for (std::size_t k = 0; k < Taps; ++k)
        predicted += weights_[k] * input(k);
    const float error = x - predicted;
    const float step = StepSize * error / (energy_ + 1e-6f);
    for (std::size_t k = 0; k < Taps; ++k)
        weights_[k] += step * input(k);

    // Slide the window: the oldest input leaves, the next one enters.
    const float leaving = input(Taps - 1);
    history_[at_] = x;
    at_ = (at_ + 1) % size;
    const float entering = input(0);
    energy_ += entering * entering - leaving * leaving;
    if (energy_ < 0)
        energy_ = 0;
    return error;
}

} // namespace rtty
