#include "EngineRunner.h"

#include <QMetaObject>
#include <cmath>

namespace engineio {

// The core's events, on the signal thread, handed to the listener on the runner's thread.
class EngineRunner::CoreEvents : public rtty::EngineCore::Events {
public:
    CoreEvents(EngineRunner &runner) : runner_(runner) {}

    template <typename F> void later(F f)
    {
        QMetaObject::invokeMethod(&runner_, std::move(f), Qt::QueuedConnection);
    }

    void character(char c) override
    {
        later([l = &runner_.listener_, c] { l->character(c); });
    }
    void spectrum(const std::vector<std::int16_t> &values, int rate, std::int32_t overflow) override
    {
        later([l = &runner_.listener_, values, rate, overflow] {
            l->spectrum(values, rate, overflow);
        });
    }
    void xy(const std::vector<std::int32_t> &block) override
    {
        later([l = &runner_.listener_, block] { l->xy(block); });
    }
    void status(const std::vector<std::int32_t> &record) override
    {
        later([l = &runner_.listener_, record] { l->status(record); });
    }
    void transmitting(bool on) override
    {
        later([l = &runner_.listener_, on] { l->transmitting(on); });
    }

private:
    EngineRunner &runner_;
};

EngineRunner::EngineRunner(Listener &listener)
    : listener_(listener), events_(std::make_unique<CoreEvents>(*this)),
      core_(std::make_unique<rtty::EngineCore>(*events_))
{
}

EngineRunner::~EngineRunner()
{
    stop();
    key(false);
}

void EngineRunner::setIo(std::unique_ptr<AudioInput> input, std::unique_ptr<AudioOutput> output,
                         const PttSettings &ptt)
{
    const bool running = thread_.joinable();
    stop();
    key(false);
    output_.reset(); // before the input: a loopback output refers to the demo input
    input_ = std::move(input);
    output_ = std::move(output);
    {
        std::lock_guard lock(pttMutex_);
        ptt_ = std::make_unique<Ptt>(ptt);
    }
    if (running)
        start();
}

void EngineRunner::start()
{
    if (thread_.joinable() || !input_)
        return;
    quit_ = false;
    thread_ = std::thread([this] { run(); });
}

void EngineRunner::stop()
{
    quit_ = true;
    if (thread_.joinable())
        thread_.join();
}

void EngineRunner::post(std::function<void(rtty::EngineCore &)> request)
{
    std::lock_guard lock(requestsMutex_);
    requests_.push_back(std::move(request));
}

void EngineRunner::key(bool on)
{
    std::lock_guard lock(pttMutex_);
    if (!ptt_ || keyed_ == on)
        return;
    keyed_ = on;
    if (on && !pttEnabled_) {
        keyed_ = false;
        return;
    }
    if (!ptt_->set(on)) {
        const QString why = QString::fromStdString(ptt_->error());
        QMetaObject::invokeMethod(
            this, [this, why] { listener_.pttFailed(why); }, Qt::QueuedConnection);
    }
}

void EngineRunner::run()
{
    std::vector<float> rx(BlockSamples), tx(BlockSamples);
    std::vector<std::function<void(rtty::EngineCore &)>> pending;
    while (!quit_) {
        input_->read(rx.data(), rx.size());
        std::size_t clipped = 0;
        for (float v : rx)
            clipped += std::fabs(v) >= 0.999f;
        {
            std::lock_guard lock(requestsMutex_);
            pending.swap(requests_);
        }
        for (auto &request : pending)
            request(*core_);
        pending.clear();

        const bool wasTransmitting = core_->transmitting();
        core_->process(rx.data(), tx.data(), rx.size(), clipped);
        const bool transmitting = core_->transmitting();
        if (transmitting && !wasTransmitting)
            key(true); // before the first sample of the transmission is played
        if (transmitting || wasTransmitting)
            output_->write(tx.data(), tx.size());
        if (wasTransmitting && !transmitting)
            output_->whenPlayed([this] { key(false); }); // after the last one has been heard
    }
}

} // namespace engineio
