// The engine link's limits, at their edges: the largest text, spectrum, XY block and status
// record a message may carry are read, one more is refused, in whichever direction it goes.
#include "EngineLinkProtocol.h"

#include <gtest/gtest.h>

using namespace enginelink;

namespace {

// Encodes a message, frames it through a reader as the link does, and decodes it.
template <typename Message, typename Decode> bool survives(const Message &message, Decode decode)
{
    const auto bytes = encode(message);
    wire::FrameReader reader(MaxFrameBytes);
    reader.feed(bytes);
    const auto frame = reader.next();
    return frame && decode(*frame).has_value();
}

bool toEngine(const TerminalMessage &m)
{
    return survives(m, [](const wire::Frame &f) { return decodeTerminalFrame(f); });
}
bool toTerminal(const EngineMessage &m)
{
    return survives(m, [](const wire::Frame &f) { return decodeEngineFrame(f); });
}

} // namespace

TEST(EngineLinkLimits, TextOfTheLargestSizeIsReadOneMoreIsRefused)
{
    EXPECT_TRUE(toEngine(SendTextMsg{std::string(MaxTextBytes, 'E')}));
    EXPECT_FALSE(toEngine(SendTextMsg{std::string(MaxTextBytes + 1, 'E')}));
    EXPECT_TRUE(toEngine(SendTextMsg{""}));
}

TEST(EngineLinkLimits, BlocksOfTheLargestSizeAreReadOneMoreIsRefused)
{
    EXPECT_TRUE(toTerminal(FftMsg{0, 11025, std::vector<std::int16_t>(MaxFftValues, -9000)}));
    EXPECT_FALSE(toTerminal(FftMsg{0, 11025, std::vector<std::int16_t>(MaxFftValues + 1, 0)}));

    auto xy = [](std::int32_t points) {
        XyMsg m{std::vector<std::int32_t>(1 + 2 * std::size_t(points), 7)};
        m.block[0] = points;
        return m;
    };
    EXPECT_TRUE(toTerminal(xy(MaxXyPoints)));
    EXPECT_FALSE(toTerminal(xy(MaxXyPoints + 1)));
    EXPECT_TRUE(toTerminal(xy(0)));

    auto status = [](std::int32_t fields) {
        StatusMsg m{std::vector<std::int32_t>(std::size_t(fields), 1)};
        m.record[0] = fields;
        return m;
    };
    EXPECT_TRUE(toTerminal(status(MaxStatusFields)));
    EXPECT_FALSE(toTerminal(status(MaxStatusFields + 1)));
    EXPECT_TRUE(toTerminal(status(StatusFieldsKnown)));
}

// A count that says more (or less) than the payload holds is refused, not trusted.
TEST(EngineLinkLimits, ACountThatDisagreesWithThePayloadIsRefused)
{
    XyMsg xy{std::vector<std::int32_t>(1 + 2 * 10, 0)};
    xy.block[0] = 11;
    EXPECT_FALSE(toTerminal(xy));
    StatusMsg status{std::vector<std::int32_t>(5, 0)};
    status.record[0] = 4;
    EXPECT_FALSE(toTerminal(status));
}
