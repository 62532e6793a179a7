// The switch words of the engine link (docs/engine-link.md), one definition for the terminal's
// buttons, the engine library that carries them, and the engine that applies them. A word with
// bit 2 (4) set switches a function on, one with bit 1 (2) set switches it off; the bits above
// name the function, none of them naming AFC. The words the buttons send besides: 0 (release),
// -8 and 8196 (notch on and off), -128 (everything off but AFC).
#pragma once

#include <cstdint>

namespace enginelink {

// The functions' bits.
enum SwitchBit : std::int32_t {
    SwitchBitAfc = 0,
    SwitchBitNet = 8,   // transmit tones follow the receive tones
    SwitchBitAtc = 16,  // automatic threshold control
    SwitchBitBpf = 32,  // band-pass filter on the transmitted audio
    SwitchBitLms = 64,  // adaptive filter against steady carriers
    SwitchBitSql = 128, // squelch
    SwitchBitRev = 256, // mark and space swapped on receive
    SwitchBitUos = 512, // unshift on space
    SwitchBitNotch = 8192,
};

constexpr std::int32_t SwitchOnMark = 4;
constexpr std::int32_t SwitchOffMark = 2;

constexpr std::int32_t switchOn(SwitchBit bit)
{
    return SwitchOnMark | bit;
}
constexpr std::int32_t switchOff(SwitchBit bit)
{
    return SwitchOffMark | bit;
}

// The words the terminal's buttons send.
constexpr std::int32_t SwitchRelease = 0; // off: the function of the button released
constexpr std::int32_t SwitchAfc = switchOn(SwitchBitAfc);            // 4
constexpr std::int32_t SwitchNet = switchOn(SwitchBitNet);            // 12
constexpr std::int32_t SwitchAtc = switchOn(SwitchBitAtc);            // 20
constexpr std::int32_t SwitchTxBandpass = switchOn(SwitchBitBpf);     // 36
constexpr std::int32_t SwitchLms = switchOn(SwitchBitLms);            // 68
constexpr std::int32_t SwitchSquelch = switchOn(SwitchBitSql);        // 132
constexpr std::int32_t SwitchReverse = switchOn(SwitchBitRev);        // 260
constexpr std::int32_t SwitchUnshiftOnSpace = switchOn(SwitchBitUos); // 516
constexpr std::int32_t SwitchNotchOn = -8;
constexpr std::int32_t SwitchNotchOff = 8196;
constexpr std::int32_t SwitchResetAll = -128; // every function off but AFC

} // namespace enginelink
