#include "ReopeningSound.h"

#include <algorithm>
#include <thread>

namespace engineio {

using Clock = std::chrono::steady_clock;

ReopeningInput::ReopeningInput(Opener open, SoundReport report, std::chrono::milliseconds retry)
    : open_(std::move(open)), report_(std::move(report)), retry_(retry)
{
    tryOpen();
}

bool ReopeningInput::tryOpen()
{
    std::string error;
    device_ = open_(error);
    if (device_) {
        fault_.clear();
        return true;
    }
    fault_ = "cannot open the sound input: " + error;
    // Opening may have taken a while: pace from now on rather than catch up.
    nextAttempt_ = Clock::now() + retry_;
    paceFrom_ = Clock::now();
    pacedSamples_ = 0;
    return false;
}

bool ReopeningInput::read(float *out, std::size_t n)
{
    if (device_) {
        if (device_->read(out, n))
            return true;
        const std::string why = device_->fault();
        device_.reset();
        fault_ = "sound input lost: " + (why.empty() ? std::string("it failed") : why);
        report_(fault_);
        nextAttempt_ = Clock::now() + retry_;
        paceFrom_ = Clock::now();
        pacedSamples_ = 0;
    } else if (Clock::now() >= nextAttempt_ && tryOpen()) {
        report_({});
        return device_->read(out, n);
    }
    std::fill(out, out + n, 0.0f);
    pacedSamples_ += n;
    std::this_thread::sleep_until(
        paceFrom_ + std::chrono::duration_cast<Clock::duration>(
                        std::chrono::duration<double>(double(pacedSamples_) / SampleRateHz)));
    return false;
}

ReopeningOutput::ReopeningOutput(Opener open, SoundReport report, std::chrono::milliseconds retry)
    : open_(std::move(open)), report_(std::move(report)), retry_(retry)
{
    tryOpen();
}

bool ReopeningOutput::tryOpen()
{
    std::string error;
    device_ = open_(error);
    if (device_) {
        fault_.clear();
        return true;
    }
    fault_ = "cannot open the sound output: " + error;
    nextAttempt_ = Clock::now() + retry_;
    return false;
}

void ReopeningOutput::lost()
{
    const std::string why = device_->fault();
    earlierUnderruns_ += device_->underruns();
    device_.reset();
    fault_ = "sound output lost: " + (why.empty() ? std::string("it failed") : why);
    report_(fault_);
    nextAttempt_ = Clock::now() + retry_;
}

bool ReopeningOutput::write(const float *samples, std::size_t n)
{
    if (!device_)
        return false;
    if (device_->write(samples, n))
        return true;
    lost();
    return false;
}

void ReopeningOutput::whenPlayed(std::function<void()> played)
{
    if (device_)
        device_->whenPlayed(std::move(played));
    else
        played();
}

void ReopeningOutput::maintain()
{
    if (device_) {
        if (!device_->fault().empty())
            lost();
        return;
    }
    if (Clock::now() >= nextAttempt_ && tryOpen())
        report_({});
}

std::size_t ReopeningOutput::underruns() const
{
    return earlierUnderruns_ + (device_ ? device_->underruns() : 0);
}

} // namespace engineio
