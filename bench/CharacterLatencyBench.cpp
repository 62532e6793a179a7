// How soon a decoded character follows the end of its frame: a clean 45.45-baud signal, and one
// at -6 dB, through the receive chain in the engine's blocks of audio; for each character, the
// time from the end of its stop bits (as the sender keyed them) to the block after which the
// receiver gave it. What the engine link and the window add comes on top (a few ms).
//
//   bench-character-latency
//
// Exits 1 when a character comes later than 50 ms after its stop bits.
#include "Baudot.h"
#include "Channel.h"
#include "Receiver.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// The engine's block of sound (EngineRunner::BlockSamples, whose header brings in Hamlib,
// whose `struct channel` the channel simulator's namespace cannot sit beside).
constexpr std::size_t BlockSamples = 256;
constexpr double LimitMs = 50;

struct Latency {
    std::size_t characters = 0, late = 0;
    double medianMs = 0, worstMs = 0;
};

Latency measure(const std::string &text, double snrDb)
{
    channel::Settings s;
    s.snrDb = snrDb;
    s.seed = 7;
    const std::vector<float> audio = channel::transmit(text, s);
    // When each code's stop bits end, in seconds from the start of the audio; the printing
    // codes' ends in order (the shifts print nothing).
    const std::vector<std::uint8_t> codes = rtty::encodeText(text);
    std::vector<double> ends;
    rtty::BaudotDecoder shifts;
    for (std::size_t i = 0; i < codes.size(); ++i)
        if (shifts.decode(codes[i]))
            ends.push_back(s.leadSeconds + double(i + 1) * (6 + s.stopBits) / s.baud);

    rtty::Receiver receiver;
    std::vector<double> given; // when each character came, in seconds
    double now = 0;
    receiver.onCharacter = [&](char) { given.push_back(now); };
    for (std::size_t at = 0; at < audio.size(); at += BlockSamples) {
        const std::size_t n = std::min(BlockSamples, audio.size() - at);
        now = double(at + n) / s.sampleRateHz; // the block is there only once it is whole
        receiver.process(audio.data() + at, n);
    }
    Latency result;
    std::vector<double> delays;
    // A clean signal gives every character once; at -6 dB one lost or added would misalign
    // the two lists, so each character is matched to the nearest frame end before it.
    for (double t : given) {
        const auto after = std::upper_bound(ends.begin(), ends.end(), t);
        if (after == ends.begin())
            continue;
        const double ms = (t - *(after - 1)) * 1000;
        delays.push_back(ms);
        result.late += ms > LimitMs;
    }
    result.characters = delays.size();
    if (!delays.empty()) {
        std::sort(delays.begin(), delays.end());
        result.medianMs = delays[delays.size() / 2];
        result.worstMs = delays.back();
    }
    return result;
}

} // namespace

int main()
{
    const std::string text = "CQ CQ CQ DE ZZ9ZZZ ZZ9ZZZ K\r\nTHE QUICK BROWN FOX JUMPS OVER THE "
                             "LAZY DOG 0123456789 RST 599 599 NAME JOHN QTH NEWINGTON 73 SK\r\n";
    std::printf("character latency: end of the stop bits to the character, in blocks of %zu "
                "samples (%.0f ms)\n",
                BlockSamples, double(BlockSamples) * 1000 / rtty::Receiver::SampleRateHz);
    bool ok = true;
    for (double snr : {100.0, -6.0}) {
        const Latency l = measure(text, snr);
        std::printf("  %-8s %3zu characters: median %5.1f ms, worst %5.1f ms, %zu over %.0f ms\n",
                    snr > 50 ? "clean" : "-6 dB", l.characters, l.medianMs, l.worstMs, l.late,
                    LimitMs);
        ok = ok && l.characters > 0 && l.late == 0;
    }
    return ok ? 0 : 1;
}
