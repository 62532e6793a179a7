// Finds characters in the decision stream: a mark-to-space crossing starts a frame, the start
// bit is checked at its centre, the five code bits are read at theirs (least significant
// first), and the first stop bit must be mark. Crossings are located between samples, so that
// the bit centres keep sub-sample accuracy at any baud rate.
// The decision stream comes from a one-bit matched filter, so a bit's best reading lies at its
// end in the raw signal: half a bit after the crossing of the filtered stream for the start bit.
#pragma once

#include <cstdint>
#include <optional>

namespace rtty {

class CharacterFramer {
public:
    explicit CharacterFramer(double samplesPerBit) : samplesPerBit_(samplesPerBit) {}

    void setSamplesPerBit(double samplesPerBit) { samplesPerBit_ = samplesPerBit; }
    void reset();

    // One decision value (positive = mark); a code when a whole frame has been read.
    std::optional<std::uint8_t> push(float decision);

    int framingErrors() const { return framingErrors_; }
    bool inFrame() const { return inFrame_; }

private:
    double samplesPerBit_;
    double now_ = 0;     // index of the current sample
    float previous_ = 1; // the last decision value
    bool inFrame_ = false;
    double frameStart_ = 0; // the crossing, in samples
    int nextBit_ = 0;       // 0 start, 1..5 code, 6 stop
    std::uint8_t code_ = 0;
    int framingErrors_ = 0;
};

} // namespace rtty
