// Click tuning, notch and squelch values as the displays' handlers compute them.
#pragma once

#include "engine/EngineCommands.h"

#include <algorithm>
#include <cstdint>

namespace engine {

constexpr std::int16_t LowestToneHz = 300;   // lower limit of the mark tone and of the notch
constexpr std::int16_t HighestToneHz = 2700; // upper limit of the space tone and of the notch
constexpr std::int16_t HighestMarkHz = HighestToneHz - StandardShiftHz; // 2530

struct TonePair {
    std::int16_t markHz;
    std::int16_t spaceHz;
};

// The mark at the clicked frequency and the space 170 Hz above it, both kept within
// 300..2700 Hz by moving the pair as a whole.
constexpr TonePair clickTuning(std::int16_t freqHz)
{
    const std::int16_t mark = std::clamp(freqHz, LowestToneHz, HighestMarkHz);
    return {mark, std::int16_t(mark + StandardShiftHz)};
}

// A notch frequency limited to 300..2700 Hz.
constexpr std::int16_t limitNotch(int freqHz)
{
    return std::int16_t(std::clamp(freqHz, int(LowestToneHz), int(HighestToneHz)));
}

} // namespace engine
