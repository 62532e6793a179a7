#include "CharacterFramer.h"

namespace rtty {

void CharacterFramer::reset()
{
    inFrame_ = false;
    previous_ = 1;
}

std::optional<std::uint8_t> CharacterFramer::push(float decision)
{
    std::optional<std::uint8_t> result;
    if (!inFrame_) {
        if (previous_ > 0 && decision <= 0) {
            // The crossing, between the previous sample and this one.
            const double fraction = previous_ / double(previous_ - decision);
            frameStart_ = now_ - 1 + fraction;
            inFrame_ = true;
            nextBit_ = 0;
            code_ = 0;
        }
    } else {
        const double due = frameStart_ + (nextBit_ + 0.5) * samplesPerBit_;
        if (now_ >= due) {
            // Read the bit between the two samples around its due time.
            const double fraction = 1 - (now_ - due);
            const float value = previous_ + float(fraction) * (decision - previous_);
            const bool mark = value > 0;
            if (nextBit_ == 0) {
                if (mark)
                    inFrame_ = false; // a false start: noise, or a glitch within a mark
            } else if (nextBit_ <= 5) {
                code_ |= std::uint8_t(mark ? 1 << (nextBit_ - 1) : 0);
            } else {
                inFrame_ = false;
                if (mark)
                    result = code_;
                else
                    ++framingErrors_;
            }
            ++nextBit_;
        }
    }
    previous_ = decision;
    now_ += 1;
    return result;
}

} // namespace rtty
