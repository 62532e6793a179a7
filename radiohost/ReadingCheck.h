// What the host publishes of the radio's answers: only what two reads in a row agree on. A
// serial line that corrupts an answer now and then (a flipped bit turns "FA00014085000;" into
// another frequency the radio never had, or a PTT answer into a 1) makes a value that the next
// read does not repeat; a radio that changes (the operator tunes) gives its new value on every
// read from then on. Each field is confirmed on its own: one that is not yet confirmed keeps
// the value last confirmed, or stays unknown (NA) while none was.
#pragma once

#include "RadioTexts.h"

#include <optional>

namespace radiohost {

class ReadingCheck {
public:
    // One read of the radio; the reading to publish after it, nothing while the frequency and
    // the mode are not both confirmed.
    std::optional<RadioReading> confirm(const RadioReading &read);
    // The radio stopped answering: nothing it said before counts.
    void lost();

private:
    std::optional<RadioReading> last_; // the previous read
    std::optional<double> frequencyHz_;
    std::optional<unsigned long long> mode_;
    std::optional<double> powerWatts_;
    std::optional<bool> transmitting_;
    std::optional<RadioReading> tones_; // markHz, shiftHz, tonesFromRadio as confirmed
};

} // namespace radiohost
