// Character error rate: the edit distance between the sent and the decoded text over the sent
// length, both texts with letters folded to capitals and every run of white space (CR and LF
// included) folded to one space, trimmed at both ends.
#pragma once

#include <string>
#include <vector>

namespace cer {

std::string fold(const std::string &text);
std::size_t editDistance(const std::string &a, const std::string &b);
double characterErrorRate(const std::string &sent, const std::string &decoded);
// How many characters of the (folded) sent text come before the first `run` of them that the
// decoded text holds near its start: what a receiver lost while it was settling.
std::size_t leadingLoss(const std::string &sent, const std::string &decoded, std::size_t run = 20);

// How many of the overs (the texts sent one after another) have their first word come out
// exactly in the decoded text: the sent and decoded texts folded and aligned by edit distance,
// the word's characters each read as sent, with white space or nothing on either side of it.
std::size_t firstWordsExact(const std::vector<std::string> &overs, const std::string &decoded);

// The character error rate of ideal non-coherent FSK at 45.45 baud in white noise, at an SNR in
// 2500 Hz: the limit for a receiver that decides each bit on its own, 7 bits a character.
double idealCer(double snrDb);

} // namespace cer
