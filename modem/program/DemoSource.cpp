// The demo source: what a receiver would hear on a quiet band with no radio attached. A canned
// contact between two stations on the standard tones, taking turns, a beacon lower down, white
// noise, and the engine's own transmission looped back in. While the engine transmits the two
// stations wait, as stations on one frequency do.
#include "AudioIo.h"
#include "Baudot.h"
#include "EngineLinkProtocol.h"
#include "FskModulator.h"

#include <chrono>
#include <cmath>
#include <deque>
#include <mutex>
#include <random>
#include <thread>

namespace engineio {

namespace {

struct Over {
    double offsetHz; // from the standard tones: the answering station is a little off
    float amplitude;
    const char *text;
};

const Over Contact[] = {
    {0, 0.20f, "CQ CQ CQ DE ZZ1DX ZZ1DX ZZ1DX PSE K\r\n"},
    {12, 0.14f, "ZZ1DX DE ZZ2RX ZZ2RX K\r\n"},
    {0, 0.20f,
     "ZZ2RX DE ZZ1DX GM OM TNX FER CALL UR RST 599 599 NAME ANNA ANNA "
     "QTH LAKESIDE HW? ZZ2RX DE ZZ1DX K\r\n"},
    {12, 0.14f,
     "ZZ1DX DE ZZ2RX R R FB ANNA UR RST 579 579 NAME TOM TOM RIG TS-2000 "
     "ANT DIPOLE 73 ZZ1DX DE ZZ2RX SK\r\n"},
    {0, 0.20f, "ZZ2RX DE ZZ1DX TNX TOM 73 GL SK\r\n"},
};
constexpr double GapSeconds = 1.5;
constexpr double MarkHz = enginelink::StandardMarkHz, ShiftHz = enginelink::StandardShiftHz;
constexpr double BeaconMarkHz = 1275;
constexpr const char *BeaconText = "RYRYRYRY DE ZZ3BCN ZZ3BCN BEACON ";
constexpr double NoiseSigma = 0.02; // the contact about 15 dB above the noise in 2500 Hz

// What the engine transmits, waiting to be heard in the demo's receiver.
class Loopback {
public:
    void add(const float *samples, std::size_t n)
    {
        std::lock_guard lock(mutex_);
        if (samples_.size() < std::size_t(5 * SampleRateHz))
            samples_.insert(samples_.end(), samples, samples + n);
    }

    // The engine's own signal into out (zeros when there is none); true while there is some.
    bool mixInto(float *out, std::size_t n)
    {
        std::lock_guard lock(mutex_);
        const std::size_t have = std::min(n, samples_.size());
        for (std::size_t i = 0; i < n; ++i)
            out[i] = i < have ? 0.5f * samples_[i] : 0.0f;
        samples_.erase(samples_.begin(), samples_.begin() + std::ptrdiff_t(have));
        return have > 0;
    }

private:
    std::mutex mutex_;
    std::deque<float> samples_;
};

class DemoInput : public AudioInput {
public:
    DemoInput(unsigned seed, std::shared_ptr<Loopback> loopback)
        : loopback_(std::move(loopback)), random_(seed), noise_(0, NoiseSigma),
          contact_(SampleRateHz, 45.45, MarkHz, MarkHz + ShiftHz, 1.0f),
          beacon_(SampleRateHz, 45.45, BeaconMarkHz, BeaconMarkHz + ShiftHz, 0.06f),
          start_(std::chrono::steady_clock::now())
    {
        scratch_.resize(4096);
        beaconScratch_.resize(4096);
    }

    bool read(float *out, std::size_t n) override
    {
        if (scratch_.size() < n) {
            scratch_.resize(n);
            beaconScratch_.resize(n);
        }
        const bool transmitting = loopback_->mixInto(out, n);
        if (!transmitting)
            contact(scratch_.data(), n);
        beacon(beaconScratch_.data(), n);
        for (std::size_t i = 0; i < n; ++i)
            out[i] +=
                (transmitting ? 0.0f : scratch_[i]) + beaconScratch_[i] + float(noise_(random_));
        produced_ += n;
        std::this_thread::sleep_until(
            start_ + std::chrono::duration<double>(double(produced_) / SampleRateHz));
        return true;
    }

private:
    void contact(float *out, std::size_t n)
    {
        if (gapLeft_ > 0) {
            const std::size_t quiet = std::min<std::size_t>(n, gapLeft_);
            std::fill(out, out + quiet, 0.0f);
            gapLeft_ -= quiet;
            if (quiet < n)
                contact(out + quiet, n - quiet);
            return;
        }
        if (!contact_.busy()) {
            if (inOver_) {
                inOver_ = false;
                gapLeft_ = std::size_t(GapSeconds * SampleRateHz);
                next_ = (next_ + 1) % std::size(Contact);
                contact(out, n);
                return;
            }
            const Over &over = Contact[next_];
            contact_.setTones(MarkHz + over.offsetHz, MarkHz + over.offsetHz + ShiftHz);
            amplitude_ = over.amplitude;
            contact_.queueMark(8);
            for (std::uint8_t code : rtty::encodeText(over.text))
                contact_.queueCode(code);
            contact_.queueMark(2);
            inOver_ = true;
        }
        contact_.generate(out, n);
        for (std::size_t i = 0; i < n; ++i)
            out[i] *= amplitude_;
    }

    void beacon(float *out, std::size_t n)
    {
        if (beacon_.queuedHalfBits() < 30)
            for (std::uint8_t code : rtty::encodeText(BeaconText))
                beacon_.queueCode(code);
        beacon_.generate(out, n);
    }

    std::shared_ptr<Loopback> loopback_;
    std::mt19937 random_;
    std::normal_distribution<double> noise_;
    rtty::FskModulator contact_, beacon_;
    std::size_t next_ = 0, gapLeft_ = std::size_t(0.5 * SampleRateHz);
    bool inOver_ = false;
    float amplitude_ = 0;
    std::vector<float> scratch_, beaconScratch_;
    std::chrono::steady_clock::time_point start_;
    std::size_t produced_ = 0;
};

class DemoLoopback : public AudioOutput {
public:
    explicit DemoLoopback(std::shared_ptr<Loopback> loopback) : loopback_(std::move(loopback)) {}
    bool write(const float *samples, std::size_t n) override
    {
        loopback_->add(samples, n);
        return true;
    }
    void whenPlayed(std::function<void()> played) override { played(); }

private:
    std::shared_ptr<Loopback> loopback_;
};

} // namespace

DemoSound openDemo(unsigned seed)
{
    auto loopback = std::make_shared<Loopback>();
    return {std::make_unique<DemoInput>(seed, loopback), std::make_unique<DemoLoopback>(loopback)};
}

} // namespace engineio
