#include "DdeProtocol.h"

#include <type_traits>

namespace ddewire {

namespace {

std::optional<std::string> name(wire::PayloadReader &in)
{
    auto text = in.text();
    if (!text || text->size() > MaxNameBytes)
        return std::nullopt;
    return text;
}

// A u8 flag, then (when set) a u16 length and the bytes.
bool optionalData(wire::PayloadReader &in, std::optional<std::vector<std::uint8_t>> &data)
{
    const auto present = in.u8();
    if (!present || *present > 1)
        return false;
    if (*present == 0)
        return true;
    const auto bytes = in.text();
    if (!bytes || bytes->size() > MaxDataBytes)
        return false;
    data = std::vector<std::uint8_t>(bytes->begin(), bytes->end());
    return true;
}

void writeData(wire::PayloadWriter &out, const std::optional<std::vector<std::uint8_t>> &data)
{
    out.u8(data ? 1 : 0);
    if (data)
        out.text(std::string(data->begin(), data->end()));
}

std::optional<Message> decodeBody(std::uint8_t type, wire::PayloadReader &in)
{
    switch (type) {
    case Connect: {
        if (!in.magic(Magic))
            return std::nullopt;
        const auto version = in.u16();
        auto service = name(in);
        auto topic = name(in);
        const auto codePage = in.u16();
        if (!version || !service || !topic || !codePage)
            return std::nullopt;
        return ConnectMsg{*version, std::move(*service), std::move(*topic), *codePage};
    }
    case Transaction: {
        TransactionMsg t{};
        const auto id = in.u32();
        const auto transactionType = in.u16();
        auto item = name(in);
        const auto format = in.u16();
        if (!id || !transactionType || !item || !format || !optionalData(in, t.data))
            return std::nullopt;
        t.id = *id;
        t.type = *transactionType;
        t.item = std::move(*item);
        t.format = *format;
        return t;
    }
    case Disconnect:
        return DisconnectMsg{};
    case ConnectReply: {
        const auto accepted = in.u8();
        if (!accepted || *accepted > 1)
            return std::nullopt;
        return ConnectReplyMsg{*accepted == 1};
    }
    case TransactionReply: {
        TransactionReplyMsg r{};
        const auto id = in.u32();
        const auto ok = in.u8();
        if (!id || !ok || *ok > 1 || !optionalData(in, r.data))
            return std::nullopt;
        r.id = *id;
        r.ok = *ok == 1;
        return r;
    }
    case AdviseData: {
        AdviseDataMsg a{};
        auto item = name(in);
        const auto format = in.u16();
        if (!item || !format || !optionalData(in, a.data))
            return std::nullopt;
        a.item = std::move(*item);
        a.format = *format;
        return a;
    }
    default:
        return std::nullopt;
    }
}

} // namespace

std::optional<Message> decode(const wire::Frame &frame)
{
    return wire::decodeWhole<Message>(frame, decodeBody);
}

std::vector<std::uint8_t> encode(const Message &message)
{
    wire::PayloadWriter out;
    std::uint8_t type = 0;
    std::visit(
        [&](const auto &m) {
            using M = std::decay_t<decltype(m)>;
            if constexpr (std::is_same_v<M, ConnectMsg>) {
                type = Connect;
                out.magic(Magic);
                out.u16(m.version).text(m.service).text(m.topic).u16(m.codePage);
            } else if constexpr (std::is_same_v<M, TransactionMsg>) {
                type = Transaction;
                out.u32(m.id).u16(m.type).text(m.item).u16(m.format);
                writeData(out, m.data);
            } else if constexpr (std::is_same_v<M, DisconnectMsg>) {
                type = Disconnect;
            } else if constexpr (std::is_same_v<M, ConnectReplyMsg>) {
                type = ConnectReply;
                out.u8(m.accepted ? 1 : 0);
            } else if constexpr (std::is_same_v<M, TransactionReplyMsg>) {
                type = TransactionReply;
                out.u32(m.id).u8(m.ok ? 1 : 0);
                writeData(out, m.data);
            } else if constexpr (std::is_same_v<M, AdviseDataMsg>) {
                type = AdviseData;
                out.text(m.item).u16(m.format);
                writeData(out, m.data);
            }
        },
        message);
    return wire::encodeFrame(type, out.payload());
}

} // namespace ddewire
