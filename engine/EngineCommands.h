// The engine's command codes, switch words and command lines as the terminal sends them, and
// MakeLong, which packs two 16-bit command values into one.
#pragma once

#include "EngineLinkProtocol.h"
#include "SwitchWords.h"

#include <cstdint>

// Packs low into the low 16 bits and high into the high 16 bits.
constexpr std::int32_t MakeLong(std::uint16_t low, std::uint16_t high)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(low) |
                                     (static_cast<std::uint32_t>(high) << 16));
}

namespace engine {

// PostCommand codes and the transmit-control values: the engine link's own (enginelink).
using enum enginelink::Command;
using enum enginelink::TransmitControl;

// SetOption codes: the engine link's own (enginelink).
using enum enginelink::Option;

// Switch words sent by the demodulator's buttons: the engine link's own (enginelink).
using enginelink::SwitchAfc;
using enginelink::SwitchAtc;
using enginelink::SwitchLms;
using enginelink::SwitchNet;
using enginelink::SwitchNotchOff;
using enginelink::SwitchNotchOn;
using enginelink::SwitchResetAll;
using enginelink::SwitchReverse;
using enginelink::SwitchSquelch;
using enginelink::SwitchTxBandpass;
using enginelink::SwitchUnshiftOnSpace;
constexpr std::int32_t SwitchOff = enginelink::SwitchRelease;

using enginelink::DisconnectEngineLost;
using enginelink::StandardMarkHz;
using enginelink::StandardShiftHz;
using enginelink::StandardSpaceHz;

// Command lines written to InvokeCommand.
inline constexpr char EngineForTerminal[] = "MMTTY.EXE -m";
inline constexpr char EngineOnItsOwn[] = "MMTTY.EXE ";

// The TCP link's greeting to a new connection: SendCode(n, 241), then SendValue(n, 0).
constexpr std::int16_t TcpGreetingCode = 241;
constexpr std::int16_t TcpGreetingValue = 0;

} // namespace engine
