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
    constexpr auto figures = ShiftContext::InFigures;
    EXPECT_EQ(letterShiftFromUnsureBit(nearLtrs, unsure, figures), CodeLtrs);
    EXPECT_EQ(letterShiftFromUnsureBit(nearLtrs, sure, figures), nearLtrs);
    EXPECT_EQ(letterShiftFromUnsureBit(nearLtrs, unsure, ShiftContext::Letters), nearLtrs);
    EXPECT_EQ(letterShiftFromUnsureBit(nearLtrs, unsure, ShiftContext::UnshiftedOnSpace), nearLtrs);
    // Right after FIGS a figure comes: the 1 of "1234" (0x17) with an unsure bit stands.
    const std::array<float, 5> unsureOne = {1, 1, 1, -0.1f, 1};
    EXPECT_EQ(letterShiftFromUnsureBit(0x17, unsureOne, ShiftContext::FiguresShifted), 0x17);
    EXPECT_EQ(letterShiftFromUnsureBit(0x17, unsureOne, figures), CodeLtrs);
    // Two bits from LTRS, both unsure: left alone.
    EXPECT_EQ(letterShiftFromUnsureBit(0x07, {1, 1, 1, -0.1f, -0.1f}, figures), 0x07);
    // Only the odd bit counts: another bit unsure does not make a LTRS.
    EXPECT_EQ(letterShiftFromUnsureBit(nearLtrs, {0.1f, 1, 1, 1, -1}, figures), nearLtrs);
}

TEST(Baudot, TheDecoderTellsASpaceThatUnshiftedFromLettersAndFigures)
{
    BaudotDecoder decoder;
    EXPECT_EQ(decoder.context(), ShiftContext::Letters);
    decoder.decode(CodeSpace); // a space in letters unshifts nothing
    EXPECT_EQ(decoder.context(), ShiftContext::Letters);
    for (auto code : {CodeFigs, std::uint8_t(0x18)})
        decoder.decode(code);
    EXPECT_EQ(decoder.context(), ShiftContext::InFigures);
    decoder.decode(CodeSpace);
    EXPECT_EQ(decoder.context(), ShiftContext::UnshiftedOnSpace);
    // More spaces and a line end keep it; the first letter ends it.
    for (auto code : {CodeSpace, CodeCr, CodeLf})
        decoder.decode(code);
    EXPECT_EQ(decoder.context(), ShiftContext::UnshiftedOnSpace);
    decoder.decode(0x10);
    EXPECT_EQ(decoder.context(), ShiftContext::Letters);
    // A shift code ends it too.
    for (auto code : {CodeFigs, std::uint8_t(0x18), CodeSpace, CodeLtrs})
        decoder.decode(code);
    EXPECT_EQ(decoder.context(), ShiftContext::Letters);

    // Without unshift on space, a space leaves the decoder in figures.
    BaudotDecoder staying;
    staying.setUnshiftOnSpace(false);
    for (auto code : {CodeFigs, std::uint8_t(0x18), CodeSpace})
        staying.decode(code);
    EXPECT_EQ(staying.context(), ShiftContext::InFigures);
    // Right after FIGS, before any figure.
    staying.decode(CodeFigs);
    EXPECT_EQ(staying.context(), ShiftContext::FiguresShifted);
}

TEST(Baudot, AnUnsureBitIsReadAsTheShiftCodeTheSenderIsLikelyToSend)
{
    // FIGS with its telling bit (the third) a little on the space side: the likeliest after a
    // space that unshifted is the LTRS that starts a word of letters; elsewhere the bits stand.
    const std::array<float, 5> nearFigs = {8, 8, -0.5f, 5, 4};
    EXPECT_EQ(likeliestCode(nearFigs, ShiftContext::UnshiftedOnSpace), CodeLtrs);
    EXPECT_EQ(likeliestCode(nearFigs, ShiftContext::Letters), CodeFigs);
    // The same bit clearly space: FIGS stands after the space too.
    EXPECT_EQ(likeliestCode({8, 8, -6, 5, 4}, ShiftContext::UnshiftedOnSpace), CodeFigs);

    // A letter one unsure bit from FIGS after the space: FIGS, the likelier code there.
    const std::array<float, 5> nearFigsLetter = {8, 8, -6, 5, -1}; // 0x0b, J
    EXPECT_EQ(likeliestCode(nearFigsLetter, ShiftContext::UnshiftedOnSpace), CodeFigs);
    EXPECT_EQ(likeliestCode(nearFigsLetter, ShiftContext::Letters), 0x0b);

    // In figures, a figure one unsure bit from LTRS is the LTRS that ends the group ...
    const std::array<float, 5> nearLtrs = {6, 7, 5, -1, 6}; // 0x17, a 1
    EXPECT_EQ(likeliestCode(nearLtrs, ShiftContext::InFigures), CodeLtrs);
    EXPECT_EQ(likeliestCode(nearLtrs, ShiftContext::Letters), 0x17);
    // ... but not one two bits away, nor one whose bit is clear.
    EXPECT_EQ(likeliestCode({6, 7, 5, -1, -1.5f}, ShiftContext::InFigures), 0x07);
    EXPECT_EQ(likeliestCode({6, 7, 5, -4, 6}, ShiftContext::InFigures), 0x17);
    // Right after FIGS the group has not started: the figure stands.
    EXPECT_EQ(likeliestCode(nearLtrs, ShiftContext::FiguresShifted), 0x17);
}
