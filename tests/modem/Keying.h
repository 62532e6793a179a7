// Keying for the modem's tests: the runs of mark and space that make a character frame, the
// framer's input built from them, and FSK from a sender whose phase jumps at every bit.
#pragma once

#include "Baudot.h"
#include "CharacterFramer.h"

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <string>
#include <vector>

// A stretch of the keyed line: mark or space, so many bits long.
struct KeyRun {
    bool mark;
    double bits;
};

// One character frame: the start bit, the five code bits least significant first, the stop.
inline std::vector<KeyRun> frameRuns(std::uint8_t code, double stopBits = 1.5)
{
    std::vector<KeyRun> runs{{false, 1}};
    for (int k = 0; k < 5; ++k)
        runs.push_back({((code >> k) & 1) != 0, 1});
    runs.push_back({true, stopBits});
    return runs;
}

// Keying as the one-bit matched filter gives it to the framer: levels of +1 (mark) and -1
// (space), with optional Gaussian noise, through a one-bit moving average.
class Keying {
public:
    static constexpr double Spb = 30.3; // decision samples a bit at 45.45 baud

    // speed: the sender's bit rate over the nominal one (its bits are 1/speed as long).
    explicit Keying(double speed = 1) : senderSpb_(Spb / speed) {}

    void key(bool mark, double bits) { key(mark ? 1.0f : -1.0f, bits); }
    void key(float level, double bits)
    {
        target_ += bits * senderSpb_;
        while (double(raw_.size()) < target_)
            raw_.push_back(level);
    }
    void frame(std::uint8_t code, double stopBits = 1.5)
    {
        for (const KeyRun &run : frameRuns(code, stopBits))
            key(run.mark, run.bits);
    }
    // cadence: whether the framer is told that a signal's cadence is there to follow.
    std::vector<std::uint8_t> read(float noise = 0, unsigned seed = 1, bool cadence = true) const
    {
        std::vector<std::uint8_t> codes;
        for (const rtty::Frame &f : frames(noise, seed, cadence))
            codes.push_back(f.code);
        return codes;
    }
    std::vector<rtty::Frame> frames(float noise = 0, unsigned seed = 1, bool cadence = true) const
    {
        std::mt19937 random(seed);
        std::normal_distribution<float> gauss(0, noise);
        rtty::CharacterFramer framer(Spb);
        framer.followCadence(cadence);
        const auto length = std::size_t(Spb);
        std::vector<rtty::Frame> frames;
        float sum = float(length);
        std::vector<float> in(raw_);
        if (noise > 0)
            for (float &v : in)
                v += gauss(random);
        for (std::size_t i = 0; i < in.size(); ++i) {
            sum += in[i] - (i >= length ? in[i - length] : 1.0f);
            if (auto f = framer.push(sum / float(length)))
                frames.push_back(*f);
        }
        return frames;
    }

private:
    double senderSpb_;
    std::vector<float> raw_;
    double target_ = 0;
};

// FSK (2125/2295 Hz, 45.45 baud, at 11025 Hz) from a sender whose oscillator starts each bit at
// a random phase (switched oscillators): nothing for a phase-continuous detector to hold on to.
// Amplitude 0.25, white noise at snrDb in 2500 Hz.
inline std::vector<float> phaseJumpingFsk(const std::string &text, double snrDb, unsigned seed)
{
    const double fs = 11025, baud = 45.45;
    std::vector<KeyRun> runs{{true, 45}};
    for (auto code : rtty::encodeText(text))
        for (const KeyRun &run : frameRuns(code))
            runs.push_back(run);
    runs.push_back({true, 45});
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> phase(0, 2 * std::numbers::pi);
    const double sigma = std::sqrt(0.25 * 0.25 / 2 / std::pow(10, snrDb / 10) * (fs / 2) / 2500);
    std::normal_distribution<double> noise(0, sigma);
    std::vector<float> out;
    double bits = 0;
    for (const auto &[mark, length] : runs) {
        const double hz = mark ? 2125 : 2295, p0 = phase(random);
        const auto from = std::size_t(bits * fs / baud);
        bits += length;
        const auto to = std::size_t(bits * fs / baud);
        for (std::size_t n = from; n < to; ++n)
            out.push_back(float(0.25 * std::cos(2 * std::numbers::pi * hz * double(n) / fs + p0) +
                                noise(random)));
    }
    return out;
}
