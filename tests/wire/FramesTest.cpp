// The frames of the links and the TCP link's client messages, decoded with full checks.
#include "Frames.h"

#include "TcpLinkProtocol.h"

#include <gtest/gtest.h>

TEST(TcpLinkProtocol, DecodesOnlyWellFormedMessages)
{
    using tcplink::decodeClientFrame;
    auto frameOf = [](std::vector<std::uint8_t> bytes) {
        wire::Frame f;
        f.type = bytes[0];
        f.payload.assign(bytes.begin() + 1, bytes.end());
        return f;
    };
    EXPECT_TRUE(decodeClientFrame(frameOf({0x01, 'T', 'L', 'M', 'T', 1, 0})));
    EXPECT_FALSE(decodeClientFrame(frameOf({0x01, 'T', 'L', 'M', 'X', 1, 0})));
    EXPECT_FALSE(decodeClientFrame(frameOf({0x10, 65})));                     // short
    EXPECT_FALSE(decodeClientFrame(frameOf({0x10, 65, 0, 0})));               // trailing byte
    EXPECT_FALSE(decodeClientFrame(frameOf({0x7f, 0, 0})));                   // unknown type
    EXPECT_FALSE(decodeClientFrame(frameOf({0x12, 0, 0, 0x40, 0x1f})));       // FFT of size 0
    EXPECT_FALSE(decodeClientFrame(frameOf({0x12, 2, 0, 0x40, 0x1f, 1, 0}))); // one value missing
    EXPECT_FALSE(decodeClientFrame(frameOf({0x13, 0xff, 0xff, 0xff, 0xff}))); // negative XY count
    EXPECT_FALSE(decodeClientFrame(frameOf({0x14, 0, 0, 0, 0})));             // status of no fields
    const auto status = decodeClientFrame(frameOf({0x14, 2, 0, 0, 0, 7, 0, 0, 0}));
    ASSERT_TRUE(status);
    EXPECT_EQ(std::get<tcplink::Status>(*status).record, (std::vector<std::int32_t>{2, 7}));
}

TEST(Frames, WholeFramesComeOutHoweverTheBytesArrive)
{
    const auto a = wire::encodeFrame(0x10, std::vector<std::uint8_t>{1, 2});
    const auto b = wire::encodeFrame(0x11, std::vector<std::uint8_t>{});
    std::vector<std::uint8_t> stream(a);
    stream.insert(stream.end(), b.begin(), b.end());
    wire::FrameReader reader(16);
    std::vector<wire::Frame> frames;
    for (std::uint8_t byte : stream) {
        reader.feed(std::span(&byte, 1));
        while (auto f = reader.next())
            frames.push_back(*f);
    }
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].type, 0x10);
    EXPECT_EQ(frames[0].payload, (std::vector<std::uint8_t>{1, 2}));
    EXPECT_EQ(frames[1].type, 0x11);
    EXPECT_TRUE(frames[1].payload.empty());
    EXPECT_EQ(reader.pending(), 0u);
}

TEST(Frames, ZeroAndOversizedLengthsBreakTheStream)
{
    wire::FrameReader zero(16);
    const std::uint8_t nothing[] = {0, 0, 5};
    zero.feed(nothing);
    EXPECT_FALSE(zero.next());
    EXPECT_TRUE(zero.failed());
    wire::FrameReader big(16);
    const std::uint8_t tooLong[] = {17, 0};
    big.feed(tooLong);
    EXPECT_FALSE(big.next());
    EXPECT_TRUE(big.failed());
    EXPECT_FALSE(big.feed(nothing));
}

TEST(Frames, PayloadReaderStopsAtTheEnd)
{
    const std::vector<std::uint8_t> bytes =
        wire::PayloadWriter().i16(-2).i32(70000).text("AB").payload();
    wire::PayloadReader in(bytes);
    EXPECT_EQ(in.i16(), -2);
    EXPECT_EQ(in.i32(), 70000);
    EXPECT_EQ(in.text(), "AB");
    EXPECT_TRUE(in.atEnd());
    EXPECT_FALSE(in.u8());
    EXPECT_FALSE(in.atEnd());
}
