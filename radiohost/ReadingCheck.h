// What the host publishes of the radio's answers: only what Reads reads in a row agree on. A
// serial line that corrupts an answer now and then (a flipped bit turns "FA00014085000;" into
// another frequency the radio never had, or a PTT answer into a 1) makes a value that the next
// reads do not repeat (on a line flipping a bit in 3% of the bytes, two reads in a row were
// seen to give the same wrong frequency, 7.0401 MHz for 7.0400, within 12 s of polling every
// 100 ms; a third read in agreement is as unlikely again); a radio that changes (the operator
// tunes) gives its new value on every read from then on. Each field
// is confirmed on its own: one that is not yet confirmed keeps the value last confirmed, or
// stays unknown (NA) while none was.
#pragma once

#include "RadioTexts.h"

#include <deque>
#include <optional>

namespace radiohost {

class ReadingCheck {
public:
    static constexpr int Reads = 3;

    // One read of the radio; the reading to publish after it, nothing while the frequency and
    // the mode are not both confirmed.
    std::optional<RadioReading> confirm(const RadioReading &read);
    // The radio stopped answering: nothing it said before counts.
    void lost();

private:
    std::deque<RadioReading> before_; // the reads before this one, the latest last
    std::optional<double> frequencyHz_;
    std::optional<unsigned long long> mode_;
    std::optional<double> powerWatts_;
    std::optional<bool> transmitting_;
    std::optional<RadioReading> tones_; // markHz, shiftHz, tonesFromRadio as confirmed
};

} // namespace radiohost
