#include "Spectrum.h"

#include <algorithm>
#include <cmath>
#include <fftw3.h>
#include <numbers>

namespace rtty {

Spectrum::Spectrum(std::size_t hop)
    : hop_(hop), history_(Size), window_(Size), values_(Bins), power_(Bins)
{
    for (std::size_t i = 0; i < Size; ++i)
        window_[i] = float(0.5 - 0.5 * std::cos(2 * std::numbers::pi * double(i) / Size));
    input_ = fftwf_alloc_real(Size);
    output_ = fftwf_alloc_complex(Size / 2 + 1);
    plan_ = fftwf_plan_dft_r2c_1d(int(Size), input_, static_cast<fftwf_complex *>(output_),
                                  FFTW_ESTIMATE);
}

Spectrum::~Spectrum()
{
    fftwf_destroy_plan(plan_);
    fftwf_free(input_);
    fftwf_free(output_);
}

bool Spectrum::push(float sample)
{
    history_[at_] = sample;
    at_ = (at_ + 1) % Size;
    pushed_ = std::min(pushed_ + 1, Size);
    if (++sinceBlock_ < hop_)
        return false;
    sinceBlock_ = 0;
    for (std::size_t i = 0; i < Size; ++i)
        input_[i] = history_[(at_ + i) % Size] * window_[i];
    fftwf_execute(plan_);
    const auto *bins = static_cast<const fftwf_complex *>(output_);
    // A full-scale sine gives |X| = Size / 4 through the Hann window.
    const float reference = float(Size / 4) * float(Size / 4);
    for (std::size_t i = 0; i < Bins; ++i) {
        const float p = (bins[i][0] * bins[i][0] + bins[i][1] * bins[i][1]) / reference;
        power_[i] = p;
        const float centiDb = 1000.0f * std::log10(std::max(p, 1e-14f));
        values_[i] = std::int16_t(std::clamp(centiDb, -14000.0f, 2000.0f));
    }
    return true;
}

} // namespace rtty
