// Sound that survives its device. While the device has failed, the input gives silence at the
// real-time pace (so that the engine neither stops nor races) and the output drops what it is
// given; about once a second the device is opened again. Each change is reported: the fault in
// a few words, or an empty text once the device works again.
#pragma once

#include "AudioIo.h"

#include <chrono>

namespace engineio {

using SoundReport = std::function<void(const std::string &fault)>;

class ReopeningInput : public AudioInput {
public:
    using Opener = std::function<std::unique_ptr<AudioInput>(std::string &error)>;

    // Opens the device at once; fault() tells how that went (nothing is reported for it).
    ReopeningInput(Opener open, SoundReport report,
                   std::chrono::milliseconds retry = std::chrono::seconds(1));

    bool read(float *out, std::size_t n) override;
    std::string fault() const override { return fault_; }

private:
    bool tryOpen();

    Opener open_;
    SoundReport report_;
    std::chrono::milliseconds retry_;
    std::unique_ptr<AudioInput> device_;
    std::string fault_;
    std::chrono::steady_clock::time_point nextAttempt_, paceFrom_;
    std::size_t pacedSamples_ = 0;
};

class ReopeningOutput : public AudioOutput {
public:
    using Opener = std::function<std::unique_ptr<AudioOutput>(std::string &error)>;

    ReopeningOutput(Opener open, SoundReport report,
                    std::chrono::milliseconds retry = std::chrono::seconds(1));

    bool write(const float *samples, std::size_t n) override;
    void whenPlayed(std::function<void()> played) override;
    void maintain() override;
    std::size_t underruns() const override;
    std::string fault() const override { return fault_; }
    bool paced() const override { return device_ && device_->paced(); }
    std::size_t queued() const override { return device_ ? device_->queued() : 0; }
    std::size_t appetite() const override { return device_ ? device_->appetite() : 0; }

private:
    bool tryOpen();
    void lost();

    Opener open_;
    SoundReport report_;
    std::chrono::milliseconds retry_;
    std::unique_ptr<AudioOutput> device_;
    std::string fault_;
    std::size_t earlierUnderruns_ = 0; // of devices opened before this one
    std::chrono::steady_clock::time_point nextAttempt_;
};

} // namespace engineio
