// The TCP link's messages (docs/tcp-link.md): what a client may send the terminal, decoded
// from frames with full checks, and the frames the terminal sends. Plain C++, no I/O.
#pragma once

#include "DataBlocks.h"
#include "Frames.h"

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace tcplink {

inline constexpr char Magic[4] = {'T', 'L', 'M', 'T'};
constexpr std::uint16_t Version = 1;
constexpr std::uint16_t DefaultPort = 52741;                         // on 127.0.0.1 only
constexpr std::size_t MaxFrameBytes = 1 + enginelink::MaxBlockBytes; // the largest block

enum Type : std::uint8_t {
    // client to terminal
    ClientHello = 0x01,
    ClientChar = 0x10,
    ClientPtt = 0x11,
    ClientFft = 0x12,
    ClientXy = 0x13,
    ClientStatus = 0x14,
    ClientProfileRequest = 0x15,
    // terminal to client
    ServerHello = 0x81,
    ServerChar = 0x90,
    ServerCode = 0x91,
    ServerValue = 0x92,
    ServerProfileName = 0x93,
};

struct Hello {
    std::uint16_t version;
};
struct Char {
    std::int16_t code;
};
struct Ptt {
    std::int16_t transmitting;
};
using Fft = enginelink::FftBlock;
using Xy = enginelink::XyBlock;
using Status = enginelink::StatusBlock;
struct ProfileRequest {
    std::int16_t profile;
};

using ClientMessage = std::variant<Hello, Char, Ptt, Fft, Xy, Status, ProfileRequest>;

// The message a client's frame carries; nothing when the frame is not a valid message.
std::optional<ClientMessage> decodeClientFrame(const wire::Frame &frame);

// Frames sent by the terminal.
std::vector<std::uint8_t> serverHelloFrame();
std::vector<std::uint8_t> serverShortFrame(Type type, std::int16_t value);
std::vector<std::uint8_t> serverProfileNameFrame(std::int16_t profile, const std::string &name);

// Frames sent by a client (for clients and tests).
std::vector<std::uint8_t> clientHelloFrame(std::uint16_t version = Version);
std::vector<std::uint8_t> clientShortFrame(Type type, std::int16_t value);

} // namespace tcplink
