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
    // Fills out with n samples; false once the source has failed (the engine goes on in silence).
    virtual bool read(float *out, std::size_t n) = 0;
};

class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    virtual void write(const float *samples, std::size_t n) = 0;
    // Calls played() once everything written so far has been heard (PTT may drop then).
    virtual void whenPlayed(std::function<void()> played) = 0;
};

// PulseAudio (and PipeWire through it). device empty: the default. Nothing when the server or
// the device cannot be opened; error then says why.
std::unique_ptr<AudioInput> openPulseInput(const std::string &device, std::string &error);
std::unique_ptr<AudioOutput> openPulseOutput(const std::string &device, std::string &error);

// A WAV file of any sample rate, played once in real time (or as fast as it is read when
// realTime is false), then silence.
std::unique_ptr<AudioInput> openWavInput(const std::string &path, bool realTime,
                                         std::string &error);
// Everything transmitted, as 16-bit WAV at the engine's rate; the header is kept up to date.
std::unique_ptr<AudioOutput> openWavOutput(const std::string &path, std::string &error);
// A whole WAV file (any rate, channels mixed) at the engine's rate; empty with error set when
// it cannot be read.
std::vector<float> readWavAtEngineRate(const std::string &path, std::string &error);
// Drops what it is given.
std::unique_ptr<AudioOutput> openNullOutput();

// The demo: a canned contact between two stations and a second signal, in noise, on a loop,
// with whatever is written to demoLoopback() mixed in (the engine's own transmission).
std::unique_ptr<AudioInput> openDemoInput(unsigned seed = 1);
std::unique_ptr<AudioOutput> openDemoLoopback(AudioInput &demo);

} // namespace engineio
