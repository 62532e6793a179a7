// The spectrum for the displays: Hann-windowed FFTs (FFTW) of the latest Size samples, one
// every Hop samples, as Size / 2 values in hundredths of a dB relative to a full-scale sine
// (value i around i * sampleRate / Size Hz).
#pragma once

#include <cstdint>
#include <vector>

struct fftwf_plan_s;

namespace rtty {

class Spectrum {
public:
    static constexpr std::size_t Size = 2048;
    static constexpr std::size_t Bins = Size / 2;

    // hop: samples between two blocks (sampleRate / hop blocks a second).
    explicit Spectrum(std::size_t hop);
    ~Spectrum();
    Spectrum(const Spectrum &) = delete;
    Spectrum &operator=(const Spectrum &) = delete;

    // Takes one sample; true when a new block is ready in values().
    bool push(float sample);
    const std::vector<std::int16_t> &values() const { return values_; }
    // Linear power of the latest block, relative to a full-scale sine (1.0).
    const std::vector<float> &power() const { return power_; }
    // Whether the latest block was taken over Size samples pushed: the first blocks also hold
    // the silence before the first sample, and the edge where the sound begins splashes over
    // the whole spectrum.
    bool full() const { return pushed_ >= Size; }

private:
    std::size_t hop_;
    std::vector<float> history_; // ring of the last Size samples
    std::size_t at_ = 0, sinceBlock_ = 0, pushed_ = 0;
    std::vector<float> window_;
    float *input_;
    void *output_;
    fftwf_plan_s *plan_;
    std::vector<std::int16_t> values_;
    std::vector<float> power_;
};

} // namespace rtty
