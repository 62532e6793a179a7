// How soon a decoded character follows the end of its frame: a clean 45.45-baud signal, and one
// at -6 dB, through the receive chain in the engine's blocks of audio; for each character, the
// time from the end of its stop bits (as the sender keyed them) to the block after which the
// receiver gave it. What the engine link and the window add comes on top (a few ms).
// Then traffic in overs out of noise at +3 dB with the squelch on at 200: the squelch holds an
// over's first characters while it decides that a signal is there, and prints them the moment
// it does; how much later they come, and that the rest of each over comes as soon as read.
//
//   bench-character-latency
//
// Exits 1 when a character of a running signal comes later than 50 ms after its stop bits
// (those the squelch held at an over's start aside), or an over is not read whole.
#include "Baudot.h"
#include "Channel.h"
#include "Receiver.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
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

// The printing characters' stop-bit ends of a text keyed from `from` (samples), in seconds.
std::vector<double> stopBitEnds(const std::string &over, double from, const channel::Settings &s)
{
    std::vector<double> ends;
    rtty::BaudotDecoder shifts;
    const std::vector<std::uint8_t> codes = rtty::encodeText(over);
    for (std::size_t i = 0; i < codes.size(); ++i)
        if (shifts.decode(codes[i]))
            ends.push_back(from / s.sampleRateHz + double(i + 1) * (6 + s.stopBits) / s.baud);
    return ends;
}

Latency measure(const std::string &text, double snrDb)
{
    channel::Settings s;
    s.snrDb = snrDb;
    s.seed = 7;
    const std::vector<float> audio = channel::transmit(text, s);
    // When each printing character's stop bits end, in seconds from the start of the audio.
    const std::vector<double> ends = stopBitEnds(text, s.leadSeconds * s.sampleRateHz, s);

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

struct OversLatency {
    std::size_t overs = 0, whole = 0; // overs sent, and read exactly
    std::vector<double> firstMs;      // each whole over's first character
    std::vector<double> heldMs;       // the characters that came before the squelch opened
    std::vector<double> runningMs;    // the rest
};

OversLatency measureOvers(double snrDb, int squelchLevel, double leadSeconds)
{
    const std::string text =
        std::string(channel::ContestOvers) + "TU 5NN 0042 QRZ TEST\r\nDL1ABC 73 GL\r\n";
    channel::Settings s;
    s.snrDb = snrDb;
    s.seed = 11;
    s.overs = channel::Overs{};
    s.overs->leadSeconds = leadSeconds;
    std::vector<channel::OverSpan> spans;
    const std::vector<float> audio = channel::transmit(text, s, &spans);

    rtty::ReceiverSettings settings;
    settings.squelch = true;
    settings.squelchLevel = squelchLevel;
    rtty::Receiver receiver(settings);
    struct Given {
        char c;
        double at;      // seconds
        bool whileShut; // came in the block in which the squelch opened, or before
    };
    std::vector<Given> given;
    double now = 0;
    bool wasOpen = false;
    receiver.onCharacter = [&](char c) { given.push_back({c, now, !wasOpen}); };
    for (std::size_t at = 0; at < audio.size(); at += BlockSamples) {
        const std::size_t n = std::min(BlockSamples, audio.size() - at);
        now = double(at + n) / s.sampleRateHz;
        receiver.process(audio.data() + at, n);
        wasOpen = receiver.squelchOpen();
    }

    OversLatency result;
    result.overs = spans.size();
    std::size_t next = 0; // the first character given not yet matched to an over
    for (std::size_t o = 0; o < spans.size(); ++o) {
        // What came from this over's start to the next one's lead, matched character by
        // character where the over was read exactly.
        const double until =
            o + 1 < spans.size()
                ? (spans[o + 1].from - s.overs->leadSeconds * s.sampleRateHz) / s.sampleRateHz
                : 1e300;
        std::string read;
        const std::size_t first = next;
        while (next < given.size() && given[next].at < until)
            read += given[next++].c;
        if (read != spans[o].text)
            continue;
        ++result.whole;
        const std::vector<double> ends = stopBitEnds(spans[o].text, spans[o].from, s);
        for (std::size_t i = 0; i < ends.size(); ++i) {
            const Given &g = given[first + i];
            const double ms = (g.at - ends[i]) * 1000;
            if (i == 0)
                result.firstMs.push_back(ms);
            (g.whileShut ? result.heldMs : result.runningMs).push_back(ms);
        }
    }
    return result;
}

// Median and worst of a list, in the order given back.
std::pair<double, double> medianAndWorst(std::vector<double> v)
{
    if (v.empty())
        return {0, 0};
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v.back()};
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
    constexpr int SquelchLevel = 200;
    // Overs as stations send them, each from a lead of steady mark, and overs whose first start
    // bit comes straight out of the noise, whose first characters the squelch must hold.
    for (double lead : {0.3, 0.0}) {
        const OversLatency o = measureOvers(3, SquelchLevel, lead);
        const auto [firstMedian, firstWorst] = medianAndWorst(o.firstMs);
        const auto [heldMedian, heldWorst] = medianAndWorst(o.heldMs);
        const auto [runningMedian, runningWorst] = medianAndWorst(o.runningMs);
        const std::size_t late = std::size_t(std::count_if(o.runningMs.begin(), o.runningMs.end(),
                                                           [](double ms) { return ms > LimitMs; }));
        std::printf("overs at +3 dB from %.1f s of mark, squelch %d: %zu of %zu read whole\n", lead,
                    SquelchLevel, o.whole, o.overs);
        std::printf("  each over's first character:      median %5.1f ms, worst %5.1f ms\n",
                    firstMedian, firstWorst);
        std::printf("  %3zu held until the squelch opened: median %5.1f ms, worst %5.1f ms\n",
                    o.heldMs.size(), heldMedian, heldWorst);
        std::printf("  %3zu with the squelch open:         median %5.1f ms, worst %5.1f ms, %zu "
                    "over %.0f ms\n",
                    o.runningMs.size(), runningMedian, runningWorst, late, LimitMs);
        ok = ok && o.whole == o.overs && late == 0;
    }
    return ok ? 0 : 1;
}
