// A radio channel for test signals: an RTTY text made into an analytic FSK signal, then passed
// through two-path fading or a sweeping notch, a frequency offset with drift, an optional
// interfering RTTY signal, white noise at a stated SNR, and optionally static crashes. The sender
// may be off speed (baud), switch between two free-running oscillators, or send one tone weaker
// than the other. SNR is signal power over noise power in a 2500 Hz bandwidth. Everything is
// seeded, so a given set of parameters always gives the same samples.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace channel {

struct Fading {
    double spreadHz = 1; // Doppler spread of each path (two-sigma width of its spectrum)
    double delayMs = 1;  // delay of the second path
};

// Two steady paths, the second delayed and turning against the first: a notch that sweeps
// across the passband `rateHz` times a second, taking each tone in turn (with paths of equal
// strength, wholly).
struct Notch {
    double rateHz = 1;
    double delayMs = 1;
    double secondPath = 1; // the second path's amplitude over the first's
};

struct Interferer {
    double relativeDb = 6; // its power over the wanted signal's
    double offsetHz = 250; // its tones over the wanted tones
    std::string text = "RYRYRYRY THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 1234567890 ";
};

// Static crashes: bursts of wideband noise at random moments (Poisson), each falling away over
// its length, their peak power this far above the background noise's.
struct Impulses {
    double perSecond = 3;
    double relativeDb = 20;
    double lengthMs = 3;
};

// Traffic in overs: each line of the text is one over, keyed from leadSeconds of steady mark
// and ending tailSeconds after its last stop bit, with noise alone (no signal at all) for a gap
// of gapMinSeconds to gapMaxSeconds before each over and after the last. An interferer then
// takes turns of its own, with shorter gaps, and so talks in the gaps too.
struct Overs {
    double gapMinSeconds = 2, gapMaxSeconds = 8;
    double leadSeconds = 0.3;
    double tailSeconds = 0.1;
};

// Where one over was keyed, in samples from the start of the audio: from its first start bit to
// the end of its last stop bit; and the text it carried.
struct OverSpan {
    double from = 0, to = 0;
    std::string text;
};

struct Settings {
    double sampleRateHz = 11025;
    double markHz = 2125;
    double shiftHz = 170; // space = mark + shift
    double baud = 45.45;
    bool reverse = false; // mark and space swapped: mark at markHz + shift, space at markHz
    double snrDb = 100;   // in 2500 Hz; 100 is practically clean
    double offsetHz = 0;  // the whole signal moved by this
    double driftHzPerSecond = 0;
    std::optional<Fading> fading;
    std::optional<Notch> notch;
    std::optional<Interferer> interferer;
    std::optional<Impulses> impulses;
    std::optional<Overs> overs; // the text in overs; leadSeconds then does not apply
    bool phaseJumps = false; // tones from two free-running oscillators: a new phase at each change
    double markDb = 0;       // the mark tone's level against the space tone's (tilt); SNR is the
                             // space tone's then
    double stopBits = 1.5;   // the sender's stop bits: 1, 1.5 or 2
    bool typedAsItGoes = false; // pauses of any length between characters, as when typing
    double leadSeconds = 1.0;   // steady mark before the text, and after it
    double levelDb = 0; // the whole audio scaled by this, as a sound card's input level sets it:
                        // at 0 the signal peaks at about 0.5 and louder crashes clip at 1
    std::uint32_t seed = 1;
};

// The samples of text sent through the channel, at settings.sampleRateHz, peak about 0.5. With
// overs, where each over was keyed goes into `overs` when given.
std::vector<float> transmit(const std::string &text, const Settings &settings,
                            std::vector<OverSpan> *overs = nullptr);

// Eight overs of contest and QSO traffic, a line each, whose first words are call signs and
// figures: for the tests and benches of traffic in overs.
inline constexpr const char *ContestOvers = "CQ TEST G4ZBN G4ZBN\r\n"
                                            "K7QX K7QX\r\n"
                                            "K7QX 599 0417 0417 G4ZBN\r\n"
                                            "QRZ? DE K7QX\r\n"
                                            "R TU 73 DE PY2ZZ SK\r\n"
                                            "599 1234 1234 BK\r\n"
                                            "RYRYRY CQ TEST W1AW\r\n"
                                            "5NN 001 001 DL1ABC\r\n";

// A text's lines, each with its line end: the overs it is sent in.
std::vector<std::string> splitOvers(const std::string &text);

// Writes mono 16-bit WAV; false when the file cannot be written.
bool writeWav(const std::string &path, const std::vector<float> &samples, double sampleRateHz);

} // namespace channel
