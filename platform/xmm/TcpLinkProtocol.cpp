#include "TcpLinkProtocol.h"

#include "DataBlocks.h"

namespace tcplink {

namespace {

std::optional<ClientMessage> decodeFft(wire::PayloadReader &in)
{
    const auto size = in.i16();
    const auto rate = in.i16();
    if (!size || !rate || *size <= 0 || *size > enginelink::MaxFftValues || *rate <= 0)
        return std::nullopt;
    Fft fft{*rate, std::vector<std::int16_t>(std::size_t(*size))};
    for (auto &value : fft.values) {
        const auto v = in.i16();
        if (!v)
            return std::nullopt;
        value = *v;
    }
    return fft;
}

std::optional<ClientMessage> decodeXy(wire::PayloadReader &in)
{
    const auto count = in.i32();
    if (!count || *count < 0 || *count > enginelink::MaxXyPoints)
        return std::nullopt;
    Xy xy{std::vector<std::int32_t>(1 + 2 * std::size_t(*count))};
    xy.block[0] = *count;
    for (std::size_t i = 1; i < xy.block.size(); ++i) {
        const auto v = in.i32();
        if (!v)
            return std::nullopt;
        xy.block[i] = *v;
    }
    return xy;
}

std::optional<ClientMessage> decodeStatus(wire::PayloadReader &in)
{
    const auto count = in.i32();
    if (!count || *count < 1 || *count > enginelink::MaxStatusFields)
        return std::nullopt;
    Status status{std::vector<std::int32_t>(std::size_t(*count))};
    status.record[0] = *count;
    for (std::size_t i = 1; i < status.record.size(); ++i) {
        const auto v = in.i32();
        if (!v)
            return std::nullopt;
        status.record[i] = *v;
    }
    return status;
}

std::optional<ClientMessage> decodeBody(const wire::Frame &frame, wire::PayloadReader &in)
{
    switch (frame.type) {
    case ClientHello: {
        if (!in.magic(Magic))
            return std::nullopt;
        const auto version = in.u16();
        if (!version)
            return std::nullopt;
        return Hello{*version};
    }
    case ClientChar:
        if (const auto v = in.i16())
            return Char{*v};
        return std::nullopt;
    case ClientPtt:
        if (const auto v = in.i16())
            return Ptt{*v};
        return std::nullopt;
    case ClientFft:
        return decodeFft(in);
    case ClientXy:
        return decodeXy(in);
    case ClientStatus:
        return decodeStatus(in);
    case ClientProfileRequest:
        if (const auto v = in.i16())
            return ProfileRequest{*v};
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

std::vector<std::uint8_t> frameOf(std::uint8_t type, const wire::PayloadWriter &out)
{
    return wire::encodeFrame(type, out.payload());
}

} // namespace

std::optional<ClientMessage> decodeClientFrame(const wire::Frame &frame)
{
    wire::PayloadReader in(frame.payload);
    auto message = decodeBody(frame, in);
    // A message carries exactly its fields: trailing bytes make it malformed.
    if (!message || !in.atEnd())
        return std::nullopt;
    return message;
}

std::vector<std::uint8_t> serverHelloFrame()
{
    wire::PayloadWriter out;
    out.magic(Magic);
    out.u16(Version);
    return frameOf(ServerHello, out);
}

std::vector<std::uint8_t> serverShortFrame(Type type, std::int16_t value)
{
    return frameOf(type, wire::PayloadWriter().i16(value));
}

std::vector<std::uint8_t> serverProfileNameFrame(std::int16_t profile, const std::string &name)
{
    return frameOf(ServerProfileName, wire::PayloadWriter().i16(profile).text(name));
}

std::vector<std::uint8_t> clientHelloFrame(std::uint16_t version)
{
    wire::PayloadWriter out;
    out.magic(Magic);
    out.u16(version);
    return frameOf(ClientHello, out);
}

std::vector<std::uint8_t> clientShortFrame(Type type, std::int16_t value)
{
    return frameOf(type, wire::PayloadWriter().i16(value));
}

} // namespace tcplink
