#include "ReadingChoice.h"

#include <algorithm>

namespace rtty {

namespace {
constexpr float LevelGain = 0.02f; // the level over about the last 50 frames

float levelOf(const ToneLevels &levels)
{
    return std::max(levels.mark, levels.space);
}
} // namespace

float ReadingChoice::longLevelWith(float level) const
{
    return longLevel_ > 0 ? longLevel_ + LevelGain * (level - longLevel_) : level;
}

bool ReadingChoice::fadeAt(const ToneLevels &levels) const
{
    const float level = levelOf(levels);
    return level < FadeShare * longLevelWith(level);
}

std::uint8_t ReadingChoice::choose(const Frame &frame,
                                   const CoherentFrameDetector::Result &coherent, bool trusted,
                                   double recentDeficit, const ToneLevels &levels)
{
    const bool fade = fadeAt(levels);
    const float level = levelOf(levels);
    longLevel_ = longLevelWith(level);
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
