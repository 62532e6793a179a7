#include "Receiver.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

namespace rtty {

Receiver::Receiver(const ReceiverSettings &settings)
    : settings_(settings), notch_(SampleRateHz),
      mark_(SampleRateHz, Decimation, settings.markHz, settings.baud),
      space_(SampleRateHz, Decimation, settings.spaceHz, settings.baud),
      between_(SampleRateHz, Decimation, 0.5 * (settings.markHz + settings.spaceHz), settings.baud),
      threshold_(DecisionRateHz / settings.baud), framer_(DecisionRateHz / settings.baud),
      presence_(DecisionRateHz / settings.baud),
      detector_(SampleRateHz, Decimation, DecisionRateHz / settings.baud), block_(Decimation),
      recent_(std::size_t(RereadSeconds * DecisionRateHz) * Decimation)
{
    sinceReread_ = recent_.size();
    xy_.reserve(1 + 2 * XyPoints);
    apply(settings);
}

void Receiver::apply(const ReceiverSettings &settings)
{
    const bool baudChanged = settings.baud != settings_.baud;
    // Another signal: what the frame detector followed of the last one no longer holds.
    if (settings.markHz != settings_.markHz || settings.spaceHz != settings_.spaceHz ||
        settings.reverse != settings_.reverse) {
        detector_.reset();
        choice_.reset();
    }
    settings_ = settings;
    mark_.setTone(settings.markHz);
    space_.setTone(settings.spaceHz);
    between_.setTone(0.5 * (settings.markHz + settings.spaceHz));
    if (baudChanged) {
        mark_.setBaud(settings.baud);
        space_.setBaud(settings.baud);
        between_.setBaud(settings.baud);
        threshold_.setSamplesPerBit(DecisionRateHz / settings.baud);
        framer_.setSamplesPerBit(DecisionRateHz / settings.baud);
        presence_.setSamplesPerBit(DecisionRateHz / settings.baud);
        detector_.setSamplesPerBit(DecisionRateHz / settings.baud);
    }
    threshold_.setEnabled(settings.atc);
    decoder_.setUnshiftOnSpace(settings.unshiftOnSpace);
    if (settings.notch && notch_.frequency() != settings.notchHz)
        notch_.setFrequency(settings.notchHz);
}

void Receiver::retune(double markHz, double spaceHz)
{
    const bool far = std::fabs(markHz - settings_.markHz) > RereadMoveHz ||
                     std::fabs(spaceHz - settings_.spaceHz) > RereadMoveHz;
    settings_.markHz = markHz;
    settings_.spaceHz = spaceHz;
    mark_.setTone(markHz);
    space_.setTone(spaceHz);
    between_.setTone(0.5 * (markHz + spaceHz));
    // Only what was not worth keeping is read again, and nothing twice: a signal already read
    // well, or read again lately, is followed as it is.
    if (far && !quality_.good() && !detector_.trusted() && sinceReread_ >= recent_.size())
        reread();
}

void Receiver::reread()
{
    mark_.reset();
    space_.reset();
    between_.reset();
    threshold_.reset();
    framer_.reset();
    detector_.reset();
    choice_.reset();
    presence_.restart();
    quality_.reset();
    oversSeen_ = presence_.overs();
    decoder_.reset();
    held_.clear();
    levelReached_ = false;
    // The blocks in the order they came, the oldest first; the block being filled now is read
    // when it is full, as always.
    rereading_ = true;
    sinceReread_ = 0;
    const std::size_t blocks = recentFilled_ / Decimation;
    const std::size_t size = recent_.size();
    std::size_t at = (recentAt_ + size - recentFilled_) % size;
    for (std::size_t b = 0; b < blocks; ++b, at = (at + Decimation) % size)
        decide(mark_.execute(&recent_[at]), space_.execute(&recent_[at]),
               between_.execute(&recent_[at]));
    rereading_ = false;
}

void Receiver::process(const float *samples, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        float x = samples[i];
        if (settings_.noiseBlanker)
            x = blanker_.execute(x);
        if (settings_.carrierCanceller)
            x = canceller_.execute(x);
        if (settings_.notch)
            x = notch_.execute(x);
        block_[filled_++] = x;
        if (filled_ == Decimation) {
            filled_ = 0;
            std::copy(block_.begin(), block_.end(), recent_.begin() + std::ptrdiff_t(recentAt_));
            recentAt_ = (recentAt_ + Decimation) % recent_.size();
            recentFilled_ = std::min(recentFilled_ + Decimation, recent_.size());
            sinceReread_ = std::min(sinceReread_ + Decimation, recent_.size());
            decide(mark_.execute(block_.data()), space_.execute(block_.data()),
                   between_.execute(block_.data()));
        }
    }
}

void Receiver::decide(std::complex<float> mark, std::complex<float> space,
                      std::complex<float> between)
{
    ++decisions_;
    float m = std::abs(mark), s = std::abs(space);
    if (settings_.reverse)
        std::swap(m, s);
    presence_.push(m, s, std::abs(between));
    const float decision = threshold_.decide(m, s);
    const ToneLevels levels{threshold_.markAmplitude(), threshold_.spaceAmplitude(),
                            threshold_.noisePower()};
    if (settings_.reverse)
        detector_.push(space, mark, space_.referencePhase(), mark_.referencePhase(), space_.step(),
                       mark_.step(), levels);
    else
        detector_.push(mark, space, mark_.referencePhase(), space_.referencePhase(), mark_.step(),
                       space_.step(), levels);
    std::optional<char> c;
    bool isCharacter = true; // not the line turning from noise to a sender's mark
    if (const auto frame = framer_.push(decision)) {
        quality_.push(frame->bits);
        const auto evidence = presence_.frame(frame->start, frame->bit, frame->code);
        isCharacter = evidence.character > 0;
        if (presence_.overs() != oversSeen_)
            newOver();
        // With ATC on every bit is decided by the per-bit likelihood (the framer's decisions
        // are that); with it off the reading is chosen frame by frame.
        const auto coherent =
            detector_.detect(frame->start, frame->bit, !settings_.atc && choice_.fadeAt(levels));
        const std::uint8_t chosen = choice_.choose(*frame, coherent, detector_.trusted(),
                                                   detector_.recentDeficit(), levels);
        const std::uint8_t raw = settings_.atc ? frame->code : chosen;
        // A lost LTRS is guessed from the framer's bits; the reading that follows a fade weighs
        // its bits' likelihoods against what the sender is likely to send next; the other
        // readings are sure enough of their own codes that the guess costs more than it saves
        // (the decoder table).
        const auto reading = choice_.lastReading();
        const bool bitByBit = settings_.atc || reading == ReadingChoice::Reading::BitByBit;
        const auto code = bitByBit ? letterShiftFromUnsureBit(raw, frame->bits, decoder_.context())
                          : reading == ReadingChoice::Reading::Following
                              ? likeliestCode(coherent.following, decoder_.context())
                              : raw;
        c = decoder_.decode(code);
    } else if (presence_.overs() != oversSeen_) {
        newOver(); // a sender's mark before his first character
    }
    // Only a signal's cadence is followed, through its fades.
    framer_.followCadence(presence_.inOver());
    if (c && onCharacter) {
        if (!settings_.squelch)
            onCharacter(*c);
        else if (isCharacter && held_.size() < MostHeld)
            hold(*c);
    }
    judge();

    // XY: each channel's output turned at its own tone, so that a steady tone draws a line
    // along its axis; scaled to the recent peak.
    if (onXy && !rereading_) {
        xyPhase_ += 2 * std::numbers::pi * 0.23;
        const std::complex<float> turn(float(std::cos(xyPhase_)), float(std::sin(xyPhase_)));
        const float peak = std::max(threshold_.markPeak(), threshold_.spacePeak());
        xyScale_ += (30000.0f / std::max(peak, 1e-9f) - xyScale_) * 0.01f;
        if (xy_.empty())
            xy_.push_back(0);
        xy_.push_back(std::clamp(std::int32_t((mark * turn).real() * xyScale_), -32768, 32767));
        xy_.push_back(std::clamp(std::int32_t((space * turn).real() * xyScale_), -32768, 32767));
        if (++xy_[0] == std::int32_t(XyPoints)) {
            onXy(xy_);
            xy_.clear();
        }
    }
}

void Receiver::newOver()
{
    // What was followed of the noise, or of the last sender, says nothing of this one; his
    // machine is taken to start in letters, as senders do (most send LTRS first).
    oversSeen_ = presence_.overs();
    framer_.newSender();
    quality_.reset();
    detector_.reset();
    choice_.reset();
    decoder_.reset();
}

double Receiver::fadeLength() const
{
    return SignalPresence::FadeBits * DecisionRateHz / settings_.baud;
}

void Receiver::hold(char c)
{
    // Whether its own frame stood at the squelch level, and whether it came within a deep
    // fade's length of one that did (SignalPresence::FadeBits).
    const bool atLevel =
        presence_.frameLevelProbability(settings_.squelchLevel / LevelPerDb) >= 0.5;
    const double now = double(decisions_);
    const bool nearOne = now - atLevelAt_ < fadeLength();
    if (atLevel)
        atLevelAt_ = now;
    lastAtLevel_ = atLevel;
    held_.push_back({c, atLevel, nearOne, now});
}

void Receiver::judge()
{
    if (!settings_.squelch) {
        held_.clear();
        return;
    }
    const double odds = presence_.logOdds();
    if (odds <= -SignalPresence::DecidedLogOdds) {
        held_.clear();
        levelReached_ = false;
        return;
    }
    if (odds >= SignalPresence::DecidedLogOdds &&
        presence_.levelProbability(settings_.squelchLevel / LevelPerDb) >= LevelSure)
        levelReached_ = true;
    if (odds >= SignalPresence::DecidedLogOdds && levelReached_ && !held_.empty() && onCharacter) {
        // In order: what stood at the level itself; what a fade took under it, once the over
        // is back at its strength within a fade's length; the rest waits for that while it may
        // still come, and is dropped once it cannot.
        const double now = double(decisions_);
        std::size_t k = 0;
        for (; k < held_.size(); ++k) {
            const Held &h = held_[k];
            const bool recent = now - h.readAt < fadeLength();
            if (h.atLevel || (lastAtLevel_ && h.nearOne && recent))
                onCharacter(h.c);
            else if (recent && !lastAtLevel_)
                break;
        }
        held_.erase(held_.begin(), held_.begin() + std::ptrdiff_t(k));
    }
}

int Receiver::signalLevel() const
{
    return std::clamp(int(presence_.levelDb() * LevelPerDb), 0, 1023);
}

bool Receiver::squelchOpen() const
{
    return !settings_.squelch ||
           (presence_.logOdds() >= SignalPresence::DecidedLogOdds && levelReached_);
}

} // namespace rtty
