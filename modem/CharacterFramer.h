// Finds characters in the decision stream (positive = mark). A mark-to-space crossing marks a
// possible start bit; once the whole frame has arrived, the start time is chosen within half a
// bit of the crossing so that the frame's bits stand out most clearly (the start bit most
// negative, the stop bit most positive, each code bit farthest from the threshold): under
// noise the crossing itself is a poor clock, the whole frame a good one. A frame whose start
// bit reads mark or whose first stop bit reads space is no character: the search resumes just
// after its crossing, so a true start bit hidden behind a false one is still found.
// The decision stream comes from a one-bit matched filter: a bit is best read at its end in the
// raw signal, half a bit after the filtered crossing for the start bit.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace rtty {

class CharacterFramer {
public:
    explicit CharacterFramer(double samplesPerBit);

    void setSamplesPerBit(double samplesPerBit);
    void reset();

    // One decision value; a code when a whole frame has been read.
    std::optional<std::uint8_t> push(float decision);

    int framingErrors() const { return framingErrors_; }

private:
    float at(double time) const; // the decision stream between samples
    void search();
    bool evaluate(double crossing);

    double samplesPerBit_;
    std::vector<float> history_; // the last stretch of the stream, by sample index
    long long now_ = -1;         // index of the newest sample
    long long scanFrom_ = 1;     // crossings are looked for from here on
    std::optional<double> crossing_;
    std::deque<std::uint8_t> codes_;
    int framingErrors_ = 0;
};

} // namespace rtty
