#include "EngineLinkProtocol.h"

#include <type_traits>

namespace enginelink {

namespace {

// n values of a signed type, each read with read().
template <typename T, typename Read>
bool readValues(std::vector<T> &values, std::size_t from, Read read)
{
    for (std::size_t i = from; i < values.size(); ++i) {
        const auto v = read();
        if (!v)
            return false;
        values[i] = *v;
    }
    return true;
}

std::optional<EngineMessage> decodeEngineBody(const wire::Frame &frame, wire::PayloadReader &in)
{
    switch (frame.type) {
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
        if (const auto v = in.i16())
            return CharMsg{*v};
        return std::nullopt;
    case Ptt:
        if (const auto v = in.i16())
            return PttMsg{*v};
        return std::nullopt;
    case Fft: {
        const auto overflow = in.i32();
        const auto size = in.i16();
        const auto rate = in.i16();
        if (!overflow || !size || !rate || *overflow < 0 || *size <= 0 || *size > MaxFftValues ||
            *rate <= 0)
            return std::nullopt;
        FftMsg fft{*overflow, *rate, std::vector<std::int16_t>(std::size_t(*size))};
        if (!readValues(fft.values, 0, [&] { return in.i16(); }))
            return std::nullopt;
        return fft;
    }
    case Xy: {
        const auto count = in.i32();
        if (!count || *count < 0 || *count > MaxXyPoints)
            return std::nullopt;
        XyMsg xy{std::vector<std::int32_t>(1 + 2 * std::size_t(*count))};
        xy.block[0] = *count;
        if (!readValues(xy.block, 1, [&] { return in.i32(); }))
            return std::nullopt;
        return xy;
    }
    case Status: {
        const auto count = in.i32();
        if (!count || *count < 1 || *count > MaxStatusFields)
            return std::nullopt;
        StatusMsg status{std::vector<std::int32_t>(std::size_t(*count))};
        status.record[0] = *count;
        if (!readValues(status.record, 1, [&] { return in.i32(); }))
            return std::nullopt;
        return status;
    }
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

std::optional<TerminalMessage> decodeTerminalBody(const wire::Frame &frame, wire::PayloadReader &in)
{
    switch (frame.type) {
    case TerminalHello: {
        if (!in.magic(Magic))
            return std::nullopt;
        if (const auto version = in.u16())
            return TerminalHelloMsg{*version};
        return std::nullopt;
    }
    case PostCommand: {
        const auto command = in.i32();
        const auto value = in.i32();
        if (!command || !value)
            return std::nullopt;
        return PostCommandMsg{*command, *value};
    }
    case SetSwitch:
        if (const auto v = in.i32())
            return SetSwitchMsg{*v};
        return std::nullopt;
    case SetOption:
        if (const auto v = in.i16())
            return SetOptionMsg{*v};
        return std::nullopt;
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
    wire::PayloadReader in(frame.payload);
    auto message = decodeEngineBody(frame, in);
    if (!message || !in.atEnd())
        return std::nullopt;
    return message;
}

std::optional<TerminalMessage> decodeTerminalFrame(const wire::Frame &frame)
{
    wire::PayloadReader in(frame.payload);
    auto message = decodeTerminalBody(frame, in);
    if (!message || !in.atEnd())
        return std::nullopt;
    return message;
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
                out.i32(m.overflow).i16(std::int16_t(m.values.size())).i16(m.sampleRate);
                for (std::int16_t v : m.values)
                    out.i16(v);
            } else if constexpr (std::is_same_v<M, XyMsg>) {
                type = Xy;
                for (std::int32_t v : m.block)
                    out.i32(v);
            } else if constexpr (std::is_same_v<M, StatusMsg>) {
                type = Status;
                for (std::int32_t v : m.record)
                    out.i32(v);
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
