#include "RadioTexts.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <hamlib/rig.h>

namespace radiohost {

namespace {

std::string number(long long value)
{
    std::array<char, 24> text{};
    const auto end = std::to_chars(text.data(), text.data() + text.size(), value).ptr;
    return std::string(text.data(), end);
}

// Three digits with leading zeros, as the terminal's power field expects: 000..999.
std::string threeDigits(long long value)
{
    std::string digits = number(std::clamp<long long>(value, 0, 999));
    return std::string(3 - digits.size(), '0') + digits;
}

} // namespace

std::string frequencyText(const RadioReading &reading)
{
    std::array<char, 48> text{};
    const auto end = std::to_chars(text.data(), text.data() + text.size(),
                                   reading.frequencyHz / 1e6, std::chars_format::fixed, 6)
                         .ptr;
    return "FREQ: " + std::string(text.data(), end) + "\r\n";
}

std::string statusText(const RadioReading &reading)
{
    const std::string power =
        reading.powerWatts ? threeDigits(std::llround(*reading.powerWatts)) : std::string("NA");
    const std::string transmitting =
        reading.transmitting ? std::string(*reading.transmitting ? "1" : "0") : "NA";
    return modeName(reading.mode) + " " + number(reading.markHz) + " " +
           number(reading.markHz + reading.shiftHz) + " " + power + " " + transmitting + " 0\r\n";
}

std::string noRadioStatusText()
{
    return "NORADIO\r\n";
}

std::string modeName(unsigned long long mode)
{
    switch (mode) {
    case RIG_MODE_LSB:
        return "LSB";
    case RIG_MODE_USB:
        return "USB";
    case RIG_MODE_CW:
        return "CW";
    case RIG_MODE_CWR:
        return "CWR";
    case RIG_MODE_FM:
        return "FM";
    case RIG_MODE_AM:
        return "AM";
    case RIG_MODE_RTTY:
        return "FSK";
    case RIG_MODE_RTTYR:
        return "FSKR";
    default:
        break;
    }
    const char *hamlib = mode ? rig_strrmode(rmode_t(mode)) : nullptr;
    std::string name;
    for (const char *c = hamlib; c && *c; ++c)
        if ((*c >= '0' && *c <= '9') || (*c >= 'A' && *c <= 'Z') || (*c >= 'a' && *c <= 'z'))
            name += *c;
    return name.empty() ? "UNKNOWN" : name;
}

} // namespace radiohost
