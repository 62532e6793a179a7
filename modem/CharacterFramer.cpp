#include "CharacterFramer.h"

#include <algorithm>
#include <cmath>

namespace rtty {

namespace {
constexpr double LastBitBits = 6.5; // the first stop bit is read this after the start
constexpr double SearchBits = 0.5;  // the start is sought within this of the crossing
// The decision this long before a start bit reads mark after 1.5 stop bits (or longer) and
// space after a single mark code bit with a space before it.
constexpr double ShortMarkBits = 1.25;
constexpr double RivalBits = 7.0;     // a frame starting this much later is the next one
constexpr double NextStartBits = 7.0; // the next crossing lies at least this after a start
constexpr double FrameBits = 7.5;     // start, 5 code bits, 1.5 stop bits
constexpr double MinPeriodBits = 6.7, MaxPeriodBits = 8.6; // 1 to 2 stop bits and a little
constexpr double CadenceBits = 0.3;         // a frame in cadence starts within this of its due time
constexpr double ProbeBits = 0.65;          // the second frame: 1 to 2 stop bits after the first
constexpr double OtherStopBits = 0.35;      // an interval this far from 7.5 bits: other stop bits
constexpr double NoisyOtherStopBits = 0.45; // the same where the bits are noisy (NoisyBits)
// The flywheel's corrections; the period's is enough to follow a sender 1.2% off speed (46 or
// 45 baud for 45.45), and small enough that noise hardly moves it (the decoder table's steady
// noise rows read as well as with half of it).
constexpr double PhaseGain = 0.15, PeriodGain = 0.02;
// A start bit reading mark by more than this share of the typical decision means the sender
// has stopped; short of it, noise or a fade.
constexpr float StoppedShare = 0.25f;
// Whether the sender pauses between characters: how often his start bits have read mark where
// the cadence put them lately (each frame counting PauseGain). A sender typing as he goes shows
// it at about two characters in five; one sending from a buffer never, so that only noise makes
// it: about one in forty at -10 dB, one in ten at -12 dB. Over PausingOn he is taken to pause,
// under PausingOff not; a new signal is taken not to pause until it shows otherwise. (Taken
// to pause, a steady sender at -12 dB was read for a minute and more before his start bits,
// whose false stops sent the framer off into wrong cadences, showed that he did not; where the
// bits are clear, below, it makes no difference.)
constexpr double PauseGain = 0.02, PausingOn = 0.25, PausingOff = 0.15, StartingPauses = 0.2;
// A sender who does not pause is read through a start bit that reads mark, where the bits are
// not clear of the noise (the code bits' sizes' squared mean under NoisyBits times their
// variance: about -8 dB and worse; 40 at -2 dB, 15 at -6 dB, 4 at -10 dB; each bit counting
// BitClarityGain), unless the last frame's start bit read mark too: he has stopped, or the
// cadence has slipped. (Leaving the cadence also where the line read mark on over the start bit
// and the two bits after it lost more in deep noise than it saved: the search that follows
// finds the frames again only after a few wrong ones.) Where the bits are clear, noise seldom
// turns a start bit, and one reading mark is a pause.
constexpr double NoisyBits = 8, BitClarityGain = 0.02;
// Once the cadence has held for HeldFrames on end, the sender is known to send from a buffer
// at the period it shows, and deep noise turning two start bits in a row is likelier than his
// stopping: he is read through HeldReadThroughs of them. (At -12 dB two in a row come about
// once in a hundred frames; leaving the cadence there and finding it again, often at the wrong
// place for a few frames, lost 10% of the characters.)
constexpr int HeldFrames = 40, HeldReadThroughs = 2;

// Moves a running mean and variance towards a new value by `gain`.
void follow(double &mean, double &variance, double value, double gain)
{
    mean += gain * (value - mean);
    variance += gain * ((value - mean) * (value - mean) - variance);
}
// The sender's stop bits are learnt from a cadence whose start bits stand clearly out of the
// noise: the square of their mean at least LearnStartBits times their variance (about -2 dB
// and better; over the last frames, each counting ClarityGain), and whose period lies within
// LearnStopBits of a whole number of half bits.
constexpr double LearnStartBits = 30, ClarityGain = 0.1, LearnStopBits = 0.1;
// Stop bits other than the usual 1.5 are learnt only once the cadence has held for
// OtherStopFrames: until the flywheel has measured the period, it is what the second frame's
// interval suggested, rounded to half a bit. (Learnt at once, a first interval read 0.4 bit short
// at -6 dB had a RYRY caller read at 1 stop bit, out of step, for a dozen characters.)
constexpr int OtherStopFrames = 6;
// Nor are they learnt unless the code bits stand out of the noise too (bitClarity at least
// LearnBits: about -9 dB and better): in the first frames of a signal the start bits' spread is
// not known yet, and at -12 dB stop bits learnt from them were wrong for the rest of it.
// Where the bits are not clear, they are learnt from a cadence that has held for HeldFrames:
// over so many frames the period the flywheel has settled to tells them surely. Unknown, each
// time the cadence was lost and found again the stop bits were told anew from one noisy
// interval, and at -12 dB often wrongly.
constexpr double LearnBits = 5;
// The sender's bit is measured on frames whose bits all read at least this clearly, and
// corrected by this share of what one frame shows; from the cadence, once it has held for
// CadenceBitFrames, by CadenceBitGain of what the period shows. It stays within MaxSpeedError
// of the nominal bit (mechanical machines and sound-card clocks are seldom further off).
// Noise keeps the two gains small: a bit that wanders costs the whole-frame reader dearly.
constexpr float ClearBit = 0.8f;
constexpr double BitGain = 0.05, CadenceBitGain = 0.1, MaxSpeedError = 0.04;
constexpr int CadenceBitFrames = 12;
} // namespace

CharacterFramer::CharacterFramer(double samplesPerBit)
{
    setSamplesPerBit(samplesPerBit);
}

void CharacterFramer::setSamplesPerBit(double samplesPerBit)
{
    samplesPerBit_ = samplesPerBit;
    bit_ = framesBit_ = samplesPerBit;
    history_.assign(std::size_t(std::ceil(samplesPerBit * 16)) + 8, 0.0f);
    reset();
}

void CharacterFramer::reset()
{
    newSender();
    crossing_.reset();
    scanFrom_ = now_ + 2;
}

void CharacterFramer::newSender()
{
    bit_ = framesBit_ = samplesPerBit_;
    amplitude_ = 0;
    learntPeriod_ = 0;
    bitMean_ = bitVariance_ = 0;
    startMean_ = 0;
    startVariance_ = 0;
    expected_.reset();
    lock_ = 0;
    period_ = FrameBits * bit_;
    pauseShare_ = StartingPauses;
    pausing_ = false;
    readThroughs_ = 0;
}

float CharacterFramer::sample(long long i) const
{
    // Before the first sample the line was silent.
    if (i < 0)
        return 0;
    return history_[std::size_t(i % (long long)history_.size())];
}

float CharacterFramer::at(double time) const
{
    const auto i = (long long)std::floor(time);
    const double f = time - double(i);
    const float a = sample(i);
    const float b = sample(i + 1);
    return a + float(f) * (b - a);
}

std::optional<double> CharacterFramer::crossingAfter(long long i, bool falling) const
{
    const float a = sample(i);
    const float b = sample(i + 1);
    if (falling ? a > 0 && b <= 0 : a < 0 && b >= 0)
        return double(i) + a / double(a - b);
    return std::nullopt;
}

double CharacterFramer::withinSpeedError(double bit) const
{
    return std::clamp(bit, samplesPerBit_ * (1 - MaxSpeedError),
                      samplesPerBit_ * (1 + MaxSpeedError));
}

std::optional<Frame> CharacterFramer::push(float decision)
{
    ++now_;
    history_[std::size_t(now_ % (long long)history_.size())] = decision;
    search();
    if (frames_.empty())
        return std::nullopt;
    const Frame frame = frames_.front();
    frames_.pop_front();
    return frame;
}

// Looks for crossings from scanFrom_ on, and reads each frame as soon as it is complete.
void CharacterFramer::search()
{
    const double frameSpan = (SearchBits + LastBitBits) * bit_ + 2;
    const long long oldest = now_ - (long long)history_.size() + 2;
    if (scanFrom_ < oldest)
        scanFrom_ = oldest;
    for (;;) {
        if (expected_) {
            if (double(now_) < *expected_ + frameSpan)
                return;
            if (readExpected())
                continue;
            // Out of cadence: look for crossings again from a little before the due time.
            scanFrom_ = std::max(scanFrom_, (long long)std::floor(*expected_ - SearchBits * bit_));
            expected_.reset();
            lock_ = 0;
            readThroughs_ = 0;
            period_ = learntPeriod_ > 0 ? learntPeriod_ : FrameBits * bit_;
            continue;
        }
        if (!crossing_) {
            while (scanFrom_ <= now_) {
                crossing_ = crossingAfter(scanFrom_ - 1, true);
                if (crossing_)
                    break;
                ++scanFrom_;
            }
            if (!crossing_)
                return;
        }
        if (double(now_) < *crossing_ + frameSpan)
            return; // the frame is not complete yet
        const double crossing = *crossing_;
        const Verdict verdict = evaluate(crossing);
        if (verdict == Verdict::Waiting)
            return; // the frames it may be confused with are not complete yet
        crossing_.reset();
        if (verdict == Verdict::None)
            scanFrom_ = (long long)std::floor(crossing) + 2;
    }
}

double CharacterFramer::fit(double start) const
{
    const double T = bit_;
    double score = at(start - 0.5 * T) - at(start + 0.5 * T) + at(start + 6.5 * T);
    for (int k = 1; k <= 5; ++k)
        score += std::fabs(at(start + (k + 0.5) * T));
    return score;
}

// The start time within [from, to] at which the frame's bits stand out most clearly; of equally
// good ones the nearest to the middle.
double CharacterFramer::bestStart(double from, double to) const
{
    const double T = bit_;
    const double middle = 0.5 * (from + to);
    const int reach = int(0.5 * (to - from));
    const double oldest = double(now_ - (long long)history_.size() + 2) + 0.5 * T;
    double best = middle, bestScore = -1e30;
    for (int step = 0; step <= 2 * reach; ++step) {
        const double start = middle + ((step % 2) ? (step + 1) / 2 : -(step / 2));
        if (start < oldest)
            continue;
        const double score = fit(start);
        if (score > bestScore) {
            bestScore = score;
            best = start;
        }
    }
    return best;
}

bool CharacterFramer::framed(double start) const
{
    // Mark before the start bit, the start bit space, the first stop bit mark.
    const double T = bit_;
    return at(start - 0.5 * T) > 0 && at(start + 0.5 * T) < 0 && at(start + 6.5 * T) > 0;
}

// Reads the frame whose start lies within SearchBits of the crossing. A start bit after a mark
// shorter than the 1.5 stop bits may be a code bit of a stream met in its midst, periodic text
// (RYRY) above all, whose frames keep a wrong start's cadence for long: of the frames that may
// start within this one, once they are complete, the one whose bits stand out most is read.
CharacterFramer::Verdict CharacterFramer::evaluate(double crossing)
{
    const double T = bit_;
    const double start = bestStart(crossing - SearchBits * T, crossing + SearchBits * T);
    if (!framed(start))
        return Verdict::None;
    double chosen = start;
    // A long mark shows only where the stream holds what came before (not at its very start).
    const bool longMark =
        start - (ShortMarkBits + 0.5) * T >= 0 && at(start - ShortMarkBits * T) > 0;
    if (!longMark) {
        const double last = start + RivalBits * T;
        if (double(now_) < last + (SearchBits + LastBitBits) * T + 2)
            return Verdict::Waiting;
        double best = fit(start);
        for (auto i = (long long)std::ceil(start + SearchBits * T); double(i) < last; ++i) {
            const auto rival = crossingAfter(i, true);
            if (!rival)
                continue;
            const double at = bestStart(*rival - SearchBits * T, *rival + SearchBits * T);
            if (at > start + SearchBits * T && framed(at) && fit(at) > best) {
                best = fit(at);
                chosen = at;
            }
        }
    }
    lock_ = 0;
    period_ = learntPeriod_ > 0 ? learntPeriod_ : FrameBits * T;
    accept(chosen);
    return Verdict::Read;
}

// Reads the frame due at expected_; false when the stream has left its cadence.
bool CharacterFramer::readExpected()
{
    if (!followCadence_)
        return false;
    const double T = bit_;
    const double due = *expected_;
    if (lock_ < LockedFrames) {
        // Not yet in cadence: the frame must show its whole structure. Its distance from the
        // last one, to the nearest half bit, tells how long the sender's stop bits are.
        const double found = bestStart(due - ProbeBits * T, due + ProbeBits * T);
        if (!framed(found))
            return false;
        // Once the sender's stop bits are known, only a shorter interval tells anything: a
        // pause (a sender typing as he goes) makes any interval longer.
        const double interval = found - (due - period_);
        if (learntPeriod_ > 0 && interval > learntPeriod_ - OtherStopBits * T) {
            accept(found);
            return true;
        }
        // Under noise the interval wanders by a few tenths of a bit: only one clearly off the
        // usual 1.5 stop bits is taken for another stop length. In deep noise it wanders
        // further, and a steady 1.5 stop bits taken for 2 cost the frames that followed.
        const double other = bitClarity() < NoisyBits ? NoisyOtherStopBits : OtherStopBits;
        period_ = std::fabs(interval - FrameBits * T) < other * T
                      ? FrameBits * T
                      : std::clamp(std::round(interval / (0.5 * T)) * 0.5 * T, MinPeriodBits * T,
                                   MaxPeriodBits * T);
        accept(found);
        return true;
    }
    const double found = bestStart(due - CadenceBits * T, due + CadenceBits * T);
    // The gains of a straight line fitted to the frames read in cadence so far, down to the
    // flywheel's own: a sender off speed is followed from the first frames on, and noise
    // hardly moves a long cadence.
    const double n = lock_ + 3;
    const double phaseGain = std::max(PhaseGain, 2 * (2 * n - 1) / (n * (n + 1)));
    const double periodGain = std::max(PeriodGain, 6 / (n * (n + 1)));
    const double start = due + phaseGain * (found - due);
    // A start bit reading mark: the sender has paused or stopped. A frame fitting best at the
    // edge of the window may lie beyond it (a pause shorter than a bit): then its start bit
    // must read clearly space where it is due.
    const bool atEdge = std::fabs(found - due) >= CadenceBits * T - 1;
    const bool startReadsMark =
        at(start + 0.5 * T) > (atEdge ? -StoppedShare : StoppedShare) * amplitude_;
    if (pauseShare_ > PausingOn)
        pausing_ = true;
    else if (pauseShare_ < PausingOff)
        pausing_ = false;
    pauseShare_ += PauseGain * ((startReadsMark ? 1.0 : 0.0) - pauseShare_);
    bool stopped = startReadsMark;
    if (!pausing_ && bitClarity() < NoisyBits) {
        const int most = learntPeriod_ > 0 && lock_ >= HeldFrames ? HeldReadThroughs : 1;
        stopped = startReadsMark && readThroughs_ >= most;
        readThroughs_ = startReadsMark && !stopped ? readThroughs_ + 1 : 0;
    } else {
        readThroughs_ = 0;
    }
    if (stopped)
        return false;
    period_ =
        std::clamp(period_ + periodGain * (found - due), MinPeriodBits * T, MaxPeriodBits * T);
    // The stop bits, once the cadence has held on clear frames and lies close to a whole
    // number of half bits: a pause (a sender typing as he goes) does not change them.
    const bool clear = startClarity() >= LearnStartBits && bitClarity() >= LearnBits;
    if (lock_ >= LockedFrames && (clear || lock_ >= HeldFrames)) {
        const double stop = std::clamp(std::round(2 * (period_ / T - 6)) / 2, 1.0, 2.0);
        if (std::fabs(period_ / T - 6 - stop) < LearnStopBits &&
            (stop == 1.5 || lock_ >= OtherStopFrames))
            learntPeriod_ = (6 + stop) * T;
    }
    // The cadence measures the sender's bit best: a frame holds 6 bits and the stop bits,
    // whose length (to the nearest half bit) the bit as measured within frames tells.
    if (lock_ >= CadenceBitFrames) {
        const double bits =
            6 + std::clamp(std::round(2 * (period_ / framesBit_ - 6)) / 2, 1.0, 2.0);
        bit_ = withinSpeedError(bit_ + CadenceBitGain * (period_ / bits - bit_));
    }
    accept(start);
    return true;
}

double CharacterFramer::bitClarity() const
{
    return bitMean_ * bitMean_ / std::max(bitVariance_, 1e-30);
}

double CharacterFramer::startClarity() const
{
    return startMean_ * startMean_ / std::max(startVariance_, 1e-30);
}

// Takes the frame that starts at `start` and expects the next one a period later.
void CharacterFramer::accept(double start)
{
    const double T = bit_;
    Frame frame;
    frame.start = start;
    float size = 0;
    for (int k = 1; k <= 5; ++k) {
        const float d = at(start + (k + 0.5) * T);
        frame.bits[std::size_t(k - 1)] = d;
        size += std::fabs(d);
        if (d > 0)
            frame.code |= std::uint8_t(1 << (k - 1));
    }
    if (bitMean_ == 0) {
        // The first frame of a signal: its own bits' spread.
        double m = 0, m2 = 0;
        for (float d : frame.bits) {
            m += std::fabs(d) / 5;
            m2 += double(d) * double(d) / 5;
        }
        bitMean_ = m;
        bitVariance_ = std::max(m2 - m * m, 0.0);
    }
    for (float d : frame.bits)
        follow(bitMean_, bitVariance_, std::fabs(d), BitClarityGain);
    size /= 5;
    amplitude_ = amplitude_ > 0 ? amplitude_ + 0.2f * (size - amplitude_) : size;
    // A start bit read through tells nothing of how clear the start bits are.
    if (readThroughs_ == 0) {
        const double startBit = at(start + 0.5 * T);
        if (startMean_ == 0)
            startMean_ = startBit; // the first frame of a signal: taken to be clear
        else
            follow(startMean_, startVariance_, startBit, ClarityGain);
    }
    for (float &b : frame.bits)
        b /= std::max(amplitude_, 1e-12f);
    frame.bit = T;
    measureBit(start, frame);
    frames_.push_back(frame);
    scanFrom_ = (long long)std::ceil(start + NextStartBits * T);
    expected_ = start + period_;
    ++lock_;
}

// Where a clear frame's transitions fall against where bits of bit_ put them: against a sender
// off speed each later transition lies further off, by the bit's error each bit. The crossing
// nearest to each transition's due time is taken, and the line through them gives the error.
void CharacterFramer::measureBit(double start, const Frame &frame)
{
    if (std::any_of(frame.bits.begin(), frame.bits.end(),
                    [](float b) { return std::fabs(b) < ClearBit; }))
        return;
    const double T = frame.bit;
    std::array<bool, 7> mark{}; // the start bit, 5 code bits, the stop bit
    for (int k = 0; k < 5; ++k)
        mark[std::size_t(k + 1)] = frame.bits[std::size_t(k)] > 0;
    mark[6] = true;
    // Sums for a line with one slope and an offset of its own for each direction of
    // transition: a mark weaker than the space, say, moves falling and rising crossings
    // apart, which must not read as a bit of another length.
    struct Sums {
        double n = 0, j = 0, e = 0, jj = 0, je = 0;
    };
    std::array<Sums, 2> sums{}; // falling, rising
    const double oldest = double(now_ - (long long)history_.size() + 2);
    for (int j = 0; j < 7; ++j) {
        const bool before = j == 0 || mark[std::size_t(j - 1)];
        if (before == mark[std::size_t(j)])
            continue;
        const double due = start + j * T;
        std::optional<double> nearest;
        for (auto i = (long long)std::ceil(std::max(due - 0.5 * T, oldest)); i < due + 0.5 * T;
             ++i) {
            const auto crossing = crossingAfter(i, before);
            if (crossing && (!nearest || std::fabs(*crossing - due) < std::fabs(*nearest - due)))
                nearest = crossing;
        }
        if (!nearest)
            continue;
        const double e = *nearest - due;
        Sums &d = sums[before ? 0 : 1];
        d.n += 1;
        d.j += j;
        d.e += e;
        d.jj += j * j;
        d.je += j * e;
    }
    double sxx = 0, sxy = 0;
    for (const Sums &d : sums)
        if (d.n > 0) {
            sxx += d.jj - d.j * d.j / d.n;
            sxy += d.je - d.j * d.e / d.n;
        }
    if (sxx < 2) // too few transitions, or too close together to tell
        return;
    // A frame misread, or a crossing of noise taken for a transition, may show any error: no
    // more than the largest a sender may have is believed.
    const double most = MaxSpeedError * samplesPerBit_;
    const double slope = std::clamp(sxy / sxx, -most, most);
    framesBit_ = withinSpeedError(framesBit_ + BitGain * (T + slope - framesBit_));
    if (lock_ < LockedFrames) // in cadence, the cadence measures it
        bit_ = framesBit_;
}

} // namespace rtty
