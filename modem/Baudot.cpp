#include "Baudot.h"

#include <array>
#include <cmath>

namespace rtty {

namespace {

// Index = code. '\0' marks codes without a character in that shift.
constexpr std::array<char, 32> Letters = {'\0', 'E', '\n', 'A', ' ', 'S',  'I', 'U', '\r', 'D', 'R',
                                          'J',  'N', 'F',  'C', 'K', 'T',  'Z', 'L', 'W',  'H', 'Y',
                                          'P',  'Q', 'O',  'B', 'G', '\0', 'M', 'X', 'V',  '\0'};
constexpr std::array<char, 32> Figures = {'\0', '3', '\n', '-', ' ', '\a', '8', '7', '\r', '$', '4',
                                          '\'', ',', '!',  ':', '(', '5',  '"', ')', '2',  '#', '6',
                                          '0',  '1', '9',  '?', '&', '\0', '.', '/', ';',  '\0'};

struct Lookup {
    std::uint8_t code;
    bool figures;
    bool both; // the same in either shift: space, CR, LF
};

std::optional<Lookup> lookup(char c)
{
    if (c >= 'a' && c <= 'z')
        c = char(c - 'a' + 'A');
    for (std::uint8_t code = 0; code < 32; ++code) {
        if (Letters[code] == c && c != '\0')
            return Lookup{code, false, Figures[code] == c};
    }
    for (std::uint8_t code = 0; code < 32; ++code) {
        if (Figures[code] == c && c != '\0')
            return Lookup{code, true, false};
    }
    return std::nullopt;
}

} // namespace

std::vector<std::uint8_t> BaudotEncoder::encode(char c)
{
    const auto found = lookup(c);
    if (!found)
        return {};
    std::vector<std::uint8_t> codes;
    if (!found->both) {
        if (found->figures && (!figures_ || afterSpace_)) {
            codes.push_back(CodeFigs);
            figures_ = true;
        } else if (!found->figures && figures_) {
            codes.push_back(CodeLtrs);
            figures_ = false;
        }
    }
    codes.push_back(found->code);
    afterSpace_ = found->code == CodeSpace;
    return codes;
}

std::optional<char> BaudotDecoder::decode(std::uint8_t code)
{
    code &= 0x1f;
    if (code == CodeLtrs || code == CodeFigs) {
        figures_ = code == CodeFigs;
        unshifted_ = false;
        shown_ = false;
        return std::nullopt;
    }
    shown_ = true;
    if (code == CodeSpace && unshiftOnSpace_ && figures_) {
        figures_ = false;
        unshifted_ = true;
    } else if (code != CodeSpace && code != CodeCr && code != CodeLf) {
        unshifted_ = false;
    }
    const char c = figures_ ? Figures[code] : Letters[code];
    if (c == '\0')
        return std::nullopt;
    return c;
}

std::uint8_t letterShiftFromUnsureBit(std::uint8_t code, const std::array<float, 5> &bits,
                                      ShiftContext context, float unsure)
{
    if (context != ShiftContext::InFigures || code == CodeLtrs)
        return code;
    const std::uint8_t odd = code ^ CodeLtrs;
    if ((odd & (odd - 1)) != 0)
        return code; // more than one bit away
    for (std::size_t k = 0; k < 5; ++k)
        if (odd == (1u << k) && std::fabs(bits[k]) < unsure)
            return CodeLtrs;
    return code;
}

std::uint8_t likeliestCode(const std::array<float, 5> &llr, ShiftContext context)
{
    // How much likelier each shift code is than any other one code (nepers), in each context.
    float ltrs = 0, figs = 0;
    if (context == ShiftContext::UnshiftedOnSpace) {
        ltrs = 3;
        figs = 2;
    } else if (context == ShiftContext::InFigures) {
        ltrs = 2;
    }
    const std::uint8_t read = codeOf(llr);
    // What taking a code costs: the ratios of the bits it reads against, less its prior.
    const auto cost = [&](std::uint8_t code) {
        float against = 0;
        for (std::size_t k = 0; k < 5; ++k)
            if (((code >> k) & 1u) != ((read >> k) & 1u))
                against += std::fabs(llr[k]);
        return against - (code == CodeLtrs ? ltrs : code == CodeFigs ? figs : 0.0f);
    };
    std::uint8_t best = read;
    for (const std::uint8_t shift : {CodeLtrs, CodeFigs})
        if (cost(shift) < cost(best))
            best = shift;
    return best;
}

std::vector<std::uint8_t> encodeText(const std::string &text)
{
    BaudotEncoder encoder;
    std::vector<std::uint8_t> codes = {CodeLtrs};
    for (char c : text) {
        const auto some = encoder.encode(c);
        codes.insert(codes.end(), some.begin(), some.end());
    }
    return codes;
}

} // namespace rtty
