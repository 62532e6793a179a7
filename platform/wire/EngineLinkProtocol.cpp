#include "EngineLinkProtocol.h"

#include <type_traits>

namespace enginelink {

namespace {

std::optional<EngineMessage> decodeEngineBody(std::uint8_t type, wire::PayloadReader &in)
{
    switch (type) {
    case EngineHello: {
        if (!in.magic(Magic))
            return std::nullopt;
        const auto version = in.u16();
        auto text = in.text();
        const auto rate = in.i32();
        if (!version || !text || !rate || *rate <= 0 || *rate > 32767)
            return std::nullopt;
        return Hello{*version, std::move(*text), *rate};
    }
    case Char:
        return wire::oneField<CharMsg>(in.i16());
    case Ptt:
        return wire::oneField<PttMsg>(in.i16());
    case Fft: {
        const auto overflow = in.i32();
        auto fft = readFftBlock(in);
        if (!overflow || *overflow < 0 || !fft)
            return std::nullopt;
        return FftMsg{*overflow, fft->sampleRate, std::move(fft->values)};
    }
    case Xy:
        return readXyBlock(in);
    case Status:
        return readStatusBlock(in);
    case Notice: {
        const auto fault = in.u8();
        auto text = in.text();
        if (!fault || *fault > 1 || !text)
            return std::nullopt;
        return NoticeMsg{*fault, std::move(*text)};
    }
    default:
        return std::nullopt;
    }
}

std::optional<TerminalMessage> decodeTerminalBody(std::uint8_t type, wire::PayloadReader &in)
{
    switch (type) {
    case TerminalHello: {
        if (!in.magic(Magic))
            return std::nullopt;
        return wire::oneField<TerminalHelloMsg>(in.u16());
    }
    case PostCommand: {
        const auto command = in.i32();
        const auto value = in.i32();
        if (!command || !value)
            return std::nullopt;
        return PostCommandMsg{*command, *value};
    }
    case SetSwitch:
        return wire::oneField<SetSwitchMsg>(in.i32());
    case SetOption:
        return wire::oneField<SetOptionMsg>(in.i16());
    case SendText: {
        auto text = in.text();
        if (!text || text->size() > MaxTextBytes)
            return std::nullopt;
        return SendTextMsg{std::move(*text)};
    }
    case SetPtt: {
        const auto v = in.u8();
        if (!v || *v > 1)
            return std::nullopt;
        return SetPttMsg{*v == 1};
    }
    case Quit:
        return QuitMsg{};
    default:
        return std::nullopt;
    }
}

} // namespace

std::optional<EngineMessage> decodeEngineFrame(const wire::Frame &frame)
{
    return wire::decodeWhole<EngineMessage>(frame, decodeEngineBody);
}

std::optional<TerminalMessage> decodeTerminalFrame(const wire::Frame &frame)
{
    return wire::decodeWhole<TerminalMessage>(frame, decodeTerminalBody);
}

std::vector<std::uint8_t> encode(const EngineMessage &message)
{
    wire::PayloadWriter out;
    std::uint8_t type = 0;
    std::visit(
        [&](const auto &m) {
            using M = std::decay_t<decltype(m)>;
            if constexpr (std::is_same_v<M, Hello>) {
                type = EngineHello;
                out.magic(Magic);
                out.u16(m.version).text(m.versionText).i32(m.demodSampleRate);
            } else if constexpr (std::is_same_v<M, CharMsg>) {
                type = Char;
                out.i16(m.code);
            } else if constexpr (std::is_same_v<M, PttMsg>) {
                type = Ptt;
                out.i16(m.transmitting);
            } else if constexpr (std::is_same_v<M, FftMsg>) {
                type = Fft;
                out.i32(m.overflow);
                writeFftBlock(out, m.sampleRate, m.values);
            } else if constexpr (std::is_same_v<M, XyMsg>) {
                type = Xy;
                writeIntBlock(out, m.block);
            } else if constexpr (std::is_same_v<M, StatusMsg>) {
                type = Status;
                writeIntBlock(out, m.record);
            } else if constexpr (std::is_same_v<M, NoticeMsg>) {
                type = Notice;
                out.u8(m.fault).text(m.text);
            }
        },
        message);
    return wire::encodeFrame(type, out.payload());
}

std::vector<std::uint8_t> encode(const TerminalMessage &message)
{
    wire::PayloadWriter out;
    std::uint8_t type = 0;
    std::visit(
        [&](const auto &m) {
            using M = std::decay_t<decltype(m)>;
            if constexpr (std::is_same_v<M, TerminalHelloMsg>) {
                type = TerminalHello;
                out.magic(Magic);
                out.u16(m.version);
            } else if constexpr (std::is_same_v<M, PostCommandMsg>) {
                type = PostCommand;
                out.i32(m.command).i32(m.value);
            } else if constexpr (std::is_same_v<M, SetSwitchMsg>) {
                type = SetSwitch;
                out.i32(m.word);
            } else if constexpr (std::is_same_v<M, SetOptionMsg>) {
                type = SetOption;
                out.i16(m.option);
            } else if constexpr (std::is_same_v<M, SendTextMsg>) {
                type = SendText;
                out.text(m.text);
            } else if constexpr (std::is_same_v<M, SetPttMsg>) {
                type = SetPtt;
                out.u8(m.on ? 1 : 0);
            } else if constexpr (std::is_same_v<M, QuitMsg>) {
                type = Quit;
            }
        },
        message);
    return wire::encodeFrame(type, out.payload());
}

} // namespace enginelink
