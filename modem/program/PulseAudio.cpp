// Sound-card input and output through PulseAudio's simple API (which PipeWire serves as well).
// The server converts to the engine's rate and format. Output has a thread of its own behind
// a buffer, so that the signal path never waits for the sound card.
#include "AudioIo.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <pulse/error.h>
#include <pulse/simple.h>
#include <thread>
#include <vector>

namespace engineio {

namespace {

pa_sample_spec engineFormat()
{
    pa_sample_spec format{};
    format.format = PA_SAMPLE_FLOAT32LE;
    format.rate = std::uint32_t(SampleRateHz);
    format.channels = 1;
    return format;
}

class PulseInput : public AudioInput {
public:
    explicit PulseInput(pa_simple *stream) : stream_(stream) {}
    ~PulseInput() override { pa_simple_free(stream_); }

    bool read(float *out, std::size_t n) override
    {
        int error = 0;
        if (pa_simple_read(stream_, out, n * sizeof(float), &error) < 0) {
            std::fill(out, out + n, 0.0f);
            return false;
        }
        return true;
    }

private:
    pa_simple *stream_;
};

class PulseOutput : public AudioOutput {
public:
    explicit PulseOutput(pa_simple *stream) : stream_(stream), thread_([this] { run(); }) {}

    ~PulseOutput() override
    {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        wake_.notify_all();
        thread_.join();
        pa_simple_free(stream_);
    }

    void write(const float *samples, std::size_t n) override
    {
        {
            std::lock_guard lock(mutex_);
            // More than two seconds behind means the card has stopped: drop rather than grow.
            if (pending_.size() < std::size_t(2 * SampleRateHz))
                pending_.insert(pending_.end(), samples, samples + n);
        }
        wake_.notify_all();
    }

    void whenPlayed(std::function<void()> played) override
    {
        {
            std::lock_guard lock(mutex_);
            afterDrain_.push_back(std::move(played));
        }
        wake_.notify_all();
    }

private:
    void run()
    {
        std::vector<float> chunk;
        for (;;) {
            std::vector<std::function<void()>> callbacks;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock,
                           [this] { return quit_ || !pending_.empty() || !afterDrain_.empty(); });
                if (quit_)
                    return;
                const std::size_t n = std::min<std::size_t>(pending_.size(), 512);
                chunk.assign(pending_.begin(), pending_.begin() + std::ptrdiff_t(n));
                pending_.erase(pending_.begin(), pending_.begin() + std::ptrdiff_t(n));
                if (pending_.empty())
                    callbacks.swap(afterDrain_);
            }
            int error = 0;
            if (!chunk.empty())
                pa_simple_write(stream_, chunk.data(), chunk.size() * sizeof(float), &error);
            if (!callbacks.empty()) {
                pa_simple_drain(stream_, &error);
                for (auto &played : callbacks)
                    played();
            }
        }
    }

    pa_simple *stream_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<float> pending_;
    std::vector<std::function<void()>> afterDrain_;
    bool quit_ = false;
    std::thread thread_;
};

pa_simple *openStream(pa_stream_direction_t direction, const std::string &device,
                      std::string &error)
{
    const pa_sample_spec format = engineFormat();
    // About 50 ms of buffering each way: short enough for tuning by ear, long enough not to drop.
    pa_buffer_attr attributes{};
    attributes.maxlength = std::uint32_t(-1);
    attributes.tlength = std::uint32_t(0.05 * SampleRateHz * sizeof(float));
    attributes.prebuf = std::uint32_t(-1);
    attributes.minreq = std::uint32_t(-1);
    attributes.fragsize = std::uint32_t(0.02 * SampleRateHz * sizeof(float));
    int code = 0;
    pa_simple *stream = pa_simple_new(
        nullptr, "tolmfsk-engine", direction, device.empty() ? nullptr : device.c_str(),
        direction == PA_STREAM_RECORD ? "RTTY receive" : "RTTY transmit", &format, nullptr,
        &attributes, &code);
    if (!stream)
        error = std::string("PulseAudio: ") + pa_strerror(code);
    return stream;
}

} // namespace

std::unique_ptr<AudioInput> openPulseInput(const std::string &device, std::string &error)
{
    pa_simple *stream = openStream(PA_STREAM_RECORD, device, error);
    if (!stream)
        return nullptr;
    return std::make_unique<PulseInput>(stream);
}

std::unique_ptr<AudioOutput> openPulseOutput(const std::string &device, std::string &error)
{
    pa_simple *stream = openStream(PA_STREAM_PLAYBACK, device, error);
    if (!stream)
        return nullptr;
    return std::make_unique<PulseOutput>(stream);
}

} // namespace engineio
