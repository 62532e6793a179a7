// The engine's sound: where received audio comes from and where transmitted audio goes, at the
// engine's sample rate, mono float in -1..1. Sources pace themselves in real time (a sound card
// by its clock, a file or the demo by the wall clock), so that read() blocks for about the
// duration of what it returns.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace engineio {

constexpr double SampleRateHz = 11025;

class AudioInput {
public:
    virtual ~AudioInput() = default;
    // Fills out with n samples, taking about as long as they last. False when the source has
    // failed: out then holds silence, the call returns at once, and fault() says why.
    virtual bool read(float *out, std::size_t n) = 0;
    // Empty while the source works.
    virtual std::string fault() const { return {}; }
};

class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    // Queues samples to be played after those queued before. Between writes the output plays
    // silence by itself. False when the output has failed (the samples are dropped).
    virtual bool write(const float *samples, std::size_t n) = 0;
    // Calls played() once everything written so far has been played (at once when nothing is
    // pending or the output has failed). It may be called on any thread and must not block.
    virtual void whenPlayed(std::function<void()> played) = 0;
    // Called between blocks of the signal path: an output that has failed may recover here.
    virtual void maintain() {}
    // A paced output plays at its device's clock and tells how many written samples it has
    // not yet handed to the device, so that the engine writes as it plays; an output that is
    // not paced (a file, the demo's loopback) takes what it is given at once.
    virtual bool paced() const { return false; }
    virtual std::size_t queued() const { return 0; }
    // The most samples a paced output's device has taken at once.
    virtual std::size_t appetite() const { return 0; }
    // Times the device ran short of samples since the output was opened, or was given silence
    // inside a transmission because the engine had not written its next samples in time.
    virtual std::size_t underruns() const { return 0; }
    // Empty while the output works.
    virtual std::string fault() const { return {}; }
};

// PulseAudio (and PipeWire through it). device empty: the default. Nothing when the server or
// the device cannot be opened; error then says why.
std::unique_ptr<AudioInput> openPulseInput(const std::string &device, std::string &error);
std::unique_ptr<AudioOutput> openPulseOutput(const std::string &device, std::string &error);
// True when a sound server answers (a desktop's PulseAudio or PipeWire).
bool soundServerRunning();

// A WAV file of any sample rate, played once in real time (or as fast as it is read when
// realTime is false), then silence.
std::unique_ptr<AudioInput> openWavInput(const std::string &path, bool realTime,
                                         std::string &error);
// Everything transmitted, as 16-bit WAV at the engine's rate; the header is kept up to date.
std::unique_ptr<AudioOutput> openWavOutput(const std::string &path, std::string &error);
// A whole WAV file (WAV, WAVEX or RF64 of any encoding libsndfile reads; channels mixed; any
// rate from LowestWavRateHz to HighestWavRateHz) at the engine's rate; empty with error set when
// it cannot be read, is another kind of file, or its header gives a rate out of that range.
// truncated tells a file whose data ends before its header says it does.
constexpr int LowestWavRateHz = 4000, HighestWavRateHz = 768000;
std::vector<float> readWavAtEngineRate(const std::string &path, std::string &error,
                                       bool *truncated = nullptr);
// Drops what it is given.
std::unique_ptr<AudioOutput> openNullOutput();

// The demo: a canned contact between two stations and a second signal, in noise, on a loop,
// with whatever is written to its loopback mixed in (the engine's own transmission).
struct DemoSound {
    std::unique_ptr<AudioInput> input;
    std::unique_ptr<AudioOutput> loopback;
};
DemoSound openDemo(unsigned seed = 1);

} // namespace engineio
