#include "TcpLinkProtocol.h"

namespace tcplink {

namespace {

std::optional<ClientMessage> decodeBody(std::uint8_t type, wire::PayloadReader &in)
{
    switch (type) {
    case ClientHello:
        if (!in.magic(Magic))
            return std::nullopt;
        return wire::oneField<Hello>(in.u16());
    case ClientChar:
        return wire::oneField<Char>(in.i16());
    case ClientPtt:
        return wire::oneField<Ptt>(in.i16());
    case ClientFft:
        return enginelink::readFftBlock(in);
    case ClientXy:
        return enginelink::readXyBlock(in);
    case ClientStatus:
        return enginelink::readStatusBlock(in);
    case ClientProfileRequest:
        return wire::oneField<ProfileRequest>(in.i16());
    default:
        return std::nullopt;
    }
}

std::vector<std::uint8_t> frameOf(std::uint8_t type, const wire::PayloadWriter &out)
{
    return wire::encodeFrame(type, out.payload());
}

std::vector<std::uint8_t> helloFrame(Type type, std::uint16_t version)
{
    wire::PayloadWriter out;
    out.magic(Magic);
    out.u16(version);
    return frameOf(type, out);
}

} // namespace

std::optional<ClientMessage> decodeClientFrame(const wire::Frame &frame)
{
    return wire::decodeWhole<ClientMessage>(frame, decodeBody);
}

std::vector<std::uint8_t> serverHelloFrame()
{
    return helloFrame(ServerHello, Version);
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
    return helloFrame(ClientHello, version);
}

std::vector<std::uint8_t> clientShortFrame(Type type, std::int16_t value)
{
    return serverShortFrame(type, value); // the same shape both ways
}

} // namespace tcplink
