#include "CoherentFrameDetector.h"

#include "Baudot.h"
#include "ThresholdControl.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace rtty {

namespace {

constexpr int Bits = 8;                       // the stop bit before, start, 5 code bits, stop
constexpr double SearchHz[] = {-0.5, 0, 0.5}; // around the followed error, for each code
constexpr double MeasureSpanHz = 4;           // the error measured on a frame, at most
constexpr double MeasureStepHz = 0.5;
constexpr double OffsetGain = 0.3;    // how far one frame moves the followed error
constexpr double CoherenceGain = 0.1; // about the last ten frames count
constexpr double ShiftGain = 0.1;     // the same for the shift's error
constexpr double MaxOffsetHz = 20;
constexpr double StartingCoherence = 0.85;
constexpr double StartingDeficit = 0.3;
constexpr double MaxSnr = 1000;  // beyond, the other tone's channel holds more than noise
constexpr double MaxDeficit = 5; // one frame's counts no more than this in the average

// The reading with levels taken near each bit: how far (in bits) a neighbour's weight falls by
// e, and the weight at which a tone's level counts as fairly known (1 - 1/e).
constexpr double LevelSpanBits = 1.5;
constexpr double KnownWeight = 1;
constexpr double MaxPreviousBits = 10; // the last frame's bits count when no older than this

// The reading that follows the channel through a fade: each tone's gain is taken to wander as
// a Gaussian process, its correlation between two bits dt apart exp(-2 (pi sigma dt)^2). Slow
// fading of 1 Hz spread has a sigma of 0.5 Hz, but the phases taken from the tone channels
// wander more than the channel alone turns them (what tuning error is left within a frame):
// measured on slow fading at +4 and +10 dB, 1.5 reads best (1.25 and 2 about as well; 0.5 has
// twice the errors).
constexpr double ChannelSigmaHz = 1.5;
// How many of the last frame's bits take part (its latest, clear of this frame): they tell
// this frame's gains where a fade has taken them. Three read slow fading at +4 dB with about 8%
// fewer errors and at +10 dB with about a third fewer than none; six, about as well.
constexpr int FollowedLastBits = 3;

using Tones = std::array<bool, Bits>;

Tones tonesOf(int code)
{
    Tones isMark{};
    isMark[0] = true;  // the stop bit before
    isMark[1] = false; // start
    for (int b = 0; b < 5; ++b)
        isMark[std::size_t(b + 2)] = ((code >> b) & 1) != 0;
    isMark[Bits - 1] = true; // stop
    return isMark;
}

// A frame's bits at their ends (see detect), each taken to be the tone it is known to be (the
// stop bits, the start bit) or the tone that leads in it.
std::array<ReadBit, Bits> readBits(const std::array<std::complex<double>, Bits> &mark,
                                   const std::array<std::complex<double>, Bits> &space,
                                   double start, double bit)
{
    std::array<ReadBit, Bits> bits{};
    for (std::size_t k = 0; k < Bits; ++k) {
        const double m = std::abs(mark[k]), s = std::abs(space[k]);
        const bool isMark = k == 1 ? false : k == 0 || k == Bits - 1 || m > s;
        bits[k] = {start + (double(k) - 0.5) * bit, m, s, isMark};
    }
    return bits;
}

// The noise's per-component variance in a frame, from the tone that trails in each bit.
double noiseVariance(const std::array<ReadBit, Bits> &bits)
{
    double noise = 0;
    for (const ReadBit &b : bits)
        noise += b.isMark ? b.space * b.space : b.mark * b.mark;
    return std::max(0.5 * noise / Bits, 1e-20);
}

// Each tone's mean size in the bits of a frame it leads (the known stop and start bits among
// them).
struct FrameSizes {
    double mark = 0, space = 0;
};
FrameSizes frameSizes(const std::array<ReadBit, Bits> &frame)
{
    FrameSizes sizes;
    int markBits = 0, spaceBits = 0;
    for (const ReadBit &b : frame) {
        (b.isMark ? sizes.mark : sizes.space) += b.isMark ? b.mark : b.space;
        ++(b.isMark ? markBits : spaceBits);
    }
    sizes.mark /= std::max(markBits, 1);
    sizes.space /= std::max(spaceBits, 1);
    return sizes;
}

// Each code bit's log-likelihood ratio, mark over space, with each tone's amplitude taken from
// the frame's own bits.
std::array<float, 5> perBitLikelihoods(const std::array<ReadBit, Bits> &frame, double var)
{
    const FrameSizes sizes = frameSizes(frame);
    std::array<float, 5> bits{};
    for (std::size_t b = 0; b < 5; ++b)
        bits[b] = float(toneLikelihood(frame[b + 2].mark, sizes.mark, var) -
                        toneLikelihood(frame[b + 2].space, sizes.space, var));
    return bits;
}

// Each code bit's log-likelihood ratio with the tones' levels taken near it (see
// Result::local). bits: the frame's eight bits and, after them, the last frame's; var: the
// noise's per-component variance; bit: a bit's length in samples.
std::array<float, 5> localLikelihoods(const std::vector<ReadBit> &bits, double var, double bit)
{
    std::array<float, 5> out{};
    for (std::size_t b = 0; b < 5; ++b) {
        const ReadBit &self = bits[b + 2];
        double markWeight = 0, markSum = 0, spaceWeight = 0, spaceSum = 0;
        for (std::size_t k = 0; k < bits.size(); ++k) {
            if (k == b + 2)
                continue;
            const double w = std::exp(-std::fabs(bits[k].at - self.at) / (LevelSpanBits * bit));
            if (bits[k].isMark) {
                markWeight += w;
                markSum += w * bits[k].mark;
            } else {
                spaceWeight += w;
                spaceSum += w * bits[k].space;
            }
        }
        const double markLevel = markWeight > 0 ? markSum / markWeight : 0;
        const double spaceLevel = spaceWeight > 0 ? spaceSum / spaceWeight : 0;
        const double markKnown = 1 - std::exp(-markWeight / KnownWeight);
        const double spaceKnown = 1 - std::exp(-spaceWeight / KnownWeight);
        out[b] = float(markKnown * toneLikelihood(self.mark, markLevel, var) -
                       spaceKnown * toneLikelihood(self.space, spaceLevel, var));
    }
    return out;
}

// The log-likelihood of a tone's phasors z in the bits a code gives it (times t, seconds; noise
// of unit variance), the tone being there with a gain that wanders as a Gaussian process of
// mean power `power`, over its being absent: z^H (I - M^-1) z - log det M, M = power R + I.
// M depends on the bits' times alone, so it is factored once for the offsets tried.
constexpr int MaxFollowed = 16; // a frame's bits and the last frame's that take part
struct GainFactor {
    std::array<double, MaxFollowed * MaxFollowed> lower{}; // M's Cholesky factor
    double logDet = 0;
    int n = 0;
};

GainFactor factorGains(const std::array<double, MaxFollowed> &t, int n, double power)
{
    constexpr double Spread =
        2 * std::numbers::pi * std::numbers::pi * ChannelSigmaHz * ChannelSigmaHz;
    constexpr int Bits = MaxFollowed;
    GainFactor f;
    f.n = n;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j <= i; ++j) {
            const double dt = t[std::size_t(i)] - t[std::size_t(j)];
            double m = power * std::exp(-Spread * dt * dt) + (i == j ? 1 : 0);
            for (int k = 0; k < j; ++k)
                m -= f.lower[std::size_t(i * Bits + k)] * f.lower[std::size_t(j * Bits + k)];
            if (i == j) {
                const double d = std::sqrt(std::max(m, 1e-12));
                f.lower[std::size_t(i * Bits + i)] = d;
                f.logDet += 2 * std::log(d);
            } else {
                f.lower[std::size_t(i * Bits + j)] = m / f.lower[std::size_t(j * Bits + j)];
            }
        }
    return f;
}

double followingLikelihood(const std::array<std::complex<double>, MaxFollowed> &z,
                           const GainFactor &f)
{
    constexpr int Bits = MaxFollowed;
    double whitened = 0, total = 0;
    std::array<std::complex<double>, Bits> w{};
    for (int i = 0; i < f.n; ++i) {
        std::complex<double> v = z[std::size_t(i)];
        for (int k = 0; k < i; ++k)
            v -= f.lower[std::size_t(i * Bits + k)] * w[std::size_t(k)];
        w[std::size_t(i)] = v / f.lower[std::size_t(i * Bits + i)];
        whitened += std::norm(w[std::size_t(i)]);
        total += std::norm(z[std::size_t(i)]);
    }
    return total - whitened - f.logDet;
}

} // namespace

CoherentFrameDetector::CoherentFrameDetector(double sampleRateHz, unsigned decimation,
                                             double samplesPerBit)
    : fs_(sampleRateHz), decimation_(decimation)
{
    setSamplesPerBit(samplesPerBit);
}

void CoherentFrameDetector::setSamplesPerBit(double samplesPerBit)
{
    samplesPerBit_ = samplesPerBit;
    // The count goes on: frame starts are given by the same count as the framer keeps.
    ring_.assign(std::size_t(std::ceil(samplesPerBit * 16)) + 8, Sample{});
    reset();
}

void CoherentFrameDetector::reset()
{
    previous_ = {};
    last_.valid = false;
    tracking_ = false;
    coherence_ = 0;
    deficit_ = 0;
}

void CoherentFrameDetector::push(std::complex<float> mark, std::complex<float> space,
                                 double markPhase, double spacePhase, double markStep,
                                 double spaceStep, const ToneLevels &levels)
{
    ring_[std::size_t(count_ % (long long)ring_.size())] =
        Sample{mark, space, markPhase, spacePhase, markStep, spaceStep, levels};
    ++count_;
}

std::complex<double> CoherentFrameDetector::at(double index, bool mark) const
{
    const auto i = (long long)std::floor(index);
    const double f = index - double(i);
    const auto size = (long long)ring_.size();
    if (i < 0 || i + 1 >= count_ || i + 1 < count_ - size)
        return {};
    const Sample &a = ring_[std::size_t(i % size)];
    const Sample &b = ring_[std::size_t((i + 1) % size)];
    const std::complex<double> va(mark ? a.mark : a.space), vb(mark ? b.mark : b.space);
    const double phase = (mark ? a.markPhase : a.spacePhase) +
                         f * double(decimation_) * (mark ? a.markStep : a.spaceStep);
    return (va + f * (vb - va)) * std::polar(1.0, phase);
}

// The frame's eight bits as the channels hold them: each bit's phasor at its end, the received
// signal's phase there.
struct CoherentFrameDetector::Phasors {
    std::array<std::complex<double>, Bits> mark{}, space{};
};

// How far each tone's phase turns over a bit, its mixer's turn and a tuning error both.
struct CoherentFrameDetector::Turns {
    double mark = 0, space = 0;
};

// What the gain likelihood holds fixed over a frame: the noise's scale (unit), each tone's mean
// power in it, and where the frame's bits lie in time.
struct CoherentFrameDetector::GainModel {
    double unit = 0, markPower = 0, spacePower = 0;
    double start = 0, bit = 0, bitSeconds = 0, sampleSeconds = 0;
};

// Each tone's amplitude and the noise's mean square as tracked, averaged over a frame.
struct CoherentFrameDetector::Levels {
    double mark = 0, space = 0, noise = 0;
};

// Each tone's bits' covariance factored, the same for a code at every tuning offset.
struct CoherentFrameDetector::GainFactors {
    GainFactor mark, space;
    bool ready = false;
};

namespace {

// The code metric: the coherent sums of a code's mark bits and space bits, each tone's turns
// taken off.
struct Sums {
    double mark = 0, space = 0; // their sizes
    int markBits = 0;
};

template <class Phasors, class Turns>
Sums coherentSums(const Phasors &frame, const Tones &isMark, const Turns &turn)
{
    std::complex<double> sumMark = frame.mark[0], sumSpace = 0;
    double phase = 0;
    int markBits = 1;
    for (std::size_t k = 1; k < Bits; ++k) {
        phase += isMark[k] ? turn.mark : turn.space;
        if (isMark[k]) {
            sumMark += frame.mark[k] * std::polar(1.0, -phase);
            ++markBits;
        } else {
            sumSpace += frame.space[k] * std::polar(1.0, -phase);
        }
    }
    return Sums{std::abs(sumMark), std::abs(sumSpace), markBits};
}

// The level likelihood of a code: each tone's coherent sum holds that tone, at its amplitude,
// in each bit the code gives it, in noise. Under selective fading a tone faded into the noise
// adds nothing to a sum but noise, and its bits are read by the other tone's presence or
// absence. For two equal tones well above the noise, the order is that of the sums' sizes;
// with the levels not known, the sums' sizes themselves.
template <class Levels> double levelLikelihood(const Sums &s, const Levels &levels)
{
    const double var = 0.5 * levels.noise;
    if (!(var > 0 && levels.mark > 0 && levels.space > 0))
        return s.mark + s.space;
    return toneLikelihood(s.mark, levels.mark, var, s.markBits) +
           toneLikelihood(s.space, levels.space, var, Bits - s.markBits);
}

} // namespace

CoherentFrameDetector::Phasors CoherentFrameDetector::phasorsAt(double start, double bit) const
{
    Phasors frame;
    for (int k = 0; k < Bits; ++k) {
        const double t = start + (k - 0.5) * bit;
        frame.mark[std::size_t(k)] = at(t, true);
        frame.space[std::size_t(k)] = at(t, false);
    }
    return frame;
}

CoherentFrameDetector::Levels CoherentFrameDetector::trackedLevels(double start, double bit) const
{
    double mark = 0, space = 0, noise = 0;
    const auto size = (long long)ring_.size();
    for (int k = 0; k < Bits; ++k) {
        const auto i = (long long)std::lround(start + (k - 0.5) * bit);
        if (i >= 0 && i < count_ && i >= count_ - size) {
            const ToneLevels &l = ring_[std::size_t(i % size)].levels;
            mark += l.mark / Bits;
            space += l.space / Bits;
            noise += l.noise / Bits;
        }
    }
    return {mark, space, noise};
}

// The likelihood of a code with each tone's gain let wander through the frame (see
// factorGains), the last frame's latest bits clear of this one taking part as that frame was
// read: this frame's bits given those.
double CoherentFrameDetector::gainLikelihood(const Phasors &frame, const Tones &isMark,
                                             const Turns &turn, const GainModel &model,
                                             GainFactors &factors, GainFactors &lastFactors) const
{
    const double T = model.bit;
    const double t0 = model.start - 0.5 * T;
    std::array<std::complex<double>, MaxFollowed> zm{}, zs{};
    std::array<double, MaxFollowed> tm{}, ts{};
    int nm = 0, ns = 0;
    if (last_.valid) {
        // The last frame's latest bits clear of this one, as it was read, their phase turns
        // taken off back from this frame's first bit: a steady mark from the last frame's stop
        // bit on.
        double adv = turn.mark * (t0 - (last_.start + 6.5 * T)) / T;
        int used = 0;
        for (int j = Bits - 1; j >= 2 && used < FollowedLastBits; --j) {
            const double tj = last_.start + (j - 0.5) * T;
            if (j < Bits - 1)
                adv += last_.tones[std::size_t(j + 1)] ? turn.mark : turn.space;
            if (tj >= model.start - T)
                continue;
            ++used;
            const std::complex<double> rotate = std::polar(model.unit, adv);
            if (last_.tones[std::size_t(j)]) {
                zm[std::size_t(nm)] = last_.mark[std::size_t(j)] * rotate;
                tm[std::size_t(nm++)] = (tj - t0) * model.sampleSeconds;
            } else {
                zs[std::size_t(ns)] = last_.space[std::size_t(j)] * rotate;
                ts[std::size_t(ns++)] = (tj - t0) * model.sampleSeconds;
            }
        }
    }
    if (!lastFactors.ready)
        lastFactors = {factorGains(tm, nm, model.markPower), factorGains(ts, ns, model.spacePower),
                       true};
    const double before =
        followingLikelihood(zm, lastFactors.mark) + followingLikelihood(zs, lastFactors.space);
    double phase = 0;
    for (std::size_t k = 0; k < Bits; ++k) {
        if (k > 0)
            phase += isMark[k] ? turn.mark : turn.space;
        const std::complex<double> rotate = std::polar(model.unit, -phase);
        if (isMark[k]) {
            zm[std::size_t(nm)] = frame.mark[k] * rotate;
            tm[std::size_t(nm++)] = double(k) * model.bitSeconds;
        } else {
            zs[std::size_t(ns)] = frame.space[k] * rotate;
            ts[std::size_t(ns++)] = double(k) * model.bitSeconds;
        }
    }
    if (!factors.ready)
        factors = {factorGains(tm, nm, model.markPower), factorGains(ts, ns, model.spacePower),
                   true};
    return followingLikelihood(zm, factors.mark) + followingLikelihood(zs, factors.space) - before;
}

// Tone tracking: this frame's errors of both tones for the code read, measured where its bits
// add up most coherently; both tones together followed as fast as a tuning error moves, the
// shift's error, which stays put, more slowly and so more surely.
void CoherentFrameDetector::trackTones(const Phasors &frame, const Tones &isMark, double markCentre,
                                       double spaceCentre, double bitSeconds, double mixerMarkHz,
                                       double mixerSpaceHz, double markTurn, double spaceTurn)
{
    double measuredMark = markCentre, measuredSpace = spaceCentre, measuredMetric = -1;
    for (double m = -MeasureSpanHz; m <= MeasureSpanHz; m += MeasureStepHz)
        for (double s = -MeasureSpanHz; s <= MeasureSpanHz; s += MeasureStepHz) {
            const Turns turn{markTurn + 2 * std::numbers::pi * (markCentre + m) * bitSeconds,
                             spaceTurn + 2 * std::numbers::pi * (spaceCentre + s) * bitSeconds};
            const Sums sum = coherentSums(frame, isMark, turn);
            const double metric = sum.mark + sum.space;
            if (metric > measuredMetric) {
                measuredMetric = metric;
                measuredMark = markCentre + m;
                measuredSpace = spaceCentre + s;
            }
        }
    const double common =
        0.5 * (markCentre + spaceCentre) +
        OffsetGain * 0.5 * (measuredMark - markCentre + measuredSpace - spaceCentre);
    const double shift = (spaceCentre - markCentre) +
                         ShiftGain * (measuredSpace - spaceCentre - (measuredMark - markCentre));
    trackedMarkHz_ = mixerMarkHz + std::clamp(common - 0.5 * shift, -MaxOffsetHz, MaxOffsetHz);
    trackedSpaceHz_ = mixerSpaceHz + std::clamp(common + 0.5 * shift, -MaxOffsetHz, MaxOffsetHz);
}

// Trust: how far the frame fell short of full coherence, times its signal-to-noise ratio, and
// the averages of both over the last frames, from just short of trusted: a few coherent frames
// are needed before the detector is.
void CoherentFrameDetector::updateTrust(Result &best)
{
    best.deficit = (1 - best.coherence) * std::min(best.snr, MaxSnr);
    if (!tracking_) {
        coherence_ = StartingCoherence;
        deficit_ = StartingDeficit;
    }
    coherence_ += CoherenceGain * (best.coherence - coherence_);
    deficit_ += CoherenceGain * (std::min(best.deficit, MaxDeficit) - deficit_);
    tracking_ = true;
}

CoherentFrameDetector::Result CoherentFrameDetector::detect(double start, double bit, bool follow)
{
    if (count_ == 0)
        return {};
    const double T = bit;
    const Sample &now = ring_[std::size_t((count_ - 1) % (long long)ring_.size())];
    const double bitSeconds = T * double(decimation_) / fs_;
    // The phase each tone adds over a bit, as the mixers have it.
    const double markTurn = now.markStep * T * double(decimation_);
    const double spaceTurn = now.spaceStep * T * double(decimation_);
    const double mixerMarkHz = now.markStep * fs_ / (2 * std::numbers::pi);
    const double mixerSpaceHz = now.spaceStep * fs_ / (2 * std::numbers::pi);
    // Each tone's error followed so far, over its mixer (the sender's shift may differ too).
    const double markCentre =
        tracking_ ? std::clamp(trackedMarkHz_ - mixerMarkHz, -MaxOffsetHz, MaxOffsetHz) : 0.0;
    const double spaceCentre =
        tracking_ ? std::clamp(trackedSpaceHz_ - mixerSpaceHz, -MaxOffsetHz, MaxOffsetHz) : 0.0;
    auto turnsAt = [&](double markHz, double spaceHz) {
        return Turns{markTurn + 2 * std::numbers::pi * markHz * bitSeconds,
                     spaceTurn + 2 * std::numbers::pi * spaceHz * bitSeconds};
    };

    const Phasors phasors = phasorsAt(start, T);
    const Levels levels = trackedLevels(start, T);
    const double var = 0.5 * levels.noise;
    const bool levelsKnown = var > 0 && levels.mark > 0 && levels.space > 0;

    // The gain likelihood's model: each tone's mean power its level as tracked, or failing
    // that as the frame shows it.
    const std::array<ReadBit, Bits> frame = readBits(phasors.mark, phasors.space, start, T);
    const double frameVar = noiseVariance(frame);
    double followVar = var, markPower = levels.mark * levels.mark;
    double spacePower = levels.space * levels.space;
    if (!levelsKnown) {
        const FrameSizes sizes = frameSizes(frame);
        followVar = frameVar;
        markPower = sizes.mark * sizes.mark;
        spacePower = sizes.space * sizes.space;
    }
    GainModel model;
    model.unit = 1 / std::sqrt(2 * followVar);
    model.markPower = markPower * model.unit * model.unit;
    model.spacePower = spacePower * model.unit * model.unit;
    model.start = start;
    model.bit = T;
    model.bitSeconds = bitSeconds;
    model.sampleSeconds = double(decimation_) / fs_;
    GainFactors lastFactors; // the last frame's bits alone, the same for every code

    // The likeliest code by its level likelihood is read; the code adding up most coherently
    // (the same one but in a fade) measures the tuning error and how coherent the frames are.
    Result best;
    double bestLikelihood = -1e300, bestMetric = -1;
    std::array<double, 32> codeFollowing{};
    Tones bestTones{};
    for (int code = 0; code < 32; ++code) {
        const Tones isMark = tonesOf(code);
        double likeliest = -1e300;
        double &followed = codeFollowing[std::size_t(code)];
        followed = -1e300;
        GainFactors factors; // this code's bits' times, the same at every offset
        for (double offset : SearchHz) {
            const Turns turn = turnsAt(markCentre + offset, spaceCentre + offset);
            const Sums s = coherentSums(phasors, isMark, turn);
            likeliest = std::max(likeliest, levelLikelihood(s, levels));
            if (follow)
                followed = std::max(
                    followed, gainLikelihood(phasors, isMark, turn, model, factors, lastFactors));
            if (s.mark + s.space > bestMetric) {
                bestMetric = s.mark + s.space;
                bestTones = isMark;
            }
        }
        if (likeliest > bestLikelihood) {
            bestLikelihood = likeliest;
            best.code = std::uint8_t(code);
        }
    }
    for (int b = 0; b < 5; ++b) {
        std::array<double, 2> followed{-1e300, -1e300}; // with the bit space, mark
        for (int code = 0; code < 32; ++code) {
            double &f = followed[std::size_t((code >> b) & 1)];
            f = std::max(f, codeFollowing[std::size_t(code)]);
        }
        best.following[std::size_t(b)] = follow ? float(followed[1] - followed[0]) : 0.0f;
    }
    double bitSizes = 0, on = 0, off = 0;
    for (std::size_t k = 0; k < Bits; ++k) {
        const auto &own = bestTones[k] ? phasors.mark[k] : phasors.space[k];
        const auto &other = bestTones[k] ? phasors.space[k] : phasors.mark[k];
        bitSizes += std::abs(own);
        on += std::norm(own);
        off += std::norm(other);
    }
    best.snr = off > 0 ? on / off : 1e6;
    // Read bit by bit: with the levels the frame shows, and with those near each bit, this
    // frame's bits and the last frame's code and stop bits where they do not overlap them.
    best.perBit = perBitLikelihoods(frame, frameVar);
    std::vector<ReadBit> near(frame.begin(), frame.end());
    for (std::size_t k = 2; k < Bits; ++k)
        if (previous_[k].at < start - T && previous_[k].at > start - MaxPreviousBits * T)
            near.push_back(previous_[k]);
    best.local = localLikelihoods(near, frameVar, T);
    previous_ = frame;
    last_.tones = tonesOf(follow ? codeOf(best.following) : best.code);
    last_.mark = phasors.mark;
    last_.space = phasors.space;
    last_.start = start;
    last_.valid = true;
    // Judged where the codes were compared: an error not yet followed shows here.
    best.coherence = bitSizes > 0 ? std::min(1.0, bestMetric / bitSizes) : 0;
    trackTones(phasors, bestTones, markCentre, spaceCentre, bitSeconds, mixerMarkHz, mixerSpaceHz,
               markTurn, spaceTurn);
    updateTrust(best);
    return best;
}

} // namespace rtty
