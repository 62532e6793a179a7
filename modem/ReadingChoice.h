// Chooses, frame by frame, which reading of a character stands when ATC is off. Five readings
// are at hand: the whole-frame coherent reader's, the same with each tone's gain let wander
// within the frame, the framer's bit by bit (mark minus space), the per-bit likelihood reading
// (each tone weighed by its level as the frame itself shows it) and the same with each tone's
// level taken near the bit (see CoherentFrameDetector::Result).
// - A steady signal whose frames add up coherently: the coherent reading, far the best in noise.
// - The same in a fade (the signal's level well under what it has been lately, or either tone's
//   under what that tone's has been, on a signal well clear of the noise): the received phase
//   and level swing with the fade, and the whole-frame sums, which hold them fixed, lose their
//   edge. The reading that lets each tone's gain wander stands: slow fading at +4 dB with about
//   40% fewer errors than the coherent reading and levels near each bit together, and where
//   the fade takes one tone at a time (a notch sweeping across them) five times fewer.
// - The coherent reader not trusted, but its frames lately fell short of coherence only a
//   little (slow fading, not flutter): in a fade (a tone's fade taken deeper here than above:
//   noise on a sender whose phase jumps reads as shallow fades of a tone, and the reading that
//   follows the gains cannot read its jumps), the reading that lets the gains wander, even
//   where the coherent and per-bit likelihood readings agree (a selective fade of 2 Hz at
//   +4 dB: 0.9 -> 0.7%); otherwise the code those two agree on.
// - Further short of coherence, though not as far as flutter, with one tone well under the
//   other (a notch sweeping across the tones, which turns the phase of the tone it takes):
//   the reading with levels taken near each bit.
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
    enum class Reading { Coherent, Following, Agreed, Local, BitByBit };

    // levels: each tone's amplitude now (the noise is not used); recentDeficit: the coherent
    // reader's average shortfall from full coherence over the last frames
    // (CoherentFrameDetector).
    std::uint8_t choose(const Frame &frame, const CoherentFrameDetector::Result &coherent,
                        bool trusted, double recentDeficit, const ToneLevels &levels);

    Reading lastReading() const { return last_; }
    // Whether the next frame, with the tones at these levels, may be read in a fade: only then
    // is the reading that lets the gains wander wanted.
    bool fadeAt(const ToneLevels &levels) const;
    void reset() { longLevel_ = longMark_ = longSpace_ = 0; }

    // A fade: the level under this share of the level over the last few dozen frames (0.6
    // rather than 0.5 reads slow fading at +10 dB with about a quarter fewer errors, steady
    // noise as before; at 0.7 the coherent reading is given up on noise at -12 dB now and then).
    static constexpr float FadeShare = 0.6f;
    // A tone's fade: the tone under this share of its own level over the last few dozen frames,
    // for a trusted frame and for one that is not (a selective fade at 2 Hz: 1.5 -> 0.9%; a notch
    // sweeping across the tones at +4 dB 1.4 -> 0.2%), judged only on a signal whose level
    // lately stands this far over the noise power (a tone's own level swings with noise at
    // -8 dB, where the coherent reading is best).
    static constexpr float TrustedToneShare = 0.8f;
    static constexpr float ToneShare = 0.5f;
    static constexpr float ClearOfNoise = 14;
    // The coherent reader's frames fell short of coherence by less than this lately: a fade
    // (slow fading stays near 0.2 between its fades; flutter keeps about 2.5).
    static constexpr double FadeDeficit = 1.5;
    // A notch: frames lately short of coherence by less than this (between slow fading and
    // flutter; a notch sweeping at 1 to 2 Hz keeps them from 1.5 to 2.2), and the weaker tone
    // under this share of the stronger.
    static constexpr double NotchDeficit = 2.2;
    static constexpr float NotchShare = 0.4f;

private:
    bool levelFadeAt(const ToneLevels &levels) const;
    bool toneFadeAt(const ToneLevels &levels, float share) const;

    float longLevel_ = 0, longMark_ = 0, longSpace_ = 0; // over the last few dozen frames
    Reading last_ = Reading::BitByBit;
};

} // namespace rtty
