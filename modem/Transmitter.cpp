#include "Transmitter.h"

#include <algorithm>

namespace rtty {

Transmitter::Transmitter(double sampleRateHz, double baud, double markHz, double spaceHz)
    : modulator_(sampleRateHz, baud, markHz, spaceHz), baud_(baud)
{
}

void Transmitter::addText(const std::string &text)
{
    for (char c : text) {
        if (c == '\b') {
            if (!buffer_.empty())
                buffer_.pop_back();
            continue;
        }
        if (c == '\n' && lastQueued_ == '\r') {
            lastQueued_ = c;
            continue; // CR LF from the terminal: the CR already brought its LF
        }
        lastQueued_ = c;
        if (c == '\r' || c == '\n') {
            buffer_.push_back('\r');
            buffer_.push_back('\n');
        } else if (!BaudotEncoder().encode(c).empty()) {
            buffer_.push_back(c);
        }
    }
}

void Transmitter::start()
{
    stopWhenSent_ = false;
    if (transmitting_)
        return;
    transmitting_ = true;
    modulator_.clear();
    modulator_.queueMark(LeadInSeconds * baud_);
}

void Transmitter::stopNow()
{
    buffer_.clear();
    modulator_.clear();
    transmitting_ = false;
    stopWhenSent_ = false;
}

void Transmitter::stopWhenSent()
{
    if (transmitting_)
        stopWhenSent_ = true;
}

void Transmitter::feed()
{
    // Keep about two characters queued ahead, so that the keying never runs dry.
    while (modulator_.queuedHalfBits() < 2 * 15) {
        if (freshShift_) {
            freshShift_ = false;
            modulator_.queueCode(encoder_.inFigures() ? CodeFigs : CodeLtrs);
            continue;
        }
        if (!buffer_.empty()) {
            const char c = buffer_.front();
            buffer_.pop_front();
            for (std::uint8_t code : encoder_.encode(c))
                modulator_.queueCode(code);
            continue;
        }
        if (stopWhenSent_)
            return;
        modulator_.queueCode(CodeLtrs); // diddle
        encoder_.reset();
    }
}

void Transmitter::generate(float *out, std::size_t n)
{
    if (!transmitting_) {
        std::fill(out, out + n, 0.0f);
        return;
    }
    feed();
    modulator_.generate(out, n);
    if (stopWhenSent_ && buffer_.empty() && !modulator_.busy()) {
        transmitting_ = false;
        stopWhenSent_ = false;
        freshShift_ = true;
    }
}

} // namespace rtty
