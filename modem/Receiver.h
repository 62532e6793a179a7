// The receive chain: audio at SampleRateHz -> noise blanker -> LMS carrier canceller and notch
// (when on) -> mark and space tone channels -> envelopes -> threshold control -> character framing
// -> Baudot -> characters, with the squelch in front of the output. The last second of sound is
// kept, so that a signal AFC pulls in from far off is read from where it began. Beside it: XY
// points of the two channels and the levels for the status record. Runs on the caller's thread;
// no allocation per sample.
#pragma once

#include "Baudot.h"
#include "CarrierCanceller.h"
#include "CharacterFramer.h"
#include "CoherentFrameDetector.h"
#include "DecodeQuality.h"
#include "EngineLinkProtocol.h"
#include "NoiseBlanker.h"
#include "NotchFilter.h"
#include "ReadingChoice.h"
#include "SignalPresence.h"
#include "ThresholdControl.h"
#include "ToneChannel.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace rtty {

struct ReceiverSettings {
    double markHz = enginelink::StandardMarkHz;
    double spaceHz = enginelink::StandardSpaceHz;
    double baud = 45.45;
    bool reverse = false;
    bool atc = false;
    bool squelch = false;
    int squelchLevel = 300; // 0..1023, the signal-level scale
    bool unshiftOnSpace = true;
    bool notch = false;
    double notchHz = 1000;
    bool carrierCanceller = false; // the LMS filter
    bool noiseBlanker = true;      // always on in the station; off to measure what it does
};

class Receiver {
public:
    static constexpr double SampleRateHz = 11025;
    static constexpr unsigned Decimation = 8;
    static constexpr double DecisionRateHz = SampleRateHz / Decimation;
    static constexpr std::size_t XyPoints = 256;

    explicit Receiver(const ReceiverSettings &settings = {});

    void apply(const ReceiverSettings &settings);
    const ReceiverSettings &settings() const { return settings_; }
    // Moves both tones (AFC). A move of more than RereadMoveHz is a new signal pulled in: what
    // was read of the last RereadSeconds with the old tones is read again with the new ones,
    // from a fresh start, so that a caller's first characters, sent before AFC found him, are
    // not lost. A smaller move keeps everything else.
    void retune(double markHz, double spaceHz);
    static constexpr double RereadMoveHz = 15;
    static constexpr double RereadSeconds = 1.0;

    std::function<void(char)> onCharacter;
    // count, then the (x, y) pairs, as the XY block carries them.
    std::function<void(const std::vector<std::int32_t> &)> onXy;

    void process(const float *samples, std::size_t count);

    // 0..1023: how far the stronger tone stands above the noise in one tone channel's output,
    // that is over a bit (25.6 per dB; noise alone reads 0).
    int signalLevel() const;
    static constexpr double LevelPerDb = 25.6;
    // The squelch lets an over through once it stands at the squelch level or over it with this
    // probability (SignalPresence::levelProbability).
    static constexpr double LevelSure = 0.9;
    // Squelch on: open once the over under way is judged a signal's (SignalPresence) and has
    // reached the squelch level, until it is judged to have ended. Characters read while the
    // judgement is still open are held, and given the moment it opens; those of what turns out
    // to be noise are dropped. Off: always open, nothing held.
    bool squelchOpen() const;
    // A new over's start, the line having been noise: the count so far.
    unsigned overs() const { return presence_.overs(); }

    // The most characters held while the squelch judges an over (about 45 s of text).
    static constexpr std::size_t MostHeld = 512;

private:
    void decide(std::complex<float> mark, std::complex<float> space, std::complex<float> between);
    void reread();
    void newOver();
    // Gives or drops what is held, as the squelch now stands.
    void judge();
    void hold(char c);
    double fadeLength() const; // a deep fade at most, in decision samples

    ReceiverSettings settings_;
    NoiseBlanker blanker_;
    NotchFilter notch_;
    CarrierCanceller canceller_;
    ToneChannel mark_, space_;
    ToneChannel between_; // midway between the tones: the noise there, for SignalPresence
    ThresholdControl threshold_;
    CharacterFramer framer_;
    SignalPresence presence_;
    DecodeQuality quality_; // whether what was read lately was read well
    CoherentFrameDetector detector_;
    ReadingChoice choice_;
    BaudotDecoder decoder_;
    std::vector<float> block_;
    std::size_t filled_ = 0;
    std::vector<float> recent_; // the last RereadSeconds of audio as the tone channels took it
    std::size_t recentAt_ = 0;  // where the next block goes
    std::size_t recentFilled_ = 0;
    std::size_t sinceReread_ = 0; // samples read since the last reread
    bool rereading_ = false;
    unsigned oversSeen_ = 0; // presence_.overs() as last acted on
    // Read while the squelch judges the over: given once it opens, those whose own frames stood
    // at the squelch level, and those a fade of the over took under it (read within a fade's
    // length of such a frame, the over back at it since); what came before may be something
    // weaker's, a neighbour's splash.
    struct Held {
        char c;
        bool atLevel;  // its own frame stood at the squelch level
        bool nearOne;  // within a deep fade's length of one that did
        double readAt; // when, in decision samples
    };
    std::vector<Held> held_;
    long long decisions_ = 0;   // decision samples so far
    double atLevelAt_ = -1e300; // where the last character at the squelch level was read
    bool lastAtLevel_ = false;  // the last character held stood at it
    bool levelReached_ = false; // the over under way has reached the squelch level
    std::vector<std::int32_t> xy_;
    float xyScale_ = 1e-3f;
    double xyPhase_ = 0;
};

} // namespace rtty
