#include "PulseStream.h"

#include "AudioIo.h"

namespace engineio::pulse {

namespace {

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

} // namespace

PulseStream::~PulseStream()
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

bool PulseStream::open(pa_stream_direction_t direction, const std::string &device,
                       std::string &error)
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
        error =
            std::string("PulseAudio: ") + (!wrongDevice_.empty() ? wrongDevice_
                                           : timedOut_ ? std::string("the server does not answer")
                                                       : pa_strerror(pa_context_errno(context_)));
    pa_threaded_mainloop_unlock(loop_);
    return opened;
}

std::string PulseStream::fault() const
{
    std::lock_guard lock(faultMutex_);
    return fault_;
}

void PulseStream::shutDown()
{
    if (loop_ && running_) {
        pa_threaded_mainloop_stop(loop_);
        running_ = false;
    }
}

void PulseStream::fail(const std::string &why)
{
    {
        std::lock_guard lock(faultMutex_);
        if (!fault_.empty())
            return;
        fault_ = why;
    }
    failed();
}

bool PulseStream::startLoop()
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

bool PulseStream::connectStream(pa_stream_direction_t direction, const std::string &device)
{
    const pa_sample_spec format = engineFormat();
    stream_ =
        pa_stream_new(context_, direction == PA_STREAM_RECORD ? "RTTY receive" : "RTTY transmit",
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
    const auto flags = pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | PA_STREAM_AUTO_TIMING_UPDATE |
                                         PA_STREAM_INTERPOLATE_TIMING);
    const char *name = device.empty() ? nullptr : device.c_str();
    int result = 0;
    if (direction == PA_STREAM_RECORD) {
        pa_stream_set_read_callback(stream_, &PulseStream::onRead, this);
        result = pa_stream_connect_record(stream_, name, &attributes, flags);
    } else {
        pa_stream_set_write_callback(stream_, &PulseStream::onWrite, this);
        pa_stream_set_underflow_callback(stream_, &PulseStream::onUnderflow, this);
        result = pa_stream_connect_playback(stream_, name, &attributes, flags, nullptr, nullptr);
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

void PulseStream::armTimeout()
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

void PulseStream::wake(pa_context *, void *self)
{
    static_cast<PulseStream *>(self)->stateChanged();
}

void PulseStream::wake(pa_stream *, void *self)
{
    static_cast<PulseStream *>(self)->stateChanged();
}

void PulseStream::stateChanged()
{
    pa_threaded_mainloop_signal(loop_, 0);
    if (!open_)
        return;
    if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context_)))
        fail("the sound server went away");
    else if (stream_ && !PA_STREAM_IS_GOOD(pa_stream_get_state(stream_)))
        fail(std::string("the sound device failed: ") + pa_strerror(pa_context_errno(context_)));
}

void PulseStream::onRead(pa_stream *, std::size_t, void *self)
{
    static_cast<PulseStream *>(self)->readable();
}

void PulseStream::onWrite(pa_stream *, std::size_t bytes, void *self)
{
    static_cast<PulseStream *>(self)->writable(bytes);
}

void PulseStream::onUnderflow(pa_stream *, void *self)
{
    static_cast<PulseStream *>(self)->underflow();
}

} // namespace engineio::pulse
