// The Baudot codec: round trips, the shifts around a space, unshift on space, and the letters
// shift recovered from an unsure bit.
#include "Baudot.h"

#include <array>
#include <gtest/gtest.h>

using namespace rtty;

namespace {

std::string decodeCodes(const std::vector<std::uint8_t> &codes, bool uos = true)
{
    BaudotDecoder decoder;
    decoder.setUnshiftOnSpace(uos);
    std::string text;
    for (auto code : codes)
        if (auto c = decoder.decode(code))
            text += *c;
    return text;
}

} // namespace

TEST(Baudot, EveryCharacterSurvivesARoundTrip)
{
    const std::string text = "RYRY THE QUICK BROWN FOX 0123456789 -?:()$'.,/!&#;\"\r\n";
    EXPECT_EQ(decodeCodes(encodeText(text)), text);
    EXPECT_EQ(decodeCodes(encodeText("abc xyz")), "ABC XYZ");
    EXPECT_TRUE(BaudotEncoder().encode('~').empty());
}

TEST(Baudot, FiguresAreShiftedAgainAfterASpaceForReceiversThatUnshift)
{
    const auto codes = encodeText("599 599");
    // LTRS, FIGS 5 9 9, space, FIGS again, 5 9 9
    const std::vector<std::uint8_t> expected = {CodeLtrs,  CodeFigs, 0x10, 0x18, 0x18,
                                                CodeSpace, CodeFigs, 0x10, 0x18, 0x18};
    EXPECT_EQ(codes, expected);
    EXPECT_EQ(decodeCodes(codes, true), "599 599");
    EXPECT_EQ(decodeCodes(codes, false), "599 599");
}

TEST(Baudot, UnshiftOnSpaceDecidesWhatFollowsASpaceInFigures)
{
    // FIGS 1, space, then code 0x10: a T in letters, a 5 in figures.
    const std::vector<std::uint8_t> codes = {CodeFigs, 0x17, CodeSpace, 0x10};
    EXPECT_EQ(decodeCodes(codes, true), "1 T");
    EXPECT_EQ(decodeCodes(codes, false), "1 5");
}

TEST(Baudot, LettersShiftIsRecoveredFromAnUnsureBitOnlyInFigures)
{
    const std::array<float, 5> sure = {1, 1, 1, 1, -1};
    const std::array<float, 5> unsure = {1, 1, 1, 1, -0.1f};
    const std::uint8_t nearLtrs = 0x0f; // LTRS with its last bit lost
    EXPECT_EQ(letterShiftFromUnsureBit(nearLtrs, unsure, true), CodeLtrs);
    EXPECT_EQ(letterShiftFromUnsureBit(nearLtrs, sure, true), nearLtrs);
    EXPECT_EQ(letterShiftFromUnsureBit(nearLtrs, unsure, false), nearLtrs);
    // Two bits from LTRS, both unsure: left alone.
    EXPECT_EQ(letterShiftFromUnsureBit(0x07, {1, 1, 1, -0.1f, -0.1f}, true), 0x07);
    // Only the odd bit counts: another bit unsure does not make a LTRS.
    EXPECT_EQ(letterShiftFromUnsureBit(nearLtrs, {0.1f, 1, 1, 1, -1}, true), nearLtrs);
}
