// ITA2 (Baudot) for amateur RTTY, US figures. Codes are 5 bits, sent least significant first.
// BaudotEncoder turns text into codes, inserting LTRS and FIGS where the shift changes and
// FIGS again after a space before a figure (the receiver may have unshifted on the space).
// BaudotDecoder turns codes back into text, following LTRS and FIGS, and with unshift-on-space
// back to letters after a space.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace rtty {

constexpr std::uint8_t CodeLtrs = 0x1f;
constexpr std::uint8_t CodeFigs = 0x1b;
constexpr std::uint8_t CodeSpace = 0x04;
constexpr std::uint8_t CodeCr = 0x08;
constexpr std::uint8_t CodeLf = 0x02;
constexpr std::uint8_t CodeNull = 0x00;

class BaudotEncoder {
public:
    // The codes for one character, shift codes included; empty for a character Baudot lacks.
    // Lower-case letters are sent as capitals.
    std::vector<std::uint8_t> encode(char c);
    void reset()
    {
        figures_ = false;
        afterSpace_ = false;
    }
    bool inFigures() const { return figures_; }

private:
    bool figures_ = false;
    bool afterSpace_ = false;
};

// Where the decoder stands between the shifts, as far as it tells what the sender sends next.
enum class ShiftContext {
    Letters,
    // Back in letters on a space that came in figures: the sender's machine is still in figures,
    // so a word of letters starts with LTRS and one of figures with FIGS.
    UnshiftedOnSpace,
    // FIGS read and no figure yet: a group of figures has at least one.
    FiguresShifted,
    // Figures shown since FIGS.
    InFigures,
};

class BaudotDecoder {
public:
    // The character a code stands for now; nothing for shift codes and NUL.
    std::optional<char> decode(std::uint8_t code);
    void setUnshiftOnSpace(bool on) { unshiftOnSpace_ = on; }
    void reset()
    {
        figures_ = false;
        unshifted_ = false;
        shown_ = false;
    }
    ShiftContext context() const
    {
        if (figures_)
            return shown_ ? ShiftContext::InFigures : ShiftContext::FiguresShifted;
        return unshifted_ ? ShiftContext::UnshiftedOnSpace : ShiftContext::Letters;
    }

private:
    bool figures_ = false;
    bool unshifted_ = false; // by a space, and nothing but spaces and line ends since
    bool shown_ = false;     // a code other than a shift code since the last shift code
    bool unshiftOnSpace_ = true;
};

// The code whose bits are mark where a code bit's value (a log-likelihood ratio, mark over space,
// or a decision value positive for mark) is positive.
inline std::uint8_t codeOf(const std::array<float, 5> &bits)
{
    std::uint8_t code = 0;
    for (std::size_t k = 0; k < 5; ++k)
        if (bits[k] > 0)
            code |= std::uint8_t(1 << k);
    return code;
}

// The likeliest code for a frame whose code bits have these log-likelihood ratios (mark over
// space, in nepers, as CoherentFrameDetector::Result::following gives them), weighing what the
// sender is likely to send next: after a space that unshifted, LTRS (a word of letters) and FIGS
// (one of figures) far more than any other code, LTRS the more; in figures once a figure has
// come, LTRS more than any one figure, since groups of figures are short. Misread, a shift code
// costs the whole word after it; in a fade its telling bit is often the one the noise took.
std::uint8_t likeliestCode(const std::array<float, 5> &llr, ShiftContext context);

// The code to act on for a frame read bit by bit while in figures, once a figure has come: a
// code one bit away from LTRS whose odd bit is unsure (|value| below `unsure`, values about +1
// for a clear mark) is taken for the LTRS it most likely was, since a lost LTRS turns all the
// letters after it into figures. Other codes, every code in letters and the first after FIGS
// (a group of figures has at least one: guessed there, the 1 of "1234" turned the rest into
// letters) are left as read: a FIGS taken for a letter costs only the figures up to the next
// LTRS.
std::uint8_t letterShiftFromUnsureBit(std::uint8_t code, const std::array<float, 5> &bits,
                                      ShiftContext context, float unsure = 0.3f);

// Encodes a whole text from the letters shift, LTRS first.
std::vector<std::uint8_t> encodeText(const std::string &text);

} // namespace rtty
