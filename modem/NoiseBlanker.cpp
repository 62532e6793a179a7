#include "NoiseBlanker.h"

#include <algorithm>
#include <cmath>

namespace rtty {

float NoiseBlanker::execute(float x)
{
    const float y = outSilent_ ? 0.0f : out_[at_];
    filling_[at_] = x;
    if (++at_ == BlockSamples) {
        at_ = 0;
        endBlock();
    }
    return y;
}

void NoiseBlanker::endBlock()
{
    float energy = 0;
    for (float v : filling_)
        energy += v * v;
    const float rms = std::sqrt(energy / float(BlockSamples));
    // Until the band's level is known, and in digital silence, nothing is blanked.
    const bool over = level_ > 0 && rms > Threshold * level_;
    overRun_ = over ? overRun_ + 1 : 0;
    runLeast_ = overRun_ == 1 ? rms : std::min(runLeast_, rms);
    const bool crash = over && overRun_ <= LongestCrashBlocks;
    // A signal's level is what it holds all through the run; a crash, or several in a row, holds
    // no more than its tail.
    if (over && !crash)
        held_ = std::max(held_, runLeast_);
    outSilent_ = crash || hangLeft_ > 0;
    if (crash)
        hangLeft_ = HangBlocks;
    else if (hangLeft_ > 0)
        --hangLeft_;
    if (outSilent_)
        ++blanked_;
    out_ = filling_;

    // Every block counts towards the level, crashes too: the quantile is what keeps them out.
    blockRms_[next_] = rms;
    next_ = (next_ + 1) % BlocksTracked;
    ++blocksSeen_;
    if (blocksSeen_ >= BlocksTracked && blocksSeen_ % LevelEveryBlocks == 0) {
        sorted_ = blockRms_;
        std::nth_element(sorted_.begin(), sorted_.begin() + QuantileIndex, sorted_.end());
        quantile_ = sorted_[QuantileIndex];
    }
    held_ *= HeldDecay;
    level_ = std::max(quantile_, held_);
}

} // namespace rtty
