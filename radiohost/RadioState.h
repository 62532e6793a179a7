// What the host publishes of the radio, and the two texts made of it: the frequency item
// ("FREQ: 14.085300", in MHz) and the status item ("FSK 2125 2295 050 0 0": mode as the
// TS-2000 shows it, the two tones of the shift, power in watts as three digits, transmitting,
// and a reserved 0), each ending in CR LF.
#pragma once

#include <string>

namespace radiohost {

struct RadioState {
    double frequencyHz = 14085300;
    std::string mode = "FSK";
    int markHz = 2125;
    int shiftHz = 170;
    int powerWatts = 50; // 0..100
    bool transmitting = false;
};

std::string frequencyText(const RadioState &state);
std::string statusText(const RadioState &state);

} // namespace radiohost
