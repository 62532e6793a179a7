// The noise blanker: takes the audio before the tone filters and silences static crashes,
// bursts far above what the band carries, so that a crash of a few milliseconds does not ring
// through the tone filters and turn whole characters. The audio goes through in blocks of a
// decision step, one block late: a block whose RMS is more than Threshold times the band's
// level, and HangBlocks after it, come out as silence. A crash clipped at the sound card's
// full scale is still several times the band's level over a block, where a single sample of it
// is not told from noise. The band's level is a high quantile of the block RMS over the last
// 0.74 s: the stronger tone's, also when the other is much weaker and long runs of it come
// between start bits, and not lifted by crashes unless they fill more than a tenth of the time.
// A run of over-level blocks longer than a crash (a strong signal starting out of a quiet band,
// the stronger tone after a long run of a much weaker one) goes through, and the least it held
// is the level from then on, falling back to the quantile over about a second.
#pragma once

#include <array>
#include <cstddef>

namespace rtty {

class NoiseBlanker {
public:
    static constexpr std::size_t BlockSamples = 8;      // 0.73 ms at 11025 Hz: a decision step
    static constexpr std::size_t BlocksTracked = 1024;  // the level's span, 0.74 s
    static constexpr std::size_t QuantileIndex = 921;   // of 1024, ascending: the 90th percentile
    static constexpr std::size_t LevelEveryBlocks = 16; // the level is found again every 12 ms
    static constexpr float Threshold = 2;               // x the level in RMS, 6 dB
    static constexpr int HangBlocks = 3;                // blanked after the last block over it
    static constexpr int LongestCrashBlocks = 20;       // 15 ms
    static constexpr float HeldDecay = 0.9993f;         // a block: 1/e in 1 s

    // x: one audio sample; returns the sample BlockSamples before it, or 0 while blanking.
    float execute(float x);
    // Blocks silenced so far.
    std::size_t blankedBlocks() const { return blanked_; }

private:
    void endBlock();

    std::array<float, BlockSamples> filling_{}, out_{};
    std::size_t at_ = 0;
    bool outSilent_ = false;
    int hangLeft_ = 0;
    int overRun_ = 0;                             // blocks over the level in a row
    float runLeast_ = 0;                          // the least RMS in that run
    std::array<float, BlocksTracked> blockRms_{}; // ring, oldest at next_
    std::array<float, BlocksTracked> sorted_{};
    std::size_t next_ = 0;
    std::size_t blocksSeen_ = 0;
    float quantile_ = 0; // the quantile of blockRms_; 0 until BlocksTracked blocks were seen
    float held_ = 0;     // the least RMS of the last run longer than a crash, falling away
    float level_ = 0;    // the band's RMS, the greater of the two
    std::size_t blanked_ = 0;
};

} // namespace rtty
