#include "RadioState.h"

#include <algorithm>
#include <cstdio>

namespace radiohost {

std::string frequencyText(const RadioState &state)
{
    char text[64];
    std::snprintf(text, sizeof text, "FREQ: %.6f\r\n", state.frequencyHz / 1e6);
    return text;
}

std::string statusText(const RadioState &state)
{
    char text[96];
    std::snprintf(text, sizeof text, "%s %d %d %03d %d 0\r\n", state.mode.c_str(), state.markHz,
                  state.markHz + state.shiftHz, std::clamp(state.powerWatts, 0, 100),
                  state.transmitting ? 1 : 0);
    return text;
}

} // namespace radiohost
