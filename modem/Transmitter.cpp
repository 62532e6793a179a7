#include "Transmitter.h"

#include <algorithm>
#include <cmath>
#include <liquid/liquid.h>
#include <numbers>
#include <vector>

namespace rtty {

namespace {
void destroyFilter(::firfilt_rrrf_s *f)
{
    if (f)
        firfilt_rrrf_destroy(f);
}
} // namespace

Transmitter::Transmitter(double sampleRateHz, double baud, double markHz, double spaceHz)
    : fs_(sampleRateHz), markHz_(markHz), spaceHz_(spaceHz), filter_(nullptr, destroyFilter),
      modulator_(sampleRateHz, baud, markHz, spaceHz), baud_(baud),
      rampSamples_(std::max<std::size_t>(1, std::size_t(RampSeconds * sampleRateHz)))
{
    designBandpass();
}

void Transmitter::setTones(double markHz, double spaceHz)
{
    const bool moved = std::abs(markHz - markHz_) > 1 || std::abs(spaceHz - spaceHz_) > 1;
    markHz_ = markHz;
    spaceHz_ = spaceHz;
    modulator_.setTones(markHz, spaceHz);
    if (moved)
        designBandpass();
}

// A Kaiser low-pass as wide as the shift plus the keying's sidebands, moved up to the centre
// of the pair.
void Transmitter::designBandpass()
{
    const unsigned taps = 127;
    const double centreHz = 0.5 * (markHz_ + spaceHz_);
    const double halfWidthHz = 0.5 * std::abs(spaceHz_ - markHz_) + 2 * baud_ + 40;
    std::vector<float> h(taps);
    liquid_firdes_kaiser(taps, float(halfWidthHz / fs_), 60.0f, 0.0f, h.data());
    // liquid's prototype has a gain of about 1 / (2 fc) in its pass band: bring it to 1, so
    // that the filter shapes the signal without changing its level.
    double gain = 0;
    for (float tap : h)
        gain += tap;
    for (unsigned n = 0; n < taps; ++n)
        h[n] *=
            float(2 / gain *
                  std::cos(2 * std::numbers::pi * centreHz / fs_ * (double(n) - (taps - 1) / 2.0)));
    filter_.reset(firfilt_rrrf_create(h.data(), taps));
}

void Transmitter::addText(const std::string &text)
{
    for (char c : text) {
        if (c == '\b') {
            if (!buffer_.empty())
                buffer_.pop_back();
            continue;
        }
        if (c == '\n' && lastQueued_ == '\r') {
            lastQueued_ = c;
            continue; // CR LF from the terminal: the CR already brought its LF
        }
        lastQueued_ = c;
        if (c == '\r' || c == '\n') {
            buffer_.push_back('\r');
            buffer_.push_back('\n');
        } else if (!BaudotEncoder().encode(c).empty()) {
            buffer_.push_back(c);
        }
    }
}

void Transmitter::start()
{
    stopWhenSent_ = false;
    if (transmitting_) {
        ending_ = false; // rises again if it was falling
        return;
    }
    transmitting_ = true;
    rampAt_ = 0;
    // Whatever an earlier transmission sent or dropped, the receiver's shift is not known.
    encoder_.reset();
    freshShift_ = true;
    modulator_.clear();
    modulator_.queueMark(LeadInSeconds * baud_);
}

void Transmitter::stopNow()
{
    buffer_.clear();
    modulator_.clear();
    stopWhenSent_ = false;
    if (transmitting_) {
        ending_ = true;
        if (onStopNow)
            onStopNow();
    }
}

void Transmitter::queue(std::uint8_t code)
{
    modulator_.queueCode(code);
    if (onCode)
        onCode(code);
}

void Transmitter::stopWhenSent()
{
    if (transmitting_)
        stopWhenSent_ = true;
}

void Transmitter::feed()
{
    if (ending_)
        return; // the fall sends steady mark
    // Keep about two characters queued ahead, so that the keying never runs dry.
    while (modulator_.queuedHalfBits() < 2 * 15) {
        if (freshShift_) {
            freshShift_ = false;
            queue(encoder_.inFigures() ? CodeFigs : CodeLtrs);
            continue;
        }
        if (!buffer_.empty()) {
            const char c = buffer_.front();
            buffer_.pop_front();
            for (std::uint8_t code : encoder_.encode(c))
                queue(code);
            continue;
        }
        if (stopWhenSent_)
            return;
        queue(CodeLtrs); // diddle
        encoder_.reset();
    }
}

void Transmitter::generate(float *out, std::size_t n)
{
    if (!transmitting_) {
        std::fill(out, out + n, 0.0f);
        return;
    }
    feed();
    modulator_.generate(out, n);
    if (bandpass_) {
        for (std::size_t i = 0; i < n; ++i) {
            firfilt_rrrf_push(filter_.get(), out[i]);
            firfilt_rrrf_execute(filter_.get(), &out[i]);
        }
    }
    applyRamps(out, n);
    if (transmitting_ && !ending_ && stopWhenSent_ && buffer_.empty() && !modulator_.busy())
        ending_ = true;
}

void Transmitter::applyRamps(float *out, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i) {
        if (ending_ && rampAt_ == 0) {
            std::fill(out + i, out + n, 0.0f);
            transmitting_ = false;
            ending_ = false;
            stopWhenSent_ = false;
            return;
        }
        if (rampAt_ < rampSamples_ || ending_) {
            const double x = double(rampAt_) / double(rampSamples_);
            out[i] *= float(0.5 - 0.5 * std::cos(std::numbers::pi * x));
        }
        if (ending_)
            --rampAt_;
        else if (rampAt_ < rampSamples_)
            ++rampAt_;
    }
}

} // namespace rtty
