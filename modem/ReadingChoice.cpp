#include "ReadingChoice.h"

#include "Baudot.h"

#include <algorithm>

namespace rtty {

namespace {
constexpr float LevelGain = 0.02f; // the level over about the last 50 frames

float levelOf(const ToneLevels &levels)
{
    return std::max(levels.mark, levels.space);
}

// A level over the last few dozen frames once the level now is taken in.
float longWith(float longer, float now)
{
    return longer > 0 ? longer + LevelGain * (now - longer) : now;
}
} // namespace

bool ReadingChoice::levelFadeAt(const ToneLevels &levels) const
{
    const float level = levelOf(levels);
    return level < FadeShare * longWith(longLevel_, level);
}

bool ReadingChoice::toneFadeAt(const ToneLevels &levels, float share) const
{
    const float longer = longWith(longLevel_, levelOf(levels));
    if (longer * longer < ClearOfNoise * levels.noise)
        return false;
    return levels.mark < share * longWith(longMark_, levels.mark) ||
           levels.space < share * longWith(longSpace_, levels.space);
}

bool ReadingChoice::fadeAt(const ToneLevels &levels) const
{
    return levelFadeAt(levels) || toneFadeAt(levels, TrustedToneShare);
}

std::uint8_t ReadingChoice::choose(const Frame &frame,
                                   const CoherentFrameDetector::Result &coherent, bool trusted,
                                   double recentDeficit, const ToneLevels &levels)
{
    const bool trustedFade = fadeAt(levels);
    const bool fade = levelFadeAt(levels) || toneFadeAt(levels, ToneShare);
    const float level = levelOf(levels);
    longLevel_ = longWith(longLevel_, level);
    longMark_ = longWith(longMark_, levels.mark);
    longSpace_ = longWith(longSpace_, levels.space);
    if (trusted && !trustedFade) {
        last_ = Reading::Coherent;
        return coherent.code;
    }
    if (trusted) {
        last_ = Reading::Following;
        return codeOf(coherent.following);
    }
    if (recentDeficit < FadeDeficit && fade) {
        last_ = Reading::Following;
        return codeOf(coherent.following);
    }
    if (recentDeficit < FadeDeficit && codeOf(coherent.perBit) == coherent.code) {
        last_ = Reading::Agreed;
        return coherent.code;
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
