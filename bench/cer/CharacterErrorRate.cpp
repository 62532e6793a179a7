#include "CharacterErrorRate.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <vector>

namespace cer {

std::string fold(const std::string &text)
{
    std::string out;
    bool space = false;
    for (unsigned char c : text) {
        if (std::isspace(c)) {
            space = !out.empty();
            continue;
        }
        if (space)
            out += ' ';
        space = false;
        out += char(std::toupper(c));
    }
    return out;
}

std::size_t editDistance(const std::string &a, const std::string &b)
{
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

double characterErrorRate(const std::string &sent, const std::string &decoded)
{
    const std::string s = fold(sent), d = fold(decoded);
    if (s.empty())
        return d.empty() ? 0.0 : 1.0;
    return double(editDistance(s, d)) / double(s.size());
}

std::size_t leadingLoss(const std::string &sent, const std::string &decoded, std::size_t run)
{
    const std::string s = fold(sent), d = fold(decoded);
    for (std::size_t i = 0; i + run <= s.size(); ++i) {
        const auto at = d.find(s.substr(i, run));
        if (at != std::string::npos && at <= i + 2 * run)
            return i;
    }
    return s.size();
}

// Pb = 1/2 exp(-Eb/2N0), Eb/N0 = SNR(2500 Hz) + 17.4 dB at 45.45 baud.
double idealCer(double snrDb)
{
    const double ebn0 = std::pow(10, (snrDb + 17.4) / 10);
    return 1 - std::pow(1 - 0.5 * std::exp(-ebn0 / 2), 7);
}

} // namespace cer
