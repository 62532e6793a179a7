// What the host publishes of the radio: a reading, and the two texts made of it, the frequency
// item ("FREQ: 7.040000", in MHz) and the status item ("FSKR 2125 2295 035 0 0": the mode as
// one field, the two tones of the shift, the power in watts as three digits, transmitting, and
// a reserved 0), each ending in CR LF. Numbers are written the same whatever the locale. A
// value the radio did not give is written as NA, never made up; a radio that stopped answering
// is published as the mode NORADIO alone.
#pragma once

#include <optional>
#include <string>

namespace radiohost {

struct RadioReading {
    double frequencyHz = 0;
    unsigned long long mode = 0;      // Hamlib's RIG_MODE_...
    std::optional<double> powerWatts; // nothing when the radio cannot tell
    std::optional<bool> transmitting;
    int markHz = 0;
    int shiftHz = 0;
    bool tonesFromRadio = false; // read from the radio's menu, not from the settings
};

std::string frequencyText(const RadioReading &reading);
std::string statusText(const RadioReading &reading);
// The status text of a radio that has stopped answering.
std::string noRadioStatusText();

// The mode as one field of letters and digits: the TS-2000's names where it has one (LSB, USB,
// CW, CWR, FM, AM, FSK, FSKR), Hamlib's name without its separators otherwise.
std::string modeName(unsigned long long hamlibMode);

} // namespace radiohost
