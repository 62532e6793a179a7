// Length-prefixed frames, the wire format of the terminal's links (TCP link, engine link):
//
//   u16 length (little-endian, the bytes that follow: type and payload), u8 type, payload
//
// FrameReader takes bytes as they arrive and hands out whole frames; a length of 0 or above
// its limit is a protocol error, after which the reader stays failed. PayloadReader and
// PayloadWriter read and write the little-endian fields of a payload with bounds checks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace wire {

struct Frame {
    std::uint8_t type = 0;
    std::vector<std::uint8_t> payload;
};

class FrameReader {
public:
    explicit FrameReader(std::size_t maxFrameBytes) : max_(maxFrameBytes) {}

    // Appends bytes; false once the stream has broken the format.
    bool feed(std::span<const std::uint8_t> bytes);
    // The next whole frame, if one has arrived.
    std::optional<Frame> next();

    bool failed() const { return failed_; }
    // Bytes received that do not yet make a whole frame.
    std::size_t pending() const { return buffer_.size() - start_; }

private:
    std::size_t max_;
    std::vector<std::uint8_t> buffer_;
    std::size_t start_ = 0;
    bool failed_ = false;
};

class PayloadWriter {
public:
    PayloadWriter &u8(std::uint8_t v);
    PayloadWriter &i16(std::int16_t v);
    PayloadWriter &u16(std::uint16_t v);
    PayloadWriter &i32(std::int32_t v);
    PayloadWriter &u32(std::uint32_t v) { return i32(std::int32_t(v)); }
    PayloadWriter &bytes(std::span<const std::uint8_t> v);
    PayloadWriter &text(const std::string &v);   // u16 length, then the bytes
    PayloadWriter &magic(const char (&four)[4]); // a protocol's four identifying bytes
    const std::vector<std::uint8_t> &payload() const { return out_; }

private:
    std::vector<std::uint8_t> out_;
};

class PayloadReader {
public:
    explicit PayloadReader(std::span<const std::uint8_t> payload) : in_(payload) {}

    // Each read fails (nothing, and the reader stays failed) past the end of the payload.
    std::optional<std::uint8_t> u8();
    std::optional<std::int16_t> i16();
    std::optional<std::uint16_t> u16();
    std::optional<std::int32_t> i32();
    std::optional<std::uint32_t> u32()
    {
        const auto v = i32();
        return v ? std::optional<std::uint32_t>(std::uint32_t(*v)) : std::nullopt;
    }
    std::optional<std::string> text();
    bool magic(const char (&four)[4]); // true when the next four bytes are these
    std::size_t remaining() const { return failed_ ? 0 : in_.size() - at_; }
    bool atEnd() const { return !failed_ && at_ == in_.size(); }

private:
    bool take(std::size_t n);

    std::span<const std::uint8_t> in_;
    std::size_t at_ = 0;
    bool failed_ = false;
};

// The message of a frame when `body(type, reader)` reads its payload to the end; nothing when it
// cannot, or when bytes are left over (a message carries exactly its fields).
template <typename Message, typename Body>
std::optional<Message> decodeWhole(const Frame &frame, Body body)
{
    PayloadReader in(frame.payload);
    std::optional<Message> message = body(frame.type, in);
    if (!message || !in.atEnd())
        return std::nullopt;
    return message;
}

// A message of one field, from that field's read.
template <typename Message, typename T> std::optional<Message> oneField(std::optional<T> value)
{
    if (!value)
        return std::nullopt;
    return Message{*value};
}

// A whole frame, ready to send. The payload must fit the 16-bit length with the type byte.
std::vector<std::uint8_t> encodeFrame(std::uint8_t type, std::span<const std::uint8_t> payload);

} // namespace wire
