// Chooses, frame by frame, which reading of a character stands when ATC is off. Three readings
// are at hand: the whole-frame coherent reader's, the framer's bit by bit (mark minus space) and
// the per-bit likelihood reading (each tone weighed by its level as the frame itself shows it;
// see CoherentFrameDetector::Result).
// - A steady signal whose frames add up coherently: the coherent reading, far the best in noise.
// - The same in a fade (the signal's level well under what it has been lately): the received
//   phase swings with the fade and the coherent reading loses its edge, while a tone faded into
//   the noise is read best by the per-bit likelihood. The two are added, bit by bit, as
//   log-likelihood ratios.
// - The coherent reader not trusted, but its frames lately fell short of coherence only a
//   little (slow fading, not flutter): the code the coherent and the per-bit likelihood
//   readings agree on; failing that, in a fade, the per-bit likelihood reading.
// - Otherwise (flutter, a signal still being pulled in): bit by bit, mark minus space, which an
//   amplitude changing faster than it can be tracked does not mislead.
#pragma once

#include "CharacterFramer.h"
#include "CoherentFrameDetector.h"

#include <cstdint>

namespace rtty {

class ReadingChoice {
public:
    // How the last frame was read, for tests and the curious.
    enum class Reading { Coherent, CoherentWithLikelihood, Agreed, Likelihood, BitByBit };

    // level: the stronger tone's amplitude now; recentDeficit: the coherent reader's average
    // shortfall from full coherence over the last frames (CoherentFrameDetector).
    std::uint8_t choose(const Frame &frame, const CoherentFrameDetector::Result &coherent,
                        bool trusted, double recentDeficit, float level);

    Reading lastReading() const { return last_; }
    void reset() { longLevel_ = 0; }

    // A fade: the level under this share of the level over the last few dozen frames.
    static constexpr float FadeShare = 0.5f;
    // The coherent reader's frames fell short of coherence by less than this lately: a fade
    // (slow fading stays near 0.2 between its fades; flutter keeps about 2.5).
    static constexpr double FadeDeficit = 1.5;
    // The weight of the per-bit likelihood beside the coherent reader's in a fade.
    static constexpr float LikelihoodWeight = 2;

private:
    float longLevel_ = 0;
    Reading last_ = Reading::BitByBit;
};

} // namespace rtty
