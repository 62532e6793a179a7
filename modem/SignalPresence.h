// Whether a keyed signal is on the tuned pair or the line holds noise alone: a two-state model
// (signal, noise) whose log-odds are carried from one stretch of the line to the next by how long
// overs and the gaps between them last, and moved by the likelihood ratio of what each stretch
// shows:
// - a frame the framer found: each of its bits (the start bit space, the code bits as read, the
//   stop bit mark) holds its tone in the noise, rather than noise alone, and both tones are
//   there (a neighbour's splash on one tone is not a signal). Each tone's strength is unknown:
//   at a new signal, anything from the weakest worth reading up; during an over, what the tone
//   has shown lately, faded now and then as a fading band fades it. Noise makes frames too,
//   but their bits' tones stand no higher than noise does. The frame may also be no character
//   at all but the line turning within it from noise to a steady mark (a sender starting):
//   noise began it, and it read on into his first mark;
// - a stretch a frame long in which the framer found none, once no frame can start there: a
//   steady mark (a sender idling, or before his first character) rather than noise alone.
// The noise is measured at the tones (a radio's narrow filter may pass nothing else): from both
// tone channels while the line is judged noise, and in a third channel of the same filter midway
// between the tones, which a weak signal hardly reaches and a strong one does (its sidelobes
// and keying), so that each only ever lowers what the other measured.
// Beside it the signal's level over the noise, for the level meter and the squelch level.
// Takes the tone channels' magnitudes at the decision rate, mark and space as the sender keys
// them (reverse already undone); indexes are decision samples counted from the first push, as the
// framer counts them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace rtty {

class SignalPresence {
public:
    explicit SignalPresence(double samplesPerBit);

    void setSamplesPerBit(double samplesPerBit);
    // Forgets the line so far, the noise included.
    void reset();
    // Forgets the signal (the line is read anew from here) but keeps the noise: a retune's reread.
    void restart();

    // One decision sample: each tone's matched-filter magnitude, and the magnitude of the same
    // filter's output midway between the tones.
    void push(float mark, float space, float between);
    // A frame whose start crossing lies at `start` (a sample index), with bits `bit` samples
    // long and the code read; the whole frame must have been pushed.
    struct FrameEvidence {
        double signal = 0;    // log-likelihood ratio, a signal on the line over noise (nepers)
        double character = 0; // log-odds that it is a character rather than the line turning
    };
    FrameEvidence frame(double start, double bit, std::uint8_t code);

    // The log-odds, in nepers, that a signal is on the line now.
    double logOdds() const { return logOdds_; }
    bool present() const { return logOdds_ > 0; }
    // Counts the times the odds rose from noise (at or under -DecidedLogOdds) to above it after
    // at least GapBits of it: each is a new over's start (the gaps between overs last seconds),
    // or a signal's once the line was noise. A shorter spell of noise is most often a deep fade
    // of the same sender: at 1 Hz of fading a few tenths of a second, now and then at +4 dB
    // over a second.
    unsigned overs() const { return overs_; }
    static constexpr double GapBits = 90;
    // Whether an over is under way: a signal on the line within the last GapBits, so through
    // every spell of noise shorter than a gap between overs (a deep fade of the same sender).
    bool inOver() const { return double(now_) - signalAt_ < GapBits * samplesPerBit_; }
    // The most a fade commonly takes a character under the squelch level for, in bits: the
    // characters so taken are printed when the over comes back to its strength within it.
    static constexpr double FadeBits = 45;
    // Beyond this either way the model has decided: a signal (an over under way), or noise.
    static constexpr double DecidedLogOdds = 2.2; // 9 to 1

    // The signal's level: its tones' power over the noise's in one tone channel's output (that
    // is, over a bit, as the matched filter sums it), the two tones' levels averaged in dB (a
    // splash on one tone counts half); 0 for noise alone and while nothing is measured. As each
    // tone has shown while it led over about the last two bits: for the level meter.
    double levelDb() const;
    // How likely it is that the over under way stands at least `levelDb` over the noise (its
    // tones' levels averaged in dB), as its characters have shown its tones, the last few
    // frames counting most; 0 with nothing shown.
    double levelProbability(double levelDb) const;
    // The same of the last frame's character alone.
    double frameLevelProbability(double levelDb) const;
    // The noise's per-component variance in one tone channel's output; 0 while not measured.
    double noiseVariance() const;

    // The strengths a tone may have: its power over the noise's per bit, in dB, in steps of
    // StrengthStepDb. A new signal is taken to be at least NewSignalDb, about where reading
    // stops being worth it (-10 dB in 2500 Hz at 45.45 baud); one under it is still found, more
    // slowly, since its bits stand out less. (From 4 dB, noise frames weighed against a noise
    // measured 30% low lean to a signal; from 7 dB they do not, and a signal at -12 dB still
    // gives some 11 nepers a frame.) During an over a tone may fade to the weakest. A new
    // signal's two tones lie within ToneSpreadDb of each other (a tilted radio, a selective
    // fade): its first frame shows both.
    static constexpr double WeakestDb = -20, NewSignalDb = 7, StrongestDb = 46, StrengthStepDb = 3,
                            ToneSpreadDb = 6;
    static constexpr int Strengths = int((StrongestDb - WeakestDb) / StrengthStepDb + 0.5) + 1;

private:
    using PerStrength = std::array<double, Strengths>;
    // How likely the tones' strengths, given each tone's log-likelihoods of them (the two
    // independent, each even over the strengths before), average at least levelDb.
    static double atLeast(const PerStrength &mark, const PerStrength &space, double levelDb);
    // What a tone has shown over the last frames of an over: its power (a mean square in one
    // channel's output), and its strength per frame in dB, mean and spread.
    struct Shown {
        double power = 0, meanDb = 0, spreadDb2 = 0;
        bool known() const { return power > 0; }
    };
    // Moves each tone's odds towards even for the time since the last update (overs and gaps
    // last some seconds each).
    void predict(double at);
    void add(double markEvidence, double spaceEvidence);
    // The share of the strengths each holds: for a new signal, and for a tone as it has shown
    // itself lately, wandering by as much as it has wandered (a steady signal hardly; a fading
    // one by many dB).
    static PerStrength newSignal();
    PerStrength asShown(const Shown &shown) const;
    // A tone's prior now: as a new signal's, or as shown, as likely as a signal is on the line.
    PerStrength priorFor(const Shown &shown) const;
    // For each strength, the log-likelihood ratio of `count` magnitudes each holding a tone of
    // that strength against each being noise.
    PerStrength likelihoods(const double *magnitudes, std::size_t count) const;
    void measureNoise(float mark, float space, float between);
    void followTone(Shown &shown, const double *magnitudes, std::size_t count) const;
    void idleStretches();
    float magnitudeAt(double index, bool mark) const;

    double samplesPerBit_;
    std::vector<float> mark_, space_;     // the last stretch of magnitudes, by sample index
    long long now_ = -1;                  // index of the newest sample
    double logOdds_ = 0;                  // that both tones are: a signal
    double markOdds_ = 0, spaceOdds_ = 0; // that each tone of the pair is on the line
    double updatedAt_ = 0;                // the sample index of the last update
    double coveredTo_ = 0;                // the line up to here has been weighed
    double lineNoise_ = 0;     // per-component variance, measured where the line is noise
    double betweenNoise_ = 0;  // the same between the tones
    double betweenWarmUp_ = 0; // the first measurement between the tones, under way
    double lineSamples_ = 0;   // samples measured where the line is noise
    long long sinceReset_ = 0;
    double markPower_ = 0, spacePower_ = 0; // each tone's mean square while it leads
    Shown markShown_, spaceShown_;
    // Each tone's log-likelihood of each strength over the over's characters, the older the
    // less (a character's counts LevelMemory less each frame).
    PerStrength overMark_{}, overSpace_{};
    PerStrength frameMark_{}, frameSpace_{}; // the last frame's alone
    bool overShown_ = false;
    // The odds as each of the last updates left them, and when: what they were where a frame
    // began, which later stretches may have moved since.
    struct Past {
        double at = -1e300, markOdds = 0, spaceOdds = 0;
    };
    std::array<Past, 8> past_{};
    std::size_t pastAt_ = 0;
    double logOddsAt(double at) const;
    unsigned overs_ = 0;
    double noiseSince_ = -1e300; // where the odds last fell to noise
    double signalAt_ = -1e300;   // where they last stood for a signal
    bool started_ = false;       // anything weighed since the last reset or restart
};

} // namespace rtty
