// Reads a whole character frame at once, using that an FSK sender's phase runs on without a
// jump from one bit to the next. Given where a frame starts, each bit's tone-channel output is
// turned back into the received signal's phase at the bit's end. For each of the 32 codes the
// phase turns the code predicts (each bit advances the phase by its tone over a bit) are taken
// off, and the mark bits' outputs and the space bits' outputs are each added up: the code whose
// bits add up most coherently is the one sent. The known bits around the code (the stop bit
// before, the start bit, the stop bit after) take part, so the frame carries its own phase
// reference. Adding within each tone's bits only, not across, leaves the detector untouched by a
// timing error of a few samples, which turns one tone's phases against the other's.
// A small frequency error (what AFC leaves, or a sender's shift a few Hz off) turns the phases
// steadily along the frame: the detector measures each tone's error on each frame it reads and
// follows it. How coherently the frames add up
// is followed too: a sender whose phase jumps between bits, or a signal AFC is still pulling
// in, adds up poorly, and then the receiver keeps to its bit-by-bit decisions. So does a
// signal whose phase wanders within a frame (flutter), which noise cannot explain: its frames
// fall short of full coherence by more than their signal-to-noise ratio allows.
#pragma once

#include <array>
#include <complex>
#include <cstdint>
#include <vector>

namespace rtty {

// Each tone's amplitude and the noise's mean square in one tone-channel output, as tracked at
// a decision sample (see ThresholdControl); all zero when not known.
struct ToneLevels {
    float mark = 0, space = 0, noise = 0;
};

// One bit of a frame as the detector read it: where it was sampled (a sample index), each
// tone's size there, and whether it is taken for mark (known for the stop and start bits,
// otherwise the tone that leads).
struct ReadBit {
    double at = -1e300;
    double mark = 0, space = 0;
    bool isMark = false;
};

class CoherentFrameDetector {
public:
    // samplesPerBit in decision samples; decimation: input samples a decision sample.
    CoherentFrameDetector(double sampleRateHz, unsigned decimation, double samplesPerBit);

    void setSamplesPerBit(double samplesPerBit);
    void reset();

    // One decision sample: the two channels' outputs and their mixers' reference phases and
    // steps (radians, radians per input sample; see ToneChannel).
    void push(std::complex<float> mark, std::complex<float> space, double markPhase,
              double spacePhase, double markStep, double spaceStep, const ToneLevels &levels = {});

    struct Result {
        std::uint8_t code = 0;
        double coherence = 0; // 0..1: the best code's coherent sums over its bits' sizes
        double snr = 0;       // the bits' power on their tone over the other tone's (noise)
        double deficit = 0;   // (1 - coherence) x snr: see TrustedDeficit
        // Each code bit's log-likelihood ratio, mark over space, read bit by bit for two tones of
        // the levels this frame shows (each tone's size in the bits it leads, the stop and start
        // bits among them; the noise from the tone that trails). In a fade these follow the tones
        // within the frame, where levels tracked from the frames before lag behind.
        std::array<float, 5> perBit{};
        // The same with each tone's level taken near the bit: from the bits around it that the
        // tone leads, in this frame and the one before, the nearer the more. A tone that
        // leads none of them near the bit counts for less, its level being little known. In a
        // notch that sweeps across the tones, a tone's level changes within a frame and a tone
        // may be gone for bits on end; a bit is then read by what is known of the other tone.
        std::array<float, 5> local{};
        // The whole frame read with each tone's gain let wander within it, as a fade turns it,
        // rather than held: each code bit's log-likelihood ratio, how much likelier the
        // likeliest code with the bit mark is than the likeliest with it space. The gains are
        // taken to wander smoothly (a Gaussian process of a few bits' correlation time, each
        // tone's mean power its level), so that a bit is read against its tone's gain as the
        // neighbouring bits show it, phase and all, where the whole-frame sums hold it fixed.
        // The last frame's latest bits take part, as that frame was read.
        std::array<float, 5> following{};
    };
    // The frame whose start crossing (as the framer places it) lies at `start`, a sample index
    // counted from the first push, with bits `bit` samples long (the sender's, as measured);
    // the whole frame must have been pushed. follow: whether `following` is wanted (it costs
    // the most of the readings; zero when not).
    Result detect(double start, double bit, bool follow = true);

    // Whether the frames read lately added up coherently enough to trust the detector: close to
    // fully, and no further short of it than their signal-to-noise ratio explains.
    bool trusted() const { return coherence_ >= TrustedCoherence && deficit_ < TrustedDeficit; }
    // How far the frames read lately fell short of full coherence, times their signal-to-noise
    // ratio (see TrustedDeficit).
    double recentDeficit() const { return deficit_; }

    static constexpr double TrustedCoherence = 0.9;
    // How far a frame falls short of full coherence, times its signal-to-noise ratio: noise
    // alone keeps a steady sender's frames near 0.2 whatever the ratio (measured from -12 to
    // +10 dB, slow fading included); a phase that wanders (flutter: 2.5) or jumps (switched
    // oscillators: 0.9) keeps them well above. Averaged over the last frames as the coherence is;
    // a limit of 0.6 rather than 1 reads switched oscillators bit by bit at -6 dB too (the
    // decoder table: 0.2% rather than 0.8%), at no cost elsewhere in it.
    static constexpr double TrustedDeficit = 0.6;

private:
    struct Sample {
        std::complex<float> mark, space;
        double markPhase = 0, spacePhase = 0, markStep = 0, spaceStep = 0;
        ToneLevels levels;
    };
    // The received signal's phasor at a fractional sample index, as one tone's channel sees it.
    std::complex<double> at(double index, bool mark) const;

    // detect() in its parts, defined beside it: the frame's bits as the channels hold them and
    // the tones' tracked levels over it; the gain likelihood (the reading that follows each
    // tone's gain through the frame); the tone tracking; the trust.
    struct Phasors;
    struct Turns;
    struct Levels;
    struct GainModel;
    struct GainFactors;
    Phasors phasorsAt(double start, double bit) const;
    Levels trackedLevels(double start, double bit) const;
    double gainLikelihood(const Phasors &frame, const std::array<bool, 8> &isMark,
                          const Turns &turn, const GainModel &model, GainFactors &factors,
                          GainFactors &lastFactors) const;
    void trackTones(const Phasors &frame, const std::array<bool, 8> &isMark, double markCentre,
                    double spaceCentre, double bitSeconds, double mixerMarkHz, double mixerSpaceHz,
                    double markTurn, double spaceTurn);
    void updateTrust(Result &best);

    double fs_;
    unsigned decimation_;
    double samplesPerBit_ = 0;
    std::vector<Sample> ring_;
    std::array<ReadBit, 8> previous_{}; // the last frame's bits
    // The last frame's bits' phasors, the tones it was read to have (by the reading that
    // follows the gains) and its start.
    struct LastFrame {
        std::array<std::complex<double>, 8> mark{}, space{};
        std::array<bool, 8> tones{};
        double start = 0;
        bool valid = false;
    } last_;
    long long count_ = 0;
    bool tracking_ = false;
    double trackedMarkHz_ = 0, trackedSpaceHz_ = 0; // where the signal's tones are thought to be
    double coherence_ = 0;
    double deficit_ = 0;
};

} // namespace rtty
