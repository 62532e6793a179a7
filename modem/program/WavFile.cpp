// WAV file input and output through libsndfile; input resampled to the engine's rate with
// liquid's multi-stage resampler.
#include "AudioIo.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <liquid/liquid.h>
#include <sndfile.h>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace engineio {

namespace {

class WavInput : public AudioInput {
public:
    WavInput(std::vector<float> samples, bool realTime)
        : samples_(std::move(samples)), realTime_(realTime),
          start_(std::chrono::steady_clock::now())
    {
    }

    bool read(float *out, std::size_t n) override
    {
        for (std::size_t i = 0; i < n; ++i)
            out[i] = at_ < samples_.size() ? samples_[at_++] : 0.0f;
        produced_ += n;
        if (realTime_) {
            const auto due =
                start_ + std::chrono::duration<double>(double(produced_) / SampleRateHz);
            std::this_thread::sleep_until(due);
        }
        return true;
    }

private:
    std::vector<float> samples_;
    std::size_t at_ = 0, produced_ = 0;
    bool realTime_;
    std::chrono::steady_clock::time_point start_;
};

class WavOutput : public AudioOutput {
public:
    explicit WavOutput(SNDFILE *file) : file_(file) {}
    ~WavOutput() override { sf_close(file_); }

    bool write(const float *samples, std::size_t n) override
    {
        return sf_write_float(file_, samples, sf_count_t(n)) == sf_count_t(n);
    }
    void whenPlayed(std::function<void()> played) override { played(); }

private:
    SNDFILE *file_;
};

// libsndfile reads what a cut recording still holds and notes in its log where the header
// promised more: "data : <declared> (should be <present>)".
bool headerPromisesMore(SNDFILE *file)
{
    std::array<char, 4096> log{};
    sf_command(file, SFC_GET_LOG_INFO, log.data(), int(log.size()));
    std::istringstream lines(std::string(log.data()));
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("data", 0) != 0)
            continue;
        long long declared = 0, present = 0;
        if (std::sscanf(line.c_str(), "data : %lld (should be %lld)", &declared, &present) == 2)
            return declared > present;
    }
    return false;
}

class NullOutput : public AudioOutput {
public:
    bool write(const float *, std::size_t) override { return true; }
    void whenPlayed(std::function<void()> played) override { played(); }
};

} // namespace

std::vector<float> readWavAtEngineRate(const std::string &path, std::string &error, bool *truncated)
{
    SF_INFO info{};
    SNDFILE *file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) {
        error = "cannot read " + path + ": " + sf_strerror(nullptr);
        return {};
    }
    const int type = info.format & SF_FORMAT_TYPEMASK;
    if (type != SF_FORMAT_WAV && type != SF_FORMAT_WAVEX && type != SF_FORMAT_RF64) {
        error = "cannot read " + path + ": it is not a WAV file";
        sf_close(file);
        return {};
    }
    if (info.samplerate < LowestWavRateHz || info.samplerate > HighestWavRateHz) {
        error = "cannot read " + path + ": its header gives a sample rate of " +
                std::to_string(info.samplerate) + " Hz; recordings of " +
                std::to_string(LowestWavRateHz) + " to " + std::to_string(HighestWavRateHz) +
                " Hz are read";
        sf_close(file);
        return {};
    }
    if (info.channels < 1) {
        error = "cannot read " + path + ": its header gives no channel";
        sf_close(file);
        return {};
    }
    // Read in blocks, whatever length the header gives: what the file holds is what is read.
    const auto channels = std::size_t(info.channels);
    constexpr sf_count_t BlockFrames = 4096;
    std::vector<float> block(std::size_t(BlockFrames) * channels);
    std::vector<float> mono;
    sf_count_t got = 0;
    for (;;) {
        const sf_count_t n = sf_readf_float(file, block.data(), BlockFrames);
        if (n <= 0)
            break;
        got += n;
        for (sf_count_t f = 0; f < n; ++f) {
            float sum = 0;
            for (std::size_t c = 0; c < channels; ++c)
                sum += block[std::size_t(f) * channels + c];
            mono.push_back(sum / float(channels));
        }
    }
    if (truncated)
        *truncated = got < info.frames || headerPromisesMore(file);
    sf_close(file);
    if (info.samplerate == int(SampleRateHz) || mono.empty())
        return mono;

    const float ratio = float(SampleRateHz / info.samplerate);
    msresamp_rrrf resampler = msresamp_rrrf_create(ratio, 60.0f);
    if (!resampler) {
        error = "cannot read " + path + ": its " + std::to_string(info.samplerate) +
                " Hz cannot be resampled to " + std::to_string(int(SampleRateHz)) + " Hz";
        return {};
    }
    // The delay comes in input samples; it is taken off the output.
    const float inputDelay = msresamp_rrrf_get_delay(resampler);
    const auto delay = std::size_t(inputDelay * ratio);
    std::vector<float> out;
    // Each block's output sized as the resampler says it will be, and never under the
    // 1 + 2 r n its documentation asks for.
    auto resample = [&](float *in, std::size_t n) {
        const std::size_t room =
            std::max<std::size_t>(msresamp_rrrf_get_num_output(resampler, unsigned(n)),
                                  std::size_t(std::ceil(1 + 2 * double(ratio) * double(n))));
        const std::size_t at = out.size();
        out.resize(at + room);
        unsigned written = 0;
        msresamp_rrrf_execute(resampler, in, unsigned(n), out.data() + at, &written);
        out.resize(at + std::min<std::size_t>(written, room));
    };
    constexpr std::size_t BlockSamples = 4096;
    for (std::size_t at = 0; at < mono.size(); at += BlockSamples)
        resample(mono.data() + at, std::min(BlockSamples, mono.size() - at));
    // Flush the resampler's delay with silence.
    std::vector<float> zeros(std::size_t(inputDelay) + 8, 0.0f);
    resample(zeros.data(), zeros.size());
    msresamp_rrrf_destroy(resampler);
    if (out.size() > delay)
        out.erase(out.begin(), out.begin() + std::ptrdiff_t(delay));
    return out;
}

std::unique_ptr<AudioInput> openWavInput(const std::string &path, bool realTime, std::string &error)
{
    std::vector<float> samples = readWavAtEngineRate(path, error);
    if (!error.empty())
        return nullptr;
    return std::make_unique<WavInput>(std::move(samples), realTime);
}

std::unique_ptr<AudioOutput> openWavOutput(const std::string &path, std::string &error)
{
    SF_INFO info{};
    info.samplerate = int(SampleRateHz);
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE *file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) {
        error = "cannot write " + path + ": " + sf_strerror(nullptr);
        return nullptr;
    }
    sf_command(file, SFC_SET_UPDATE_HEADER_AUTO, nullptr, SF_TRUE);
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    return std::make_unique<WavOutput>(file);
}

std::unique_ptr<AudioOutput> openNullOutput()
{
    return std::make_unique<NullOutput>();
}

} // namespace engineio
