// Sound-card input and output through PulseAudio's asynchronous API (which PipeWire serves as
// well). Each stream has its own connection, run by a PulseAudio thread: the input keeps what
// the server delivers in a buffer that read() takes from; the output answers every request of
// the server, with queued samples or with silence, so that the device never runs dry between
// or at the start of transmissions. A server or device that goes away turns into a fault,
// which the caller sees at its next read or write; the server converts rates and formats.
#include "AudioIo.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <list>
#include <mutex>
#include <pulse/pulseaudio.h>
#include <vector>

namespace engineio {

namespace {

using namespace std::chrono_literals;

constexpr pa_usec_t OpenTimeoutUs = 3'000'000;
// No sound for this long counts as a failed input; a stream's first sound may take longer (a
// virtual device renders its first block at its longest latency).
constexpr auto InputSilenceLimit = 1s;
constexpr auto FirstSoundLimit = 3s; // no sound for this long counts as a failed input
constexpr double OutputLatencySeconds = 0.08;
constexpr double InputFragmentSeconds = 0.02;
constexpr std::size_t BufferLimitSamples = std::size_t(2 * SampleRateHz);

pa_sample_spec engineFormat()
{
    pa_sample_spec format{};
    format.format = PA_SAMPLE_FLOAT32LE;
    format.rate = std::uint32_t(SampleRateHz);
    format.channels = 1;
    return format;
}

std::uint32_t bytesFor(double seconds)
{
    return std::uint32_t(seconds * SampleRateHz) * sizeof(float);
}

// One connection to the server with one stream. Every PulseAudio call is made on the loop's
// thread or with its lock held; the loop's callbacks run with the lock held.
class PulseStream {
public:
    PulseStream() = default;
    virtual ~PulseStream()
    {
        shutDown();
        if (stream_) {
            pa_stream_set_state_callback(stream_, nullptr, nullptr);
            pa_stream_disconnect(stream_);
            pa_stream_unref(stream_);
        }
        if (context_) {
            pa_context_set_state_callback(context_, nullptr, nullptr);
            pa_context_disconnect(context_);
            pa_context_unref(context_);
        }
        if (loop_)
            pa_threaded_mainloop_free(loop_);
    }
    PulseStream(const PulseStream &) = delete;
    PulseStream &operator=(const PulseStream &) = delete;

    // Connects and starts the stream; false with error set when the server or device fails.
    bool open(pa_stream_direction_t direction, const std::string &device, std::string &error)
    {
        loop_ = pa_threaded_mainloop_new();
        context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "tolmfsk-engine");
        if (!loop_ || !context_) {
            error = "PulseAudio: out of memory";
            return false;
        }
        pa_context_set_state_callback(context_, &PulseStream::wake, this);
        if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
            error = std::string("PulseAudio: ") + pa_strerror(pa_context_errno(context_));
            return false;
        }
        pa_threaded_mainloop_lock(loop_);
        const bool opened = startLoop() && connectStream(direction, device);
        if (!opened)
            error = std::string("PulseAudio: ") + (!wrongDevice_.empty() ? wrongDevice_
                                                   : timedOut_
                                                       ? std::string("the server does not answer")
                                                       : pa_strerror(pa_context_errno(context_)));
        pa_threaded_mainloop_unlock(loop_);
        return opened;
    }

    std::string fault() const
    {
        std::lock_guard lock(faultMutex_);
        return fault_;
    }

protected:
    // Stops the loop's thread: a derived stream calls it first thing in its destructor, so that
    // no callback reaches its state while it is destroyed.
    void shutDown()
    {
        if (loop_ && running_) {
            pa_threaded_mainloop_stop(loop_);
            running_ = false;
        }
    }

    virtual void readable() {}
    virtual void writable(std::size_t) {}
    virtual void underflow() {}
    virtual void failed() {}

    void fail(const std::string &why)
    {
        {
            std::lock_guard lock(faultMutex_);
            if (!fault_.empty())
                return;
            fault_ = why;
        }
        failed();
    }

    pa_threaded_mainloop *loop_ = nullptr;
    pa_context *context_ = nullptr;
    pa_stream *stream_ = nullptr;

private:
    bool startLoop()
    {
        if (pa_threaded_mainloop_start(loop_) < 0)
            return false;
        running_ = true;
        armTimeout();
        while (pa_context_get_state(context_) != PA_CONTEXT_READY) {
            if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context_)) || timedOut_)
                return false;
            pa_threaded_mainloop_wait(loop_);
        }
        return true;
    }

    bool connectStream(pa_stream_direction_t direction, const std::string &device)
    {
        const pa_sample_spec format = engineFormat();
        stream_ = pa_stream_new(context_,
                                direction == PA_STREAM_RECORD ? "RTTY receive" : "RTTY transmit",
                                &format, nullptr);
        if (!stream_)
            return false;
        pa_stream_set_state_callback(stream_, &PulseStream::wake, this);
        pa_buffer_attr attributes{};
        attributes.maxlength = std::uint32_t(-1);
        attributes.prebuf = std::uint32_t(-1);
        attributes.minreq = std::uint32_t(-1);
        attributes.tlength = bytesFor(OutputLatencySeconds);
        attributes.fragsize = bytesFor(InputFragmentSeconds);
        const auto flags = pa_stream_flags_t(
            PA_STREAM_ADJUST_LATENCY | PA_STREAM_AUTO_TIMING_UPDATE | PA_STREAM_INTERPOLATE_TIMING);
        const char *name = device.empty() ? nullptr : device.c_str();
        int result = 0;
        if (direction == PA_STREAM_RECORD) {
            pa_stream_set_read_callback(stream_, &PulseStream::onRead, this);
            result = pa_stream_connect_record(stream_, name, &attributes, flags);
        } else {
            pa_stream_set_write_callback(stream_, &PulseStream::onWrite, this);
            pa_stream_set_underflow_callback(stream_, &PulseStream::onUnderflow, this);
            result =
                pa_stream_connect_playback(stream_, name, &attributes, flags, nullptr, nullptr);
        }
        if (result < 0)
            return false;
        while (pa_stream_get_state(stream_) != PA_STREAM_READY) {
            if (!PA_STREAM_IS_GOOD(pa_stream_get_state(stream_)) || timedOut_) {
                if (pa_context_errno(context_) == PA_ERR_NOENTITY && !device.empty())
                    wrongDevice_ = "there is no device " + device;
                return false;
            }
            pa_threaded_mainloop_wait(loop_);
        }
        // PipeWire connects a stream whose device does not exist to the default one instead.
        const char *got = pa_stream_get_device_name(stream_);
        if (!device.empty() && (!got || device != got)) {
            wrongDevice_ = "there is no device " + device;
            return false;
        }
        open_ = true;
        return true;
    }

    void armTimeout()
    {
        pa_context_rttime_new(
            context_, pa_rtclock_now() + OpenTimeoutUs,
            [](pa_mainloop_api *api, pa_time_event *event, const struct timeval *, void *self) {
                auto *s = static_cast<PulseStream *>(self);
                api->time_free(event);
                if (!s->open_) {
                    s->timedOut_ = true;
                    pa_threaded_mainloop_signal(s->loop_, 0);
                }
            },
            this);
    }

    // State changes of the context and the stream: wake whoever waits, note a failure.
    static void wake(pa_context *, void *self) { static_cast<PulseStream *>(self)->stateChanged(); }
    static void wake(pa_stream *, void *self) { static_cast<PulseStream *>(self)->stateChanged(); }
    void stateChanged()
    {
        pa_threaded_mainloop_signal(loop_, 0);
        if (!open_)
            return;
        if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context_)))
            fail("the sound server went away");
        else if (stream_ && !PA_STREAM_IS_GOOD(pa_stream_get_state(stream_)))
            fail(std::string("the sound device failed: ") +
                 pa_strerror(pa_context_errno(context_)));
    }
    static void onRead(pa_stream *, std::size_t, void *self)
    {
        static_cast<PulseStream *>(self)->readable();
    }
    static void onWrite(pa_stream *, std::size_t bytes, void *self)
    {
        static_cast<PulseStream *>(self)->writable(bytes);
    }
    static void onUnderflow(pa_stream *, void *self)
    {
        static_cast<PulseStream *>(self)->underflow();
    }

    std::atomic<bool> open_{false}, timedOut_{false};
    std::string wrongDevice_;
    bool running_ = false;
    mutable std::mutex faultMutex_;
    std::string fault_;
};

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
        return true;
    }

    void whenPlayed(std::function<void()> played) override
    {
        {
            std::lock_guard lock(mutex_);
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
