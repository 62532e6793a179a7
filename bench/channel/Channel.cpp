#include "Channel.h"

#include "Baudot.h"
#include "FskModulator.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <sndfile.h>

namespace channel {

namespace {

using cfloat = std::complex<float>;

std::vector<cfloat> analyticFsk(const std::string &text, double markHz, double spaceHz,
                                const Settings &s, double leadSeconds, double tailSeconds)
{
    rtty::FskModulator modulator(s.sampleRateHz, s.baud, markHz, spaceHz, 1.0f);
    modulator.queueMark(leadSeconds * s.baud);
    for (std::uint8_t code : rtty::encodeText(text))
        modulator.queueCode(code);
    modulator.queueMark(tailSeconds * s.baud);
    const double halfBits = double(modulator.queuedHalfBits());
    const auto count = std::size_t(halfBits / 2 / s.baud * s.sampleRateHz) + 1;
    std::vector<cfloat> out(count);
    modulator.generateAnalytic(out.data(), count);
    return out;
}

// The keyed signal written out run by run, for what the modulator does not do: a phase that
// jumps at each change of tone, a mark weaker than the space, other stop bits, pauses.
std::vector<cfloat> keyedFsk(const std::string &text, double markHz, double spaceHz,
                             const Settings &s, double leadSeconds, double tailSeconds,
                             std::mt19937 &random)
{
    struct Run {
        bool mark;
        double bits;
    };
    std::vector<Run> runs{{true, leadSeconds * s.baud}};
    std::uniform_real_distribution<double> uniform(0, 1);
    for (std::uint8_t code : rtty::encodeText(text)) {
        runs.push_back({false, 1});
        for (int i = 0; i < 5; ++i)
            runs.push_back({((code >> i) & 1) != 0, 1});
        double stop = s.stopBits;
        if (s.typedAsItGoes) {
            // Half the characters at once, a quarter after a fraction of a bit, a quarter after
            // a few bits.
            const double r = uniform(random);
            stop += r < 0.5 ? 0 : r < 0.75 ? 0.1 + 0.9 * uniform(random) : 1 + 4 * uniform(random);
        }
        runs.push_back({true, stop});
    }
    runs.push_back({true, tailSeconds * s.baud});
    double bits = 0;
    for (const Run &run : runs)
        bits += run.bits;
    const auto count = std::size_t(bits / s.baud * s.sampleRateHz) + 1;
    std::vector<bool> marks(count, true);
    double end = 0;
    std::size_t n = 0;
    for (const Run &run : runs) {
        end += run.bits / s.baud * s.sampleRateHz;
        for (; n < count && double(n) < end; ++n)
            marks[n] = run.mark;
    }
    const float markGain = float(std::pow(10, s.markDb / 20));
    std::uniform_real_distribution<double> anyPhase(0, 2 * std::numbers::pi);
    std::vector<cfloat> out(count);
    double phase = 0;
    bool last = true;
    for (std::size_t n = 0; n < count; ++n) {
        const bool mark = marks[n];
        if (mark != last && s.phaseJumps)
            phase = anyPhase(random);
        last = mark;
        out[n] = std::polar(mark ? markGain : 1.0f, float(phase));
        phase = std::fmod(phase + 2 * std::numbers::pi * (mark ? markHz : spaceHz) / s.sampleRateHz,
                          2 * std::numbers::pi);
    }
    return out;
}

// A complex Gaussian gain with a Gaussian Doppler spectrum of the given spread and unit mean
// power: white noise at a low rate through a Gaussian filter, interpolated to the sample rate.
std::vector<cfloat> fadingGain(std::size_t count, double sampleRateHz, double spreadHz,
                               std::mt19937 &random)
{
    const double lowRate = 50;         // Hz, well above the spread
    const double sigma = spreadHz / 2; // Hz, of the Doppler spectrum
    const double tapsSigma = lowRate / (2 * std::numbers::pi * sigma); // in low-rate samples
    const int half = int(std::ceil(4 * tapsSigma));
    std::vector<double> taps(std::size_t(2 * half + 1));
    double energy = 0;
    for (int i = -half; i <= half; ++i) {
        taps[std::size_t(i + half)] = std::exp(-0.5 * i * i / (tapsSigma * tapsSigma));
        energy += taps[std::size_t(i + half)] * taps[std::size_t(i + half)];
    }
    for (double &t : taps)
        t /= std::sqrt(energy);
    const auto lowCount = std::size_t(double(count) / sampleRateHz * lowRate) + taps.size() + 2;
    std::normal_distribution<double> gauss(0, std::sqrt(0.5));
    std::vector<std::complex<double>> white(lowCount + taps.size());
    for (auto &w : white)
        w = {gauss(random), gauss(random)};
    std::vector<std::complex<double>> low(lowCount);
    for (std::size_t i = 0; i < lowCount; ++i)
        for (std::size_t k = 0; k < taps.size(); ++k)
            low[i] += taps[k] * white[i + k];
    std::vector<cfloat> gain(count);
    for (std::size_t n = 0; n < count; ++n) {
        const double at = double(n) / sampleRateHz * lowRate;
        const auto i = std::size_t(at);
        const double f = at - double(i);
        gain[n] = cfloat((1 - f) * low[i] + f * low[i + 1]);
    }
    return gain;
}

// One text keyed with steady mark before and after it.
std::vector<cfloat> keyed(const std::string &text, double markHz, double spaceHz, const Settings &s,
                          double leadSeconds, double tailSeconds, std::mt19937 &random)
{
    return s.phaseJumps || s.markDb != 0 || s.stopBits != 1.5 || s.typedAsItGoes
               ? keyedFsk(text, markHz, spaceHz, s, leadSeconds, tailSeconds, random)
               : analyticFsk(text, markHz, spaceHz, s, leadSeconds, tailSeconds);
}

// The text's lines, each one over: nothing (noise alone) for a gap drawn from gapSeconds, then
// the over keyed from its lead of steady mark to its tail; a last gap after the last over.
std::vector<cfloat> inOvers(const std::vector<std::string> &overs, double markHz, double spaceHz,
                            const Settings &s, const Overs &o, std::pair<double, double> gapSeconds,
                            std::mt19937 &random, std::vector<OverSpan> *spans)
{
    std::uniform_real_distribution<double> gap(gapSeconds.first, gapSeconds.second);
    std::vector<cfloat> out;
    auto silence = [&] { out.resize(out.size() + std::size_t(gap(random) * s.sampleRateHz)); };
    for (const std::string &over : overs) {
        silence();
        const std::vector<cfloat> keyedOver =
            keyed(over, markHz, spaceHz, s, o.leadSeconds, o.tailSeconds, random);
        if (spans) {
            const double from = double(out.size()) + o.leadSeconds * s.sampleRateHz;
            const double to =
                double(out.size() + keyedOver.size()) - o.tailSeconds * s.sampleRateHz;
            spans->push_back({from, to, over});
        }
        out.insert(out.end(), keyedOver.begin(), keyedOver.end());
    }
    silence();
    return out;
}

} // namespace

std::vector<std::string> splitOvers(const std::string &text)
{
    std::vector<std::string> overs;
    std::size_t from = 0;
    while (from < text.size()) {
        const std::size_t end = text.find('\n', from);
        const std::size_t to = end == std::string::npos ? text.size() : end + 1;
        overs.push_back(text.substr(from, to - from));
        from = to;
    }
    return overs;
}

std::vector<float> transmit(const std::string &text, const Settings &s,
                            std::vector<OverSpan> *overs)
{
    std::mt19937 random(s.seed);
    const double markHz = s.reverse ? s.markHz + s.shiftHz : s.markHz;
    const double spaceHz = s.reverse ? s.markHz : s.markHz + s.shiftHz;
    if (overs)
        overs->clear();
    std::vector<cfloat> signal =
        s.overs ? inOvers(splitOvers(text), markHz, spaceHz, s, *s.overs,
                          {s.overs->gapMinSeconds, s.overs->gapMaxSeconds}, random, overs)
                : keyed(text, markHz, spaceHz, s, s.leadSeconds, s.leadSeconds, random);
    const std::size_t count = signal.size();

    if (s.fading) {
        const auto delay = std::size_t(std::lround(s.fading->delayMs / 1000 * s.sampleRateHz));
        const auto g1 = fadingGain(count, s.sampleRateHz, s.fading->spreadHz, random);
        const auto g2 = fadingGain(count, s.sampleRateHz, s.fading->spreadHz, random);
        std::vector<cfloat> faded(count);
        // Two paths of equal mean power, total mean power 1.
        const float each = float(std::sqrt(0.5));
        for (std::size_t n = 0; n < count; ++n) {
            faded[n] = each * g1[n] * signal[n];
            if (n >= delay)
                faded[n] += each * g2[n] * signal[n - delay];
        }
        signal = std::move(faded);
    }

    if (s.notch) {
        const auto delay = std::size_t(std::lround(s.notch->delayMs / 1000 * s.sampleRateHz));
        // Total mean power 1.
        const double first = 1 / std::sqrt(1 + s.notch->secondPath * s.notch->secondPath);
        const double second = first * s.notch->secondPath;
        std::vector<cfloat> notched(count);
        for (std::size_t n = 0; n < count; ++n) {
            notched[n] = float(first) * signal[n];
            if (n >= delay) {
                const double turn = std::fmod(s.notch->rateHz * double(n) / s.sampleRateHz, 1.0);
                notched[n] +=
                    cfloat(std::polar(second, 2 * std::numbers::pi * turn)) * signal[n - delay];
            }
        }
        signal = std::move(notched);
    }

    double phase = 0;
    for (std::size_t n = 0; n < count; ++n) {
        const double t = double(n) / s.sampleRateHz;
        phase += 2 * std::numbers::pi * (s.offsetHz + s.driftHzPerSecond * t) / s.sampleRateHz;
        signal[n] *= std::polar(1.0f, float(std::fmod(phase, 2 * std::numbers::pi)));
    }

    // The wanted signal's mean power is 0.5 (unit analytic amplitude): scale it to peak 0.5.
    const float amplitude = 0.25f;
    std::vector<float> out(count);
    for (std::size_t n = 0; n < count; ++n)
        out[n] = amplitude * signal[n].real();

    if (s.interferer) {
        std::string text2;
        while (text2.size() < (s.overs ? 2 : 1) * text.size() + 40)
            text2 += s.interferer->text;
        const double otherMark = markHz + s.interferer->offsetHz;
        const double otherSpace = spaceHz + s.interferer->offsetHz;
        // Beside overs, the other station takes turns of its own: overs of 20 to 35
        // characters with shorter gaps, so that it talks in the wanted station's gaps too.
        std::vector<cfloat> other;
        if (s.overs) {
            std::vector<std::string> turns;
            std::uniform_int_distribution<std::size_t> length(20, 35);
            for (std::size_t at = 0; at < text2.size();) {
                const std::size_t n = std::min(length(random), text2.size() - at);
                turns.push_back(text2.substr(at, n) + "\r\n");
                at += n;
            }
            other = inOvers(turns, otherMark, otherSpace, s, *s.overs, {0.5, 3.0}, random, nullptr);
        } else {
            other = analyticFsk(text2, otherMark, otherSpace, s, s.leadSeconds * 0.37,
                                s.leadSeconds * 0.37);
        }
        const float gain = amplitude * float(std::pow(10, s.interferer->relativeDb / 20));
        for (std::size_t n = 0; n < count && n < other.size(); ++n)
            out[n] += gain * other[n].real();
    }

    // Noise: power in 2500 Hz = signal power / SNR; white over 0..fs/2.
    const double signalPower = amplitude * amplitude / 2.0;
    const double noiseIn2500 = signalPower / std::pow(10, s.snrDb / 10);
    const double sigma = std::sqrt(noiseIn2500 * (s.sampleRateHz / 2) / 2500);
    std::normal_distribution<double> noise(0, sigma);
    for (float &v : out)
        v += float(noise(random));

    if (s.impulses) {
        const double peak = sigma * std::pow(10, s.impulses->relativeDb / 20);
        const double decay = s.impulses->lengthMs / 1000 * s.sampleRateHz / 3; // e^-3 at the end
        std::exponential_distribution<double> gap(s.impulses->perSecond / s.sampleRateHz);
        std::normal_distribution<double> burst(0, 1);
        for (double at = gap(random); at < double(count); at += gap(random)) {
            const auto from = std::size_t(at);
            const auto length = std::size_t(3 * decay);
            for (std::size_t k = 0; k < length && from + k < count; ++k)
                out[from + k] += float(peak * std::exp(-double(k) / decay) * burst(random));
        }
    }
    if (s.levelDb != 0) {
        const auto gain = float(std::pow(10, s.levelDb / 20));
        for (float &v : out)
            v *= gain;
    }
    return out;
}

bool writeWav(const std::string &path, const std::vector<float> &samples, double sampleRateHz)
{
    SF_INFO info{};
    info.samplerate = int(std::lround(sampleRateHz));
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE *file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        return false;
    // Clip rather than wrap.
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    const auto written = sf_write_float(file, samples.data(), sf_count_t(samples.size()));
    sf_close(file);
    return written == sf_count_t(samples.size());
}

} // namespace channel
