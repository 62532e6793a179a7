// One connection to the PulseAudio server with one stream, the part the sound input and output
// share. Every PulseAudio call is made on the loop's thread or with its lock held; the loop's
// callbacks run with the lock held.
#pragma once

#include <atomic>
#include <mutex>
#include <pulse/pulseaudio.h>
#include <string>

namespace engineio::pulse {

// How long the server and the device have to answer an open.
constexpr pa_usec_t OpenTimeoutUs = 3'000'000;
// What the output asks the server to keep queued (room for a few of a loaded server's
// quanta, which PipeWire may make 2048 samples at 48 kHz), and how often the input hears
// from it.
constexpr double OutputLatencySeconds = 0.15;
constexpr double InputFragmentSeconds = 0.02;

class PulseStream {
public:
    PulseStream() = default;
    virtual ~PulseStream();
    PulseStream(const PulseStream &) = delete;
    PulseStream &operator=(const PulseStream &) = delete;

    // Connects and starts the stream; false with error set when the server or device fails.
    bool open(pa_stream_direction_t direction, const std::string &device, std::string &error);

    std::string fault() const;

protected:
    // Stops the loop's thread: a derived stream calls it first thing in its destructor, so that
    // no callback reaches its state while it is destroyed.
    void shutDown();

    virtual void readable() {}
    virtual void writable(std::size_t) {}
    virtual void underflow() {}
    virtual void failed() {}

    // Notes the first fault only, and tells the derived stream.
    void fail(const std::string &why);

    pa_threaded_mainloop *loop_ = nullptr;
    pa_context *context_ = nullptr;
    pa_stream *stream_ = nullptr;

private:
    bool startLoop();
    bool connectStream(pa_stream_direction_t direction, const std::string &device);
    void armTimeout();

    // State changes of the context and the stream: wake whoever waits, note a failure.
    static void wake(pa_context *, void *self);
    static void wake(pa_stream *, void *self);
    void stateChanged();
    static void onRead(pa_stream *, std::size_t, void *self);
    static void onWrite(pa_stream *, std::size_t bytes, void *self);
    static void onUnderflow(pa_stream *, void *self);

    std::atomic<bool> open_{false}, timedOut_{false};
    std::string wrongDevice_;
    bool running_ = false;
    mutable std::mutex faultMutex_;
    std::string fault_;
};

} // namespace engineio::pulse
