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

class BaudotDecoder {
public:
    // The character a code stands for now; nothing for shift codes and NUL.
    std::optional<char> decode(std::uint8_t code);
    void setUnshiftOnSpace(bool on) { unshiftOnSpace_ = on; }
    void reset() { figures_ = false; }
    bool inFigures() const { return figures_; }

private:
    bool figures_ = false;
    bool unshiftOnSpace_ = true;
};

// The code to act on for a frame read while in figures: a code one bit away from LTRS whose odd
// bit is unsure (|value| below `unsure`, values about +1 for a clear mark) is taken for the LTRS
// it most likely was, since a lost LTRS turns all the letters after it into figures. Other
// codes, and every code in letters, are left as read: a FIGS taken for a letter costs only the
// figures up to the next LTRS.
std::uint8_t letterShiftFromUnsureBit(std::uint8_t code, const std::array<float, 5> &bits,
                                      bool inFigures, float unsure = 0.3f);

// Encodes a whole text from the letters shift, LTRS first.
std::vector<std::uint8_t> encodeText(const std::string &text);

} // namespace rtty
