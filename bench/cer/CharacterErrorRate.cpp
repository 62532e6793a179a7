#include "CharacterErrorRate.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
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

std::size_t firstWordsExact(const std::vector<std::string> &overs, const std::string &decoded)
{
    std::string s;
    std::vector<std::pair<std::size_t, std::size_t>> words; // each over's first word in s
    for (const std::string &over : overs) {
        const std::string folded = fold(over);
        if (folded.empty())
            continue;
        if (!s.empty())
            s += ' ';
        words.emplace_back(s.size(), s.size() + std::min(folded.find(' '), folded.size()));
        s += folded;
    }
    const std::string d = fold(decoded);
    const std::size_t n = s.size(), m = d.size(), width = m + 1;
    std::vector<std::uint32_t> cost((n + 1) * width);
    for (std::size_t j = 0; j <= m; ++j)
        cost[j] = std::uint32_t(j);
    for (std::size_t i = 1; i <= n; ++i) {
        cost[i * width] = std::uint32_t(i);
        for (std::size_t j = 1; j <= m; ++j)
            cost[i * width + j] =
                std::min({cost[(i - 1) * width + j] + 1, cost[i * width + j - 1] + 1,
                          cost[(i - 1) * width + j - 1] + (s[i - 1] != d[j - 1])});
    }
    // Back from the end: where each sent character was read (or nothing when it was lost or
    // misread), and whether something was inserted just before it.
    constexpr std::size_t None = std::size_t(-1);
    std::vector<std::size_t> readAt(n, None);
    std::vector<bool> insertedBefore(n + 1, false);
    for (std::size_t i = n, j = m; i > 0 || j > 0;) {
        const std::uint32_t here = cost[i * width + j];
        if (i > 0 && j > 0 && s[i - 1] == d[j - 1] && here == cost[(i - 1) * width + j - 1]) {
            readAt[--i] = --j;
        } else if (i > 0 && j > 0 && here == cost[(i - 1) * width + j - 1] + 1) {
            --i;
            --j;
        } else if (j > 0 && here == cost[i * width + j - 1] + 1) {
            insertedBefore[i] = true;
            --j;
        } else {
            --i;
        }
    }
    std::size_t exact = 0;
    for (const auto &[from, to] : words) {
        bool ok = from < to;
        for (std::size_t i = from; ok && i < to; ++i)
            ok = readAt[i] != None &&
                 (i == from || (!insertedBefore[i] && readAt[i] == readAt[i - 1] + 1));
        if (ok) {
            const std::size_t first = readAt[from], last = readAt[to - 1];
            ok = (first == 0 || d[first - 1] == ' ') && (last + 1 == m || d[last + 1] == ' ');
        }
        exact += ok;
    }
    return exact;
}

// Pb = 1/2 exp(-Eb/2N0), Eb/N0 = SNR(2500 Hz) + 17.4 dB at 45.45 baud.
double idealCer(double snrDb)
{
    const double ebn0 = std::pow(10, (snrDb + 17.4) / 10);
    return 1 - std::pow(1 - 0.5 * std::exp(-ebn0 / 2), 7);
}

} // namespace cer
