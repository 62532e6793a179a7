// Sound that survives its device. While the device has failed, the input gives silence at the
// real-time pace (so that the engine neither stops nor races) and the output drops what it is
// given; about once a second the device is opened again. Each change is reported: the fault in
// a few words, or an empty text once the device works again.
#pragma once

#include "AudioIo.h"

#include <chrono>
#include <future>

namespace engineio {

using SoundReport = std::function<void(const std::string &fault)>;

// A device of either direction with its opener: opened again, once the retry period has passed,
// after it could not be opened or was lost.
template <typename Device> class Reopener {
public:
    using Opener = std::function<std::unique_ptr<Device>(std::string &error)>;
    using Clock = std::chrono::steady_clock;

    // what: "sound input" or "sound output", as the faults name it.
    Reopener(Opener open, SoundReport report, std::chrono::milliseconds retry, const char *what)
        : open_(std::move(open)), report_(std::move(report)), retry_(retry), what_(what)
    {
    }

    Device *device() const { return device_.get(); }
    const std::string &fault() const { return fault_; }

    // Opens the device; false, with the fault saying why, when it cannot (nothing reported).
    bool open()
    {
        std::string error;
        device_ = open_(error);
        if (device_) {
            fault_.clear();
            return true;
        }
        return cannotOpen(error);
    }
    // The device has failed: dropped and reported, to be opened again later.
    void lose()
    {
        const std::string why = device_->fault();
        device_.reset();
        fault_ = what_ + " lost: " + (why.empty() ? std::string("it failed") : why);
        report_(fault_);
        nextAttempt_ = Clock::now() + retry_;
    }
    // Whether the retry period has passed since the last failure, or an attempt is under way.
    bool due() const { return attempt_.valid() || Clock::now() >= nextAttempt_; }
    // Opens the device again, and reports it working; false when it still cannot be opened.
    // The attempt runs on a thread of its own: a server that does not answer (an open may wait
    // seconds for it) holds up the caller, the signal path, for no more than AttemptWait when
    // it begins; false then, and a later call takes the device once the attempt has ended.
    bool reopen()
    {
        const bool starting = !attempt_.valid();
        if (starting)
            attempt_ = std::async(std::launch::async, [open = open_] {
                Attempt a;
                a.device = open(a.error);
                return a;
            });
        // A device that answers at once is taken at once; a slow one on a later call.
        const auto wait = starting ? AttemptWait : std::chrono::milliseconds(0);
        if (attempt_.wait_for(wait) != std::future_status::ready)
            return false;
        Attempt a = attempt_.get();
        if (!a.device) {
            return cannotOpen(a.error);
        }
        device_ = std::move(a.device);
        fault_.clear();
        report_({});
        return true;
    }
    static constexpr std::chrono::milliseconds AttemptWait{50};

private:
    // An attempt failed: said why, and the next one waits the retry period.
    bool cannotOpen(const std::string &error)
    {
        fault_ = "cannot open the " + what_ + ": " + error;
        nextAttempt_ = Clock::now() + retry_;
        return false;
    }

    Opener open_;
    SoundReport report_;
    std::chrono::milliseconds retry_;
    std::string what_;
    std::unique_ptr<Device> device_;
    std::string fault_;
    Clock::time_point nextAttempt_;
    struct Attempt {
        std::unique_ptr<Device> device;
        std::string error;
    };
    std::future<Attempt> attempt_; // last: its end is waited for before the rest goes
};

class ReopeningInput : public AudioInput {
public:
    using Opener = Reopener<AudioInput>::Opener;

    // Opens the device at once; fault() tells how that went (nothing is reported for it).
    ReopeningInput(Opener open, SoundReport report,
                   std::chrono::milliseconds retry = std::chrono::seconds(1));

    bool read(float *out, std::size_t n) override;
    std::string fault() const override { return sound_.fault(); }

private:
    void paceFromNow();

    Reopener<AudioInput> sound_;
    std::chrono::steady_clock::time_point paceFrom_;
    std::size_t pacedSamples_ = 0;
};

class ReopeningOutput : public AudioOutput {
public:
    using Opener = Reopener<AudioOutput>::Opener;

    ReopeningOutput(Opener open, SoundReport report,
                    std::chrono::milliseconds retry = std::chrono::seconds(1));

    bool write(const float *samples, std::size_t n) override;
    void whenPlayed(std::function<void()> played) override;
    void maintain() override;
    std::size_t underruns() const override;
    std::string fault() const override { return sound_.fault(); }
    bool paced() const override { return device() && device()->paced(); }
    std::size_t queued() const override { return device() ? device()->queued() : 0; }
    std::size_t appetite() const override { return device() ? device()->appetite() : 0; }

private:
    AudioOutput *device() const { return sound_.device(); }
    void lose();

    Reopener<AudioOutput> sound_;
    std::size_t earlierUnderruns_ = 0; // of devices opened before this one
};

} // namespace engineio
