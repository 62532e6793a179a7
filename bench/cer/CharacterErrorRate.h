// Character error rate: the edit distance between the sent and the decoded text over the sent
// length, both texts with letters folded to capitals and every run of white space (CR and LF
// included) folded to one space, trimmed at both ends.
#pragma once

#include <string>

namespace cer {

std::string fold(const std::string &text);
std::size_t editDistance(const std::string &a, const std::string &b);
double characterErrorRate(const std::string &sent, const std::string &decoded);
// How many characters of the (folded) sent text come before the first `run` of them that the
// decoded text holds near its start: what a receiver lost while it was settling.
std::size_t leadingLoss(const std::string &sent, const std::string &decoded, std::size_t run = 20);

// The character error rate of ideal non-coherent FSK at 45.45 baud in white noise, at an SNR in
// 2500 Hz: the limit for a receiver that decides each bit on its own, 7 bits a character.
double idealCer(double snrDb);

} // namespace cer
