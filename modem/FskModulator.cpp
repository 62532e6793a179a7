#include "FskModulator.h"

#include <cmath>
#include <numbers>

namespace rtty {

FskModulator::FskModulator(double sampleRateHz, double baud, double markHz, double spaceHz,
                           float amplitude)
    : fs_(sampleRateHz), halfBitSamples_(sampleRateHz / baud / 2), markHz_(markHz),
      spaceHz_(spaceHz), amplitude_(amplitude)
{
}

void FskModulator::setTones(double markHz, double spaceHz)
{
    markHz_ = markHz;
    spaceHz_ = spaceHz;
}

void FskModulator::setBaud(double baud)
{
    halfBitSamples_ = fs_ / baud / 2;
}

void FskModulator::queueCode(std::uint8_t code)
{
    auto bit = [this](bool mark) {
        halves_.push_back(mark);
        halves_.push_back(mark);
    };
    bit(false);
    for (int i = 0; i < 5; ++i)
        bit((code >> i) & 1);
    for (int i = 0; i < 3; ++i)
        halves_.push_back(true);
}

void FskModulator::queueMark(double bits)
{
    for (int i = 0; i < int(std::lround(bits * 2)); ++i)
        halves_.push_back(true);
}

void FskModulator::clear()
{
    halves_.clear();
}

double FskModulator::step()
{
    // Each transition is centred on the boundary between two half-bits, so that bits keep
    // their full width at their centres.
    const double transitionSamples = std::max(1.0, TransitionBits * 2 * halfBitSamples_);
    if (halfLeft_ <= 0) {
        if (!halves_.empty()) {
            level_ = halves_.front();
            halves_.pop_front();
        } else {
            level_ = true;
        }
        halfLeft_ += halfBitSamples_;
    }
    halfLeft_ -= 1;
    const bool next = halves_.empty() ? true : halves_.front();
    const bool wanted = halfLeft_ < transitionSamples / 2 ? next : level_;
    if (wanted != target_) {
        target_ = wanted;
        glideFrom_ = glide_;
        glideAt_ = 0;
        settled_ = false;
    }
    if (!settled_) {
        glideAt_ += 1 / transitionSamples;
        if (glideAt_ >= 1) {
            glideAt_ = 1;
            settled_ = true;
        }
        const double shape = 0.5 - 0.5 * std::cos(std::numbers::pi * glideAt_);
        glide_ = glideFrom_ + ((target_ ? 1.0 : 0.0) - glideFrom_) * shape;
    }
    const double hz = spaceHz_ + (markHz_ - spaceHz_) * glide_;
    phase_ += 2 * std::numbers::pi * hz / fs_;
    if (phase_ > 2 * std::numbers::pi)
        phase_ -= 2 * std::numbers::pi;
    return phase_;
}

void FskModulator::generate(float *out, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i)
        out[i] = amplitude_ * float(std::sin(step()));
}

void FskModulator::generateAnalytic(std::complex<float> *out, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i)
        out[i] = amplitude_ * std::polar(1.0f, float(step() - std::numbers::pi / 2));
}

} // namespace rtty
