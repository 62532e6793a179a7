// Phase-continuous FSK with shaped keying. Takes keying in half-bit units (so that 1.5 stop
// bits are exact) and gives audio samples; the tone glides between mark and space through a
// raised-cosine transition of TransitionBits, which keeps the signal narrow.
// With nothing queued it keeps sending mark.
#pragma once

#include <complex>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace rtty {

class FskModulator {
public:
    static constexpr double TransitionBits = 0.25;

    FskModulator(double sampleRateHz, double baud, double markHz, double spaceHz,
                 float amplitude = 0.5f);

    void setTones(double markHz, double spaceHz);
    void setBaud(double baud);

    // Queues one character frame: a start bit, the 5 code bits least significant first, and
    // 1.5 stop bits.
    void queueCode(std::uint8_t code);
    // Queues steady mark for the given number of bits.
    void queueMark(double bits);
    void clear();

    // Half-bits still to be sent (those not yet begun).
    std::size_t queuedHalfBits() const { return halves_.size(); }
    // True while queued keying or a transition is still being turned into samples.
    bool busy() const { return !halves_.empty() || !settled_; }

    // Writes n samples to out.
    void generate(float *out, std::size_t n);
    // The same signal as an analytic (complex) one, for channel simulation.
    void generateAnalytic(std::complex<float> *out, std::size_t n);

private:
    // Advances one sample and gives the carrier's phase.
    double step();

    double fs_;
    double halfBitSamples_;
    double markHz_, spaceHz_;
    float amplitude_;
    std::deque<bool> halves_; // true = mark
    bool level_ = true;       // the half-bit being sent
    bool target_ = true;      // where the tone is heading
    double halfLeft_ = 0;     // samples left of the current half-bit
    double glide_ = 1;        // 0 = space .. 1 = mark, the smoothed keying
    double glideFrom_ = 1;
    double glideAt_ = 1; // progress of the current transition, 0..1
    bool settled_ = true;
    double phase_ = 0;
};

} // namespace rtty
