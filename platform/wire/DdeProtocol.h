// The DDE transport's messages (docs/dde-transport.md): what goes over a conversation's local
// socket, decoded with full checks. Plain C++, no I/O.
#pragma once

#include "Frames.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace ddewire {

inline constexpr char Magic[4] = {'T', 'D', 'D', 'E'};
constexpr std::uint16_t Version = 1;
constexpr std::size_t MaxFrameBytes = 65535;
constexpr std::size_t MaxNameBytes = 255;
constexpr std::size_t MaxDataBytes = 60000;

enum Type : std::uint8_t {
    Connect = 0x01,          // client: magic, version, service, topic, code page
    Transaction = 0x02,      // client: id, type, item, format, data
    Disconnect = 0x04,       // either side
    ConnectReply = 0x81,     // server: accepted
    TransactionReply = 0x82, // server: id, ok, data
    AdviseData = 0x83,       // server: item, format, data (none for a warm link)
};

struct ConnectMsg {
    std::uint16_t version;
    std::string service, topic;
    std::uint16_t codePage;
};
struct TransactionMsg {
    std::uint32_t id;
    std::uint16_t type;
    std::string item;
    std::uint16_t format;
    std::optional<std::vector<std::uint8_t>> data;
};
struct DisconnectMsg {};
struct ConnectReplyMsg {
    bool accepted;
};
struct TransactionReplyMsg {
    std::uint32_t id;
    bool ok;
    std::optional<std::vector<std::uint8_t>> data;
};
struct AdviseDataMsg {
    std::string item;
    std::uint16_t format;
    std::optional<std::vector<std::uint8_t>> data;
};

using Message = std::variant<ConnectMsg, TransactionMsg, DisconnectMsg, ConnectReplyMsg,
                             TransactionReplyMsg, AdviseDataMsg>;

std::optional<Message> decode(const wire::Frame &frame);
std::vector<std::uint8_t> encode(const Message &message);

} // namespace ddewire
