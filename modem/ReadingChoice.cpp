#include "ReadingChoice.h"

#include <algorithm>

namespace rtty {

namespace {
constexpr float LevelGain = 0.02f; // the level over about the last 50 frames

std::uint8_t codeOf(const std::array<float, 5> &bits)
{
    std::uint8_t code = 0;
    for (std::size_t k = 0; k < 5; ++k)
        if (bits[k] > 0)
            code |= std::uint8_t(1 << k);
    return code;
}
} // namespace

bool ReadingChoice::fadeAt(const ToneLevels &levels) const
{
    const float level = std::max(levels.mark, levels.space);
    const float longLevel = longLevel_ > 0 ? longLevel_ + LevelGain * (level - longLevel_) : level;
    return level < FadeShare * longLevel;
}

std::uint8_t ReadingChoice::choose(const Frame &frame,
                                   const CoherentFrameDetector::Result &coherent, bool trusted,
                                   double recentDeficit, const ToneLevels &levels)
{
    const float level = std::max(levels.mark, levels.space);
    longLevel_ = longLevel_ > 0 ? longLevel_ + LevelGain * (level - longLevel_) : level;
    const bool fade = level < FadeShare * longLevel_;
    if (trusted && !fade) {
        last_ = Reading::Coherent;
        return coherent.code;
    }
    if (trusted) {
        last_ = Reading::Following;
        return codeOf(coherent.following);
    }
    if (recentDeficit < FadeDeficit) {
        const std::uint8_t perBit = codeOf(coherent.perBit);
        if (perBit == coherent.code) {
            last_ = Reading::Agreed;
            return perBit;
        }
        if (fade) {
            last_ = Reading::Following;
            return codeOf(coherent.following);
        }
    }
    if (recentDeficit >= FadeDeficit && recentDeficit < NotchDeficit &&
        std::min(levels.mark, levels.space) < NotchShare * level) {
        last_ = Reading::Local;
        return codeOf(coherent.local);
    }
    last_ = Reading::BitByBit;
    return frame.code;
}

} // namespace rtty
