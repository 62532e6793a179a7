// Finds characters in the decision stream (positive = mark). A mark-to-space crossing marks a
// possible start bit; once the whole frame has arrived, the start time is chosen within half a
// bit of the crossing so that the frame's bits stand out most clearly (the start bit most
// negative, the stop bit most positive, each code bit farthest from the threshold): under
// noise the crossing itself is a poor clock, the whole frame a good one. A frame whose start
// bit reads mark or whose first stop bit reads space is no character: the search resumes just
// after its crossing, so a true start bit hidden behind a false one is still found.
// A steady stream (text sent from a buffer, diddles) is read by its cadence instead: once a
// frame has been read, the next one is expected a frame's length later, and once two frames
// have kept that cadence the next is read there whatever the crossings do, as long as its start
// bit does not plainly read mark (the sender has paused or stopped). A flywheel of phase and
// period keeps the cadence through noise and fades and follows a sender whose stop bits are not
// 1.5 long; its gains start as those of a line fitted to the frames so far, so that it follows
// a new sender at once, and settle to small ones. The stop bits a cadence shows while it holds
// on clear frames are kept through pauses: the interval around a pause (a sender typing as he
// goes) is longer than his frames, and tells nothing of his stop bits. A sender who does not
// pause at all (text from a buffer, a contest exchange) is told from one who does by how often
// his start bits read mark where they are due; he is read through a start bit that noise has
// turned, where leaving the cadence would lose the character and more while the frames are
// found again.
// The sender's bit is measured, not assumed: a machine or a sound card a few percent off
// speed puts the later bits of a frame well away from where the nominal bit does. It is
// measured on each clear frame from where its transitions fall, and more surely from the
// cadence while there is one; the frame's bits are read, and the next frames sought, with it.
// The decision stream comes from a one-bit matched filter: a bit is best read at its end in the
// raw signal, half a bit after the filtered crossing for the start bit.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace rtty {

// One character frame as read: its code and each code bit's decision value over the typical
// size of a decision lately (about +1 for a clear mark, -1 for a clear space, near 0 unsure).
struct Frame {
    std::uint8_t code = 0;
    std::array<float, 5> bits{};
    double start = 0; // sample index (0 = the first pushed) of the start crossing
    double bit = 0;   // the sender's bit as measured, in samples: where the bits were read
};

class CharacterFramer {
public:
    explicit CharacterFramer(double samplesPerBit);

    void setSamplesPerBit(double samplesPerBit);
    void reset();
    // A new sender from here on (a new over has begun): forgets what was measured of the last
    // one (his bit, stop bits, how clear his bits stood and whether he pauses) and his cadence,
    // but keeps looking for frames where it was, so that the new sender's first is not missed.
    void newSender();
    // Whether a cadence may be followed: only a signal's is worth following. Noise alone makes
    // frames too, and a flywheel set going by them would read a new signal's first frames where
    // the noise had put them, out of step; without one, each frame is sought from its start bit.
    void followCadence(bool follow) { followCadence_ = follow; }

    // One decision value; a frame when a whole one has been read.
    std::optional<Frame> push(float decision);

private:
    float sample(long long i) const; // the decision at sample i; 0 before the first
    float at(double time) const;     // the decision stream between samples
    // Where the stream crosses zero between samples i and i + 1, falling (mark to space) or
    // rising; nothing when it does not.
    std::optional<double> crossingAfter(long long i, bool falling) const;
    double withinSpeedError(double bit) const; // clamped to what a sender may be off
    void search();
    enum class Verdict { Read, None, Waiting };
    Verdict evaluate(double crossing);
    bool framed(double start) const; // a frame's structure shows, starting there
    bool readExpected();
    double startClarity() const; // the start bits' squared mean over their variance lately
    double bitClarity() const;   // the same of the code bits' sizes
    double bestStart(double from, double to) const;
    double fit(double start) const; // how clearly a frame starting there stands out
    void accept(double start);
    void measureBit(double start, const Frame &frame);

    static constexpr int LockedFrames = 2; // frames in cadence before the flywheel reads alone

    double samplesPerBit_;       // the nominal bit
    double bit_;                 // the sender's bit, as measured: where bits are read
    double framesBit_;           // the same measured within frames alone: tells the stop bits
    std::vector<float> history_; // the last stretch of the stream, by sample index
    long long now_ = -1;         // index of the newest sample
    long long scanFrom_ = 1;     // crossings are looked for from here on
    std::optional<double> crossing_;
    std::optional<double> expected_;           // where the next frame's start is due
    double period_ = 0;                        // the cadence, in samples
    double learntPeriod_ = 0;                  // the cadence once it has held; kept through pauses
    double startMean_ = 0, startVariance_ = 0; // of the start bits read lately
    double bitMean_ = 0, bitVariance_ = 0;     // of the code bits' sizes read lately
    int lock_ = 0;                             // frames read in cadence lately
    float amplitude_ = 0;
    double pauseShare_ = 0; // how often the start bit has read mark where it was due lately
    bool pausing_ = false;  // the sender pauses between characters
    int readThroughs_ = 0;  // frames read on end through a start bit reading mark, up to the last
    bool followCadence_ = true;
    std::deque<Frame> frames_;
};

} // namespace rtty
