// For the modem's tests: the text a receiver with the given settings reads from a recording,
// and a test text.
#pragma once

#include "Receiver.h"

#include <random>
#include <string>
#include <vector>

inline std::string receiveText(const std::vector<float> &audio,
                               const rtty::ReceiverSettings &settings = {})
{
    rtty::Receiver receiver(settings);
    std::string text;
    receiver.onCharacter = [&](char c) { text += c; };
    receiver.process(audio.data(), audio.size());
    return text;
}

// A made-up exchange of so many words from an operator's usual ones, the same every time.
inline std::string contact(int words)
{
    const char *pool[] = {"CQ",  "DE",    "ZZ9ZZZ", "599",  "NAME", "QTH", "THE", "QUICK", "BROWN",
                          "FOX", "JUMPS", "OVER",   "LAZY", "DOG",  "TNX", "73",  "1234",  "K"};
    std::mt19937 random(21);
    std::string text;
    for (int i = 0; i < words; ++i)
        text += std::string(pool[random() % std::size(pool)]) + " ";
    return text;
}
