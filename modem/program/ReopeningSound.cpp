#include "ReopeningSound.h"

#include <algorithm>
#include <thread>

namespace engineio {

using Clock = std::chrono::steady_clock;

ReopeningInput::ReopeningInput(Opener open, SoundReport report, std::chrono::milliseconds retry)
    : sound_(std::move(open), std::move(report), retry, "sound input")
{
    if (!sound_.open())
        paceFromNow();
}

// Opening or losing the device may have taken a while: pace from now on rather than catch up.
void ReopeningInput::paceFromNow()
{
    paceFrom_ = Clock::now();
    pacedSamples_ = 0;
}

bool ReopeningInput::read(float *out, std::size_t n)
{
    if (AudioInput *device = sound_.device()) {
        if (device->read(out, n))
            return true;
        sound_.lose();
        paceFromNow();
    } else if (sound_.due()) {
        if (sound_.reopen())
            return sound_.device()->read(out, n);
        paceFromNow();
    }
    std::fill(out, out + n, 0.0f);
    pacedSamples_ += n;
    std::this_thread::sleep_until(
        paceFrom_ + std::chrono::duration_cast<Clock::duration>(
                        std::chrono::duration<double>(double(pacedSamples_) / SampleRateHz)));
    return false;
}

ReopeningOutput::ReopeningOutput(Opener open, SoundReport report, std::chrono::milliseconds retry)
    : sound_(std::move(open), std::move(report), retry, "sound output")
{
    sound_.open();
}

void ReopeningOutput::lose()
{
    earlierUnderruns_ += device()->underruns();
    sound_.lose();
}

bool ReopeningOutput::write(const float *samples, std::size_t n)
{
    if (!device())
        return false;
    if (device()->write(samples, n))
        return true;
    lose();
    return false;
}

void ReopeningOutput::whenPlayed(std::function<void()> played)
{
    if (device())
        device()->whenPlayed(std::move(played));
    else
        played();
}

void ReopeningOutput::maintain()
{
    if (device()) {
        if (!device()->fault().empty())
            lose();
        return;
    }
    if (sound_.due())
        sound_.reopen();
}

std::size_t ReopeningOutput::underruns() const
{
    return earlierUnderruns_ + (device() ? device()->underruns() : 0);
}

} // namespace engineio
