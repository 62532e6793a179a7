#include "Frames.h"

#include <stdexcept>

namespace wire {

bool FrameReader::feed(std::span<const std::uint8_t> bytes)
{
    if (failed_)
        return false;
    // Drop what has been handed out before growing the buffer.
    if (start_ > 0 && start_ >= buffer_.size() / 2) {
        buffer_.erase(buffer_.begin(), buffer_.begin() + std::ptrdiff_t(start_));
        start_ = 0;
    }
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
    return true;
}

std::optional<Frame> FrameReader::next()
{
    if (failed_ || pending() < 2)
        return std::nullopt;
    const std::size_t length =
        std::size_t(buffer_[start_]) | (std::size_t(buffer_[start_ + 1]) << 8);
    if (length == 0 || length > max_) {
        failed_ = true;
        return std::nullopt;
    }
    if (pending() < 2 + length)
        return std::nullopt;
    Frame frame;
    frame.type = buffer_[start_ + 2];
    frame.payload.assign(buffer_.begin() + std::ptrdiff_t(start_ + 3),
                         buffer_.begin() + std::ptrdiff_t(start_ + 2 + length));
    start_ += 2 + length;
    if (start_ == buffer_.size()) {
        buffer_.clear();
        start_ = 0;
    }
    return frame;
}

PayloadWriter &PayloadWriter::u8(std::uint8_t v)
{
    out_.push_back(v);
    return *this;
}

PayloadWriter &PayloadWriter::u16(std::uint16_t v)
{
    out_.push_back(std::uint8_t(v & 0xff));
    out_.push_back(std::uint8_t(v >> 8));
    return *this;
}

PayloadWriter &PayloadWriter::i16(std::int16_t v)
{
    return u16(std::uint16_t(v));
}

PayloadWriter &PayloadWriter::i32(std::int32_t v)
{
    const auto u = std::uint32_t(v);
    for (int shift = 0; shift < 32; shift += 8)
        out_.push_back(std::uint8_t((u >> shift) & 0xff));
    return *this;
}

PayloadWriter &PayloadWriter::bytes(std::span<const std::uint8_t> v)
{
    out_.insert(out_.end(), v.begin(), v.end());
    return *this;
}

PayloadWriter &PayloadWriter::text(const std::string &v)
{
    u16(std::uint16_t(v.size()));
    out_.insert(out_.end(), v.begin(), v.end());
    return *this;
}

bool PayloadReader::take(std::size_t n)
{
    if (failed_ || in_.size() - at_ < n) {
        failed_ = true;
        return false;
    }
    return true;
}

PayloadWriter &PayloadWriter::magic(const char (&four)[4])
{
    for (char c : four)
        out_.push_back(std::uint8_t(c));
    return *this;
}

bool PayloadReader::magic(const char (&four)[4])
{
    for (char expected : four) {
        const auto byte = u8();
        if (!byte || *byte != std::uint8_t(expected))
            return false;
    }
    return true;
}

std::optional<std::uint8_t> PayloadReader::u8()
{
    if (!take(1))
        return std::nullopt;
    return in_[at_++];
}

std::optional<std::uint16_t> PayloadReader::u16()
{
    if (!take(2))
        return std::nullopt;
    const auto v = std::uint16_t(in_[at_] | (in_[at_ + 1] << 8));
    at_ += 2;
    return v;
}

std::optional<std::int16_t> PayloadReader::i16()
{
    const auto v = u16();
    if (!v)
        return std::nullopt;
    return std::int16_t(*v);
}

std::optional<std::int32_t> PayloadReader::i32()
{
    if (!take(4))
        return std::nullopt;
    std::uint32_t u = 0;
    for (int i = 0; i < 4; ++i)
        u |= std::uint32_t(in_[at_ + std::size_t(i)]) << (8 * i);
    at_ += 4;
    return std::int32_t(u);
}

std::optional<std::string> PayloadReader::text()
{
    const auto length = u16();
    if (!length || !take(*length))
        return std::nullopt;
    std::string v(in_.begin() + std::ptrdiff_t(at_), in_.begin() + std::ptrdiff_t(at_ + *length));
    at_ += *length;
    return v;
}

std::vector<std::uint8_t> encodeFrame(std::uint8_t type, std::span<const std::uint8_t> payload)
{
    const std::size_t length = payload.size() + 1;
    if (length > 0xffff)
        throw std::length_error("frame payload too long");
    std::vector<std::uint8_t> frame;
    frame.reserve(2 + length);
    frame.push_back(std::uint8_t(length & 0xff));
    frame.push_back(std::uint8_t(length >> 8));
    frame.push_back(type);
    frame.insert(frame.end(), payload.begin(), payload.end());
    return frame;
}

} // namespace wire
