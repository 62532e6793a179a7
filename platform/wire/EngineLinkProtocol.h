// The engine link's messages (docs/engine-link.md), shared by the terminal's engine control and
// the engine program: frames over the engine's standard input and output, decoded with full
// checks. Plain C++, no I/O.
#pragma once

#include "DataBlocks.h"
#include "Frames.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace enginelink {

inline constexpr char Magic[4] = {'T', 'L', 'M', 'E'};
constexpr std::uint16_t Version = 1;
// The largest frame: its type byte and the largest block (an XY block of MaxXyPoints).
constexpr std::size_t MaxFrameBytes = 1 + MaxBlockBytes;
constexpr std::size_t MaxTextBytes = 4096; // a longer text goes as several messages

enum Type : std::uint8_t {
    // terminal to engine
    TerminalHello = 0x01,
    PostCommand = 0x10,
    SetSwitch = 0x11,
    SetOption = 0x12,
    SendText = 0x13,
    SetPtt = 0x14,
    Quit = 0x1f,
    // engine to terminal
    EngineHello = 0x81,
    Char = 0x90,
    Ptt = 0x91,
    Fft = 0x92,
    Xy = 0x93,
    Status = 0x94,
    Notice = 0x95,
};

// The commands of the command message, and the values of CmdTransmitControl.
enum Command : std::int32_t {
    CmdTransmitControl = 3,
    CmdRequestParameters = 7,
    CmdBaud = 8, // baud x 100
    CmdMarkHz = 9,
    CmdSpaceHz = 10,
    CmdHamDefaults = 12,
    CmdSetup = 13,
    CmdSquelchLevel = 15, // 0..1023
    CmdNotchHz = 23,
    CmdMarkAndShift = 27, // mark Hz in the low 16 bits, shift Hz in the high 16
};

enum TransmitControl : std::int32_t {
    TxStopNow = 0,
    TxReceiveAfterSending = 1,
    TxTransmit = 2,
    TxSwitchToTransmit = 3,
    TxClearBuffer = 4,
};

// The codes of the option message.
enum Option : std::int16_t {
    OptionBeforeTransmit = 1, // the next transmission starts every character with its shift
    OptionAfterConfigure = 8, // the terminal's configuration box was closed; nothing to do
};

// The standard tones, in Hz: the engine's tones at start and the terminal's defaults.
constexpr std::int16_t StandardMarkHz = 2125;
constexpr std::int16_t StandardSpaceHz = 2295;
constexpr std::int16_t StandardShiftHz = StandardSpaceHz - StandardMarkHz;

// Why the terminal's engine control reports the engine gone.
enum Disconnection : std::int16_t {
    DisconnectNotStopped = 0, // a running engine could not be stopped
    DisconnectNotStarted = 2, // could not be started, did not greet in time, or broke the link
                              // before greeting
    DisconnectEngineLost = 3, // a connected engine ended by itself or broke the link
};

// Engine to terminal.
struct Hello {
    std::uint16_t version;
    std::string versionText;
    std::int32_t demodSampleRate;
};
struct CharMsg {
    std::int16_t code;
};
struct PttMsg {
    std::int16_t transmitting;
};
struct FftMsg {
    std::int32_t overflow;
    std::int16_t sampleRate;
    std::vector<std::int16_t> values;
};
using XyMsg = XyBlock;
using StatusMsg = StatusBlock;
// How the engine's edges (sound input and output, PTT) stand. fault 1: text says what is wrong,
// for the terminal's status panel; fault 0: all works again, and text replaces the hello's
// version text.
struct NoticeMsg {
    std::uint8_t fault;
    std::string text;
};
using EngineMessage = std::variant<Hello, CharMsg, PttMsg, FftMsg, XyMsg, StatusMsg, NoticeMsg>;

// Terminal to engine.
struct TerminalHelloMsg {
    std::uint16_t version;
};
struct PostCommandMsg {
    std::int32_t command, value;
};
struct SetSwitchMsg {
    std::int32_t word;
};
struct SetOptionMsg {
    std::int16_t option;
};
struct SendTextMsg {
    std::string text;
}; // Latin-1
struct SetPttMsg {
    bool on;
};
struct QuitMsg {};
using TerminalMessage = std::variant<TerminalHelloMsg, PostCommandMsg, SetSwitchMsg, SetOptionMsg,
                                     SendTextMsg, SetPttMsg, QuitMsg>;

// The message a frame carries; nothing when the frame is not a valid message of its direction.
std::optional<EngineMessage> decodeEngineFrame(const wire::Frame &frame);
std::optional<TerminalMessage> decodeTerminalFrame(const wire::Frame &frame);

std::vector<std::uint8_t> encode(const EngineMessage &message);
std::vector<std::uint8_t> encode(const TerminalMessage &message);

} // namespace enginelink
