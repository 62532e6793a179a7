#include "SignalPresence.h"

#include "ThresholdControl.h"

#include <algorithm>
#include <cmath>

namespace rtty {

namespace {

constexpr int FrameBits = 7;           // the start bit, 5 code bits, the first stop bit
constexpr std::size_t TurningBits = 4; // a sender's mark seen starting within a frame
constexpr double FrameSpanBits = 7.5;  // start, 5 code bits, 1.5 stop bits
constexpr double FoundAfterBits = 7.5; // a frame is found at most this after its start
constexpr double HistoryBits = 20;
// Overs and the gaps between them each last some forty characters (300 bits) on average: between
// two pieces of evidence dt bits apart, the odds move back towards even by 1 - exp(-dt (1/300 +
// 1/300)). After a long over they stand at about 3.7 nepers between frames.
constexpr double OverBits = 300, BetweenOversBits = 300;
// The noise where the line is noise, followed over about 16 bits; a sample in which either tone
// stands over Evident times the noise's per-component variance holds more than noise (noise
// alone reaches it in one sample in fifty) and is left out. Between the tones, over about 64
// bits (its values are those of a noise alone, but for a signal's sidelobes).
constexpr double LineNoiseBits = 16, Evident = 8, BetweenNoiseBits = 64, WarmUpBits = 16;
// Each tone's power in its bits, over about the last five frames, for what it shows lately; each
// tone's power while it leads, over about two bits, for the level.
constexpr double RecentGain = 0.2, PowerBits = 2;
// The over's level: each frame's likelihoods of the strengths count this much less a frame on.
constexpr double LevelMemory = 0.9;
// How far a tone's strength wanders from frame to frame, followed over about the last ten frames
// and taken to be at least LeastSpreadDb (what noise on a few bits alone makes of a steady tone);
// a Rayleigh fade's power spreads by about 5.6 dB. A new over's tones are taken to wander
// StartingSpreadDb until they show how much.
constexpr double SpreadGain = 0.1, LeastSpreadDb = 2, RayleighSpreadDb = 5.6, StartingSpreadDb = 5;
constexpr double Never = -1e300;

double logistic(double logOdds)
{
    return 1 / (1 + std::exp(-std::clamp(logOdds, -700.0, 700.0)));
}

double strengthOf(int step) // as a power ratio
{
    return std::pow(10, (SignalPresence::WeakestDb + step * SignalPresence::StrengthStepDb) / 10);
}

// log(sum(exp(v))) without overflow.
template <std::size_t N> double logSumExp(const std::array<double, N> &v)
{
    const double best = *std::max_element(v.begin(), v.end());
    if (best <= Never)
        return Never;
    double total = 0;
    for (double x : v)
        total += std::exp(x - best);
    return best + std::log(total);
}

// The log-odds that two independent things are both so, from each one's log-odds: close to the
// smaller where both are clear.
double both(double a, double b)
{
    const double most = std::max({0.0, a, b});
    return a + b - most - std::log(std::exp(-most) + std::exp(a - most) + std::exp(b - most));
}

// log sum over the strengths of prior x likelihood ratio.
template <std::size_t N>
double weighed(const std::array<double, N> &likelihood, const std::array<double, N> &prior)
{
    std::array<double, N> each{};
    for (std::size_t g = 0; g < N; ++g)
        each[g] = prior[g] > 0 ? std::log(prior[g]) + likelihood[g] : Never;
    return logSumExp(each);
}

} // namespace

SignalPresence::SignalPresence(double samplesPerBit)
{
    setSamplesPerBit(samplesPerBit);
}

void SignalPresence::setSamplesPerBit(double samplesPerBit)
{
    samplesPerBit_ = samplesPerBit;
    const auto size = std::size_t(std::ceil(samplesPerBit * HistoryBits)) + 8;
    mark_.assign(size, 0.0f);
    space_.assign(size, 0.0f);
    reset();
}

void SignalPresence::reset()
{
    lineNoise_ = betweenNoise_ = 0;
    betweenWarmUp_ = lineSamples_ = 0;
    sinceReset_ = 0;
    markPower_ = spacePower_ = 0;
    restart();
}

void SignalPresence::restart()
{
    logOdds_ = markOdds_ = spaceOdds_ = 0;
    updatedAt_ = coveredTo_ = double(now_ + 1);
    past_.fill({});
    noiseSince_ = signalAt_ = -1e300;
    markShown_ = spaceShown_ = {};
    overShown_ = false;
    started_ = false;
}

double SignalPresence::noiseVariance() const
{
    if (lineSamples_ >= LineNoiseBits * samplesPerBit_)
        return std::min(lineNoise_, betweenNoise_);
    return betweenNoise_;
}

float SignalPresence::magnitudeAt(double index, bool mark) const
{
    const std::vector<float> &ring = mark ? mark_ : space_;
    const auto size = (long long)ring.size();
    const auto i = (long long)std::floor(index);
    if (i < 0 || i + 1 > now_ || i + 1 <= now_ - size)
        return 0;
    const double f = index - double(i);
    const float a = ring[std::size_t(i % size)], b = ring[std::size_t((i + 1) % size)];
    return a + float(f) * (b - a);
}

void SignalPresence::measureNoise(float mark, float space, float between)
{
    const double m2 = double(mark) * mark, s2 = double(space) * space;
    const double b2 = double(between) * between;
    ++sinceReset_;
    const double T = samplesPerBit_;
    if (double(sinceReset_) <= T)
        return; // the channels fill over the first bit
    // Between the tones: at first the mean over the first WarmUpBits, then followed.
    if (double(sinceReset_) <= (1 + WarmUpBits) * T) {
        betweenWarmUp_ += b2 / 2;
        betweenNoise_ = betweenWarmUp_ / (double(sinceReset_) - T);
    } else {
        betweenNoise_ += (b2 / 2 - betweenNoise_) / (BetweenNoiseBits * T);
    }
    // At the tones, where the line is noise: it counts once measured over LineNoiseBits.
    if (logOdds_ > -DecidedLogOdds || std::max(m2, s2) > Evident * noiseVariance())
        return;
    lineSamples_ += 1;
    lineNoise_ += (0.25 * (m2 + s2) - lineNoise_) / std::min(lineSamples_, LineNoiseBits * T);
}

void SignalPresence::followTone(Shown &shown, const double *magnitudes, std::size_t count) const
{
    if (!present() || count == 0)
        return;
    double power = 0;
    for (std::size_t k = 0; k < count; ++k)
        power += magnitudes[k] * magnitudes[k] / double(count);
    const double noise = noiseVariance();
    const double db = 10 * std::log10(std::max((power - 2 * noise) / (2 * noise), strengthOf(0)));
    if (!shown.known()) {
        shown = {power, db, StartingSpreadDb * StartingSpreadDb};
        return;
    }
    shown.power += RecentGain * (power - shown.power);
    shown.spreadDb2 += SpreadGain * ((db - shown.meanDb) * (db - shown.meanDb) - shown.spreadDb2);
    shown.meanDb += RecentGain * (db - shown.meanDb);
}

void SignalPresence::push(float mark, float space, float between)
{
    ++now_;
    const auto size = (long long)mark_.size();
    mark_[std::size_t(now_ % size)] = mark;
    space_[std::size_t(now_ % size)] = space;
    measureNoise(mark, space, between);
    const double gain = 1 / (PowerBits * samplesPerBit_);
    double &leading = mark > space ? markPower_ : spacePower_;
    const double power = double(std::max(mark, space)) * double(std::max(mark, space));
    leading += gain * (power - leading);
    idleStretches();
}

SignalPresence::PerStrength SignalPresence::newSignal()
{
    const int weakestNew = int(std::ceil((NewSignalDb - WeakestDb) / StrengthStepDb - 1e-9));
    PerStrength share{};
    for (int g = weakestNew; g < Strengths; ++g)
        share[std::size_t(g)] = 1.0 / (Strengths - weakestNew);
    return share;
}

SignalPresence::PerStrength SignalPresence::asShown(const Shown &shown) const
{
    // About the tone's mean strength, as far as it has wandered: a steady tone's as a Gaussian in
    // dB, one wandering as much as a Rayleigh fade does as that fade (its power exponential about
    // the mean, with the long tail of deep fades a Gaussian lacks), and between, some of each.
    const double spread = std::sqrt(shown.spreadDb2);
    const double fading =
        std::clamp((spread - LeastSpreadDb) / (RayleighSpreadDb - LeastSpreadDb), 0.0, 1.0);
    const double width = std::clamp(spread, LeastSpreadDb, RayleighSpreadDb);
    const double noise = noiseVariance();
    const double mean = std::max((shown.power - 2 * noise) / (2 * noise), strengthOf(0));
    const double halfStep = std::pow(10, StrengthStepDb / 20);
    PerStrength steady{};
    double total = 0;
    for (int g = 0; g < Strengths; ++g) {
        const double d = (WeakestDb + g * StrengthStepDb - shown.meanDb) / width;
        steady[std::size_t(g)] = std::exp(-0.5 * d * d);
        total += steady[std::size_t(g)];
    }
    PerStrength share{};
    for (int g = 0; g < Strengths; ++g) {
        const double low = g == 0 ? 0 : strengthOf(g) / halfStep;
        const double high = g == Strengths - 1 ? 1e300 : strengthOf(g) * halfStep;
        const double faded = std::exp(-low / mean) - std::exp(-high / mean);
        share[std::size_t(g)] = (1 - fading) * steady[std::size_t(g)] / total + fading * faded;
    }
    return share;
}

SignalPresence::PerStrength SignalPresence::priorFor(const Shown &shown) const
{
    const PerStrength fresh = newSignal();
    if (!shown.known())
        return fresh;
    const PerStrength recent = asShown(shown);
    const double w = logistic(logOdds_);
    PerStrength prior{};
    for (std::size_t g = 0; g < prior.size(); ++g)
        prior[g] = (1 - w) * fresh[g] + w * recent[g];
    return prior;
}

SignalPresence::PerStrength SignalPresence::likelihoods(const double *magnitudes,
                                                        std::size_t count) const
{
    const double var = std::max(noiseVariance(), 1e-30);
    PerStrength each{};
    for (int g = 0; g < Strengths; ++g) {
        const double amplitude = std::sqrt(2 * var * strengthOf(g));
        double sum = 0;
        for (std::size_t k = 0; k < count; ++k)
            sum += toneLikelihood(magnitudes[k], amplitude, var);
        each[std::size_t(g)] = sum;
    }
    return each;
}

namespace {
// A tone's log-odds carried on over dt bits: towards even as overs and gaps come and go.
double carried(double logOdds, double dt)
{
    const double mixing = 1 - std::exp(-dt * (1 / OverBits + 1 / BetweenOversBits));
    const double settled = OverBits / (OverBits + BetweenOversBits); // the share of time in overs
    double p = logistic(logOdds);
    p += (settled - p) * mixing;
    p = std::clamp(p, 1e-300, 1 - 1e-16);
    return std::log(p / (1 - p));
}
} // namespace

void SignalPresence::predict(double at)
{
    const double dt = std::max(0.0, at - updatedAt_) / samplesPerBit_;
    markOdds_ = carried(markOdds_, dt);
    spaceOdds_ = carried(spaceOdds_, dt);
    logOdds_ = both(markOdds_, spaceOdds_);
    updatedAt_ = std::max(updatedAt_, at);
}

double SignalPresence::logOddsAt(double at) const
{
    // The latest update at or before `at`, carried on to it as predict() would.
    const Past *latest = nullptr;
    for (const Past &p : past_)
        if (p.at <= at && (!latest || p.at > latest->at))
            latest = &p;
    if (!latest)
        return 0;
    const double dt = (at - latest->at) / samplesPerBit_;
    return both(carried(latest->markOdds, dt), carried(latest->spaceOdds, dt));
}

void SignalPresence::add(double markEvidence, double spaceEvidence)
{
    const bool wasNoise = started_ && logOdds_ <= -DecidedLogOdds;
    markOdds_ += markEvidence;
    spaceOdds_ += spaceEvidence;
    logOdds_ = both(markOdds_, spaceOdds_);
    const bool isNoise = logOdds_ <= -DecidedLogOdds;
    if (!wasNoise && isNoise)
        noiseSince_ = updatedAt_;
    if (present())
        signalAt_ = updatedAt_;
    // After noise as long as a gap between overs, a new over: what the tones showed in the last
    // says nothing of this one's. A shorter spell is a deep fade of the same sender.
    if (wasNoise && !isNoise && updatedAt_ - noiseSince_ >= GapBits * samplesPerBit_) {
        ++overs_;
        markShown_ = spaceShown_ = {};
        overShown_ = false;
    }
    started_ = true;
    past_[pastAt_] = {updatedAt_, markOdds_, spaceOdds_};
    pastAt_ = (pastAt_ + 1) % past_.size();
}

SignalPresence::FrameEvidence SignalPresence::frame(double start, double bit, std::uint8_t code)
{
    std::array<double, FrameBits> marks{}, spaces{}, line{}, own{};
    std::array<bool, FrameBits> markBit{};
    std::size_t markBits = 0, spaceBits = 0;
    for (int k = 0; k < FrameBits; ++k) {
        // Each bit's end: half a bit after its raw start, a bit after the filtered crossing.
        const double at = start + (k + 0.5) * bit;
        const bool isMark = k == 0 ? false : k == FrameBits - 1 || ((code >> (k - 1)) & 1) != 0;
        const auto b = std::size_t(k);
        markBit[b] = isMark;
        own[b] = magnitudeAt(at, isMark);
        (isMark ? marks[markBits++] : spaces[spaceBits++]) = own[b];
        line[b] = magnitudeAt(at, true);
    }
    FrameEvidence e;
    if (noiseVariance() <= 0)
        return e; // nothing to weigh it against yet
    // Whether the line was noise where the frame begins: only then may it turn within it.
    const double before = logistic(logOddsAt(start - 0.5 * bit));
    const double end = start + (FrameSpanBits - 0.5) * bit;
    predict(end);
    const PerStrength markPrior = priorFor(markShown_), spacePrior = priorFor(spaceShown_);
    const PerStrength markLikelihood = likelihoods(marks.data(), markBits);
    const PerStrength spaceLikelihood = likelihoods(spaces.data(), spaceBits);
    const double markEvidence = weighed(markLikelihood, markPrior);
    const double spaceEvidence = weighed(spaceLikelihood, spacePrior);
    // A character: its bits as read, each tone in its own, rather than the line turning. As a
    // new signal's, its two tones' strengths lie within ToneSpreadDb of each other; in an over,
    // each is as that tone has shown lately.
    const bool known = markShown_.known() && spaceShown_.known();
    const double w = known ? logistic(logOdds_) : 0;
    const PerStrength fresh = newSignal();
    const PerStrength markFaded = known ? asShown(markShown_) : PerStrength{};
    const PerStrength spaceFaded = known ? asShown(spaceShown_) : PerStrength{};
    const int spread = int(ToneSpreadDb / StrengthStepDb + 0.5);
    // Both tones' bits as read, their strengths drawn jointly.
    auto asRead = [&](const PerStrength &markGiven, const PerStrength &spaceGiven) {
        std::array<double, Strengths * Strengths> joint{};
        for (int m = 0; m < Strengths; ++m)
            for (int sp = 0; sp < Strengths; ++sp) {
                const auto mi = std::size_t(m), si = std::size_t(sp);
                const double together =
                    std::abs(m - sp) <= spread ? fresh[mi] / (2 * spread + 1) : 0;
                const double p = (1 - w) * together + w * markFaded[mi] * spaceFaded[si];
                joint[mi * Strengths + si] =
                    p > 0 ? std::log(p) + markGiven[mi] + spaceGiven[si] : Never;
            }
        return logSumExp(joint);
    };
    const double asCharacter = asRead(markLikelihood, spaceLikelihood);
    // The line turning at bit j, noise before it, each j as likely: to a steady mark (a
    // sender's lead), or, out of the noise between overs, to the sender's keying as read from
    // j on (the frame began before his first start bit; within an over such a spell of noise
    // is a fade, and the frame his). Only where the mark shows over the frame's last
    // TurningBits bits at least is it a sender's lead as evidence of a signal (a splash on the
    // mark tone makes a bit or two of it); any turning tells a frame that is no character.
    std::array<double, 2 * FrameBits - 1> turning{};
    turning.fill(Never);
    for (std::size_t j = 0; j < FrameBits; ++j)
        turning[j] = weighed(likelihoods(line.data() + j, FrameBits - j), markPrior);
    for (std::size_t j = 1; j < FrameBits && !inOver(); ++j) {
        std::array<double, FrameBits> laterMarks{}, laterSpaces{};
        std::size_t nm = 0, ns = 0;
        for (std::size_t k = j; k < FrameBits; ++k)
            (markBit[k] ? laterMarks[nm++] : laterSpaces[ns++]) = own[k];
        turning[FrameBits + j - 1] =
            asRead(likelihoods(laterMarks.data(), nm), likelihoods(laterSpaces.data(), ns));
    }
    for (double &t : turning)
        t = t <= Never ? Never : t - std::log(double(turning.size()));
    const double asTurning = logSumExp(turning);
    std::array<double, FrameBits - TurningBits + 1> lead{};
    std::copy_n(turning.begin(), lead.size(), lead.begin());
    const double asLead = logSumExp(lead) + std::log(double(turning.size()) / double(lead.size()));
    // A character, rather than the line turning from noise or noise alone, as far as the line
    // was noise before it: within an over a frame in a fade is still the sender's.
    e.character = asCharacter - std::log(std::max(1 - before, 1e-300)) -
                  logSumExp(std::array<double, 2>{asTurning, 0.0});
    frameMark_ = markLikelihood;
    frameSpace_ = spaceLikelihood;
    // The mark tone is there, read as the frame's mark bits or as a sender's mark beginning
    // in it (half the prior on each); the space tone as the frame's space bits. A signal is
    // both (see both()).
    const double most = std::max(markEvidence, asLead);
    const double markThere =
        most + std::log(0.5 * std::exp(markEvidence - most) + 0.5 * std::exp(asLead - most));
    e.signal = both(markThere, spaceEvidence);
    add(markThere, spaceEvidence);
    if (e.character > 0) {
        followTone(markShown_, marks.data(), markBits);
        followTone(spaceShown_, spaces.data(), spaceBits);
        if (present()) {
            for (std::size_t g = 0; g < overMark_.size(); ++g) {
                overMark_[g] = (overShown_ ? LevelMemory * overMark_[g] : 0) + markLikelihood[g];
                overSpace_[g] = (overShown_ ? LevelMemory * overSpace_[g] : 0) + spaceLikelihood[g];
            }
            overShown_ = true;
        }
    }
    coveredTo_ = std::max(coveredTo_, end);
    return e;
}

void SignalPresence::idleStretches()
{
    const double T = samplesPerBit_;
    // A frame starting before half a bit into the stretch has been found by now.
    while (double(now_) >= coveredTo_ + (FoundAfterBits + 0.5) * T + 2) {
        std::array<double, FrameBits> mark{}, space{};
        for (int k = 0; k < FrameBits; ++k) {
            const double at = coveredTo_ + (k + 1) * T;
            mark[std::size_t(k)] = magnitudeAt(at, true);
            space[std::size_t(k)] = magnitudeAt(at, false);
        }
        coveredTo_ += FrameBits * T;
        if (noiseVariance() <= 0)
            continue;
        predict(coveredTo_);
        const double idle = weighed(likelihoods(mark.data(), mark.size()), priorFor(markShown_));
        add(idle, 0); // the space tone is not keyed while the sender idles
        followTone(markShown_, mark.data(), mark.size());
    }
}

namespace {
// The mean, in dB, of two tones' powers (each a mean square in one channel's output) over the
// noise's; about -3 dB or less for noise alone.
double meanLevelDb(double mark, double space, double noise)
{
    auto db = [&](double power) {
        return 10 * std::log10(std::max((power - 2 * noise) / (2 * noise), 1e-3));
    };
    return 0.5 * (db(mark) + db(space));
}
} // namespace

double SignalPresence::atLeast(const PerStrength &mark, const PerStrength &space, double levelDb)
{
    double over = 0, total = 0;
    const double most =
        *std::max_element(mark.begin(), mark.end()) + *std::max_element(space.begin(), space.end());
    for (int m = 0; m < Strengths; ++m)
        for (int sp = 0; sp < Strengths; ++sp) {
            const double p = std::exp(mark[std::size_t(m)] + space[std::size_t(sp)] - most);
            total += p;
            if (WeakestDb + 0.5 * (m + sp) * StrengthStepDb >= levelDb)
                over += p;
        }
    return total > 0 ? over / total : 0;
}

double SignalPresence::levelProbability(double levelDb) const
{
    return overShown_ ? atLeast(overMark_, overSpace_, levelDb) : 0;
}

double SignalPresence::frameLevelProbability(double levelDb) const
{
    return atLeast(frameMark_, frameSpace_, levelDb);
}

double SignalPresence::levelDb() const
{
    const double noise = noiseVariance();
    if (noise <= 0)
        return 0;
    return std::max(0.0, meanLevelDb(markPower_, spacePower_, noise));
}

} // namespace rtty
