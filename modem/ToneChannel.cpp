#include "ToneChannel.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <liquid/liquid.h>
#include <numbers>

namespace rtty {

namespace {
constexpr unsigned DecimatorSemiLength = 8; // the decimator spans 2 x 8 outputs
} // namespace

ToneChannel::ToneChannel(double sampleRateHz, unsigned decimation, double toneHz, double baud)
    : fs_(sampleRateHz), decimation_(decimation), nco_(nco_crcf_create(LIQUID_VCO)),
      decimator_(firdecim_crcf_create_kaiser(decimation, DecimatorSemiLength, 60.0f)),
      mixed_(decimation), delay_(decimation * DecimatorSemiLength)
{
    setTone(toneHz);
    setBaud(baud);
}

ToneChannel::~ToneChannel()
{
    nco_crcf_destroy(nco_);
    firdecim_crcf_destroy(decimator_);
}

void ToneChannel::setTone(double toneHz)
{
    nco_crcf_set_frequency(nco_, float(2 * std::numbers::pi * toneHz / fs_));
    step_ = double(nco_crcf_get_frequency(nco_));
}

void ToneChannel::setBaud(double baud)
{
    const double rate = fs_ / decimation_;
    const auto length = std::size_t(std::max(1.0, std::round(rate / baud)));
    history_.assign(length, {});
    at_ = 0;
    sum_ = {};
}

void ToneChannel::reset()
{
    firdecim_crcf_reset(decimator_);
    std::fill(history_.begin(), history_.end(), std::complex<float>{});
    at_ = 0;
    sum_ = {};
}

std::complex<float> ToneChannel::execute(const float *in)
{
    for (unsigned i = 0; i < decimation_; ++i) {
        nco_crcf_mix_down(nco_, std::complex<float>(in[i], 0), &mixed_[i]);
        nco_crcf_step(nco_);
    }
    std::complex<float> y;
    firdecim_crcf_execute(decimator_, mixed_.data(), &y);
    // The NCO now holds the phase for the next input sample; the output stands for the input
    // at the decimator's centre tap.
    referencePhase_ = double(nco_crcf_get_phase(nco_)) - double(delay_ + 1) * step_;

    // Moving sum over one bit; recomputed now and then so rounding cannot accumulate.
    sum_ += std::complex<double>(y) - std::complex<double>(history_[at_]);
    history_[at_] = y;
    at_ = (at_ + 1) % history_.size();
    if (++sinceRefresh_ >= 4096) {
        sinceRefresh_ = 0;
        sum_ = {};
        for (const auto &v : history_)
            sum_ += std::complex<double>(v);
    }
    return std::complex<float>(sum_ / double(history_.size()));
}

} // namespace rtty
