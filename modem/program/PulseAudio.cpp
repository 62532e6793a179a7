// Sound-card input and output through PulseAudio's asynchronous API (which PipeWire serves as
// well). Each stream has its own connection, run by a PulseAudio thread: the input keeps what
// the server delivers in a buffer that read() takes from; the output answers every request of
// the server, with queued samples or with silence, so that the device never runs dry between
// or at the start of transmissions (silence given inside a transmission counts as running
// dry). A server or device that goes away turns into a fault,
// which the caller sees at its next read or write; the server converts rates and formats.
#include "AudioIo.h"
#include "PulseStream.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <list>
#include <vector>

namespace engineio {

namespace {

using namespace std::chrono_literals;
using namespace pulse;

// No sound for this long counts as a failed input; a stream's first sound may take longer (a
// virtual device renders its first block at its longest latency).
constexpr auto InputSilenceLimit = 1s;
constexpr auto FirstSoundLimit = 3s;
constexpr std::size_t BufferLimitSamples = std::size_t(2 * SampleRateHz);

class PulseInput : public AudioInput, public PulseStream {
public:
    ~PulseInput() override { shutDown(); }

    bool read(float *out, std::size_t n) override
    {
        std::unique_lock lock(mutex_);
        const auto limit = heard_ ? InputSilenceLimit : FirstSoundLimit;
        const bool filled =
            arrived_.wait_for(lock, limit, [&] { return buffered_.size() >= n || failed_; });
        if (!filled && !failed_) {
            lock.unlock();
            fail("no sound from the input for " +
                 std::to_string(std::chrono::duration_cast<std::chrono::seconds>(limit).count()) +
                 " s");
            lock.lock();
        }
        if (failed_) {
            std::fill(out, out + n, 0.0f);
            return false;
        }
        std::copy_n(buffered_.begin(), n, out);
        buffered_.erase(buffered_.begin(), buffered_.begin() + std::ptrdiff_t(n));
        return true;
    }
    std::string fault() const override { return PulseStream::fault(); }

private:
    void readable() override
    {
        for (;;) {
            const void *data = nullptr;
            std::size_t bytes = 0;
            if (pa_stream_peek(stream_, &data, &bytes) < 0) {
                fail("the sound input failed");
                return;
            }
            if (bytes == 0)
                break;
            {
                std::lock_guard lock(mutex_);
                heard_ = true;
                const std::size_t n = bytes / sizeof(float);
                if (data) {
                    const auto *samples = static_cast<const float *>(data);
                    buffered_.insert(buffered_.end(), samples, samples + n);
                } else {
                    buffered_.insert(buffered_.end(), n, 0.0f); // a hole in the stream
                }
                // A reader that has stopped reading must not make the buffer grow without end.
                if (buffered_.size() > BufferLimitSamples)
                    buffered_.erase(buffered_.begin(),
                                    buffered_.end() - std::ptrdiff_t(BufferLimitSamples));
            }
            pa_stream_drop(stream_);
        }
        arrived_.notify_all();
    }
    void failed() override
    {
        {
            std::lock_guard lock(mutex_);
            failed_ = true;
        }
        arrived_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<float> buffered_;
    bool heard_ = false; // some sound has come
    bool failed_ = false;
};

class PulseOutput : public AudioOutput, public PulseStream {
public:
    ~PulseOutput() override { shutDown(); }

    bool write(const float *samples, std::size_t n) override
    {
        std::lock_guard lock(mutex_);
        if (failed_)
            return false;
        pending_.insert(pending_.end(), samples, samples + n);
        queued_ += n;
        writing_ = true;
        return true;
    }

    void whenPlayed(std::function<void()> played) override
    {
        {
            std::lock_guard lock(mutex_);
            writing_ = false; // what was written is the whole transmission
            if (!failed_ && taken_ < queued_) {
                marks_.push_back({queued_, std::move(played)});
                return;
            }
        }
        played();
    }

    std::size_t underruns() const override { return underruns_; }
    std::string fault() const override { return PulseStream::fault(); }
    bool paced() const override { return true; }
    std::size_t queued() const override
    {
        std::lock_guard lock(mutex_);
        return pending_.size();
    }
    std::size_t appetite() const override { return appetite_; }

private:
    struct Mark {
        std::size_t queuedIndex; // played once the samples queued up to here have been played
        std::function<void()> played;
    };

    // The server asks for bytes: queued samples first, silence for the rest.
    void writable(std::size_t bytes) override
    {
        const std::size_t n = bytes / sizeof(float);
        appetite_ = std::max<std::size_t>(appetite_, n);
        chunk_.assign(n, 0.0f);
        std::vector<Mark> reached;
        std::size_t reachedAt = 0; // samples of this chunk up to the last reached mark
        {
            std::lock_guard lock(mutex_);
            const std::size_t take = std::min(n, pending_.size());
            // Silence inside a transmission is a gap on the air, as much as the server's
            // running short of sound is.
            if (writing_ && take < n)
                ++underruns_;
            std::copy_n(pending_.begin(), take, chunk_.begin());
            pending_.erase(pending_.begin(), pending_.begin() + std::ptrdiff_t(take));
            const std::size_t before = taken_;
            taken_ += take;
            while (!marks_.empty() && marks_.front().queuedIndex <= taken_) {
                reachedAt = std::max(reachedAt, marks_.front().queuedIndex - before);
                reached.push_back(std::move(marks_.front()));
                marks_.erase(marks_.begin());
            }
        }
        pa_stream_write(stream_, chunk_.data(), n * sizeof(float), nullptr, 0, PA_SEEK_RELATIVE);
        if (reached.empty())
            return;
        // The latency is that of the last sample written; the mark's sample is played earlier
        // by what follows it in this chunk.
        pa_usec_t latency = 0;
        int negative = 0;
        if (pa_stream_get_latency(stream_, &latency, &negative) < 0 || negative)
            latency = pa_usec_t(OutputLatencySeconds * 1e6);
        const auto after = pa_usec_t(double(n - reachedAt) / SampleRateHz * 1e6);
        const pa_usec_t wait = latency > after ? latency - after : 0;
        for (Mark &mark : reached)
            schedule(wait, std::move(mark.played));
    }

    // Calls played after waitUs, on the loop's thread.
    void schedule(pa_usec_t waitUs, std::function<void()> played)
    {
        timers_.remove_if([](const Timer &t) { return !t.played; });
        Timer &timer = timers_.emplace_back(Timer{std::move(played)});
        pa_context_rttime_new(
            context_, pa_rtclock_now() + waitUs,
            [](pa_mainloop_api *api, pa_time_event *event, const struct timeval *, void *t) {
                api->time_free(event);
                auto played = std::move(static_cast<Timer *>(t)->played);
                static_cast<Timer *>(t)->played = nullptr;
                if (played)
                    played();
            },
            &timer);
    }

    void underflow() override { ++underruns_; }

    void failed() override
    {
        std::vector<Mark> dropped;
        {
            std::lock_guard lock(mutex_);
            failed_ = true;
            pending_.clear();
            dropped.swap(marks_);
        }
        for (Mark &mark : dropped)
            mark.played();
    }

    mutable std::mutex mutex_;
    std::deque<float> pending_;
    std::vector<Mark> marks_;
    std::size_t queued_ = 0, taken_ = 0;
    bool failed_ = false;
    bool writing_ = false; // a transmission is being written: its end not yet marked
    std::vector<float> chunk_;
    struct Timer {
        std::function<void()> played; // empty once called
    };
    std::list<Timer> timers_; // touched on the loop's thread only
    std::atomic<std::size_t> underruns_{0}, appetite_{0};
};

} // namespace

bool soundServerRunning()
{
    pa_mainloop *loop = pa_mainloop_new();
    pa_context *context = pa_context_new(pa_mainloop_get_api(loop), "tolmfsk-engine");
    bool ready = false;
    if (context && pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::microseconds(OpenTimeoutUs);
        while (std::chrono::steady_clock::now() < deadline) {
            const pa_context_state_t state = pa_context_get_state(context);
            if (state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state)) {
                ready = state == PA_CONTEXT_READY;
                break;
            }
            pa_mainloop_prepare(loop, 10'000);
            pa_mainloop_poll(loop);
            pa_mainloop_dispatch(loop);
        }
        pa_context_disconnect(context);
    }
    if (context)
        pa_context_unref(context);
    pa_mainloop_free(loop);
    return ready;
}

std::unique_ptr<AudioInput> openPulseInput(const std::string &device, std::string &error)
{
    auto input = std::make_unique<PulseInput>();
    if (!input->open(PA_STREAM_RECORD, device, error))
        return nullptr;
    return input;
}

std::unique_ptr<AudioOutput> openPulseOutput(const std::string &device, std::string &error)
{
    auto output = std::make_unique<PulseOutput>();
    if (!output->open(PA_STREAM_PLAYBACK, device, error))
        return nullptr;
    return output;
}

} // namespace engineio
