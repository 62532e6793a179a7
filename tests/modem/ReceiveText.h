// The text a receiver with the given settings reads from a recording, for the modem's tests.
#pragma once

#include "Receiver.h"

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
