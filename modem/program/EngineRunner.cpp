#include "EngineRunner.h"

#include <QMetaObject>
#include <cmath>

namespace engineio {

// The core's events, on the signal thread, handed to the listener on the runner's thread.
class EngineRunner::CoreEvents : public rtty::EngineEvents {
public:
    explicit CoreEvents(EngineRunner &runner) : runner_(runner) {}

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
    // The core's word that it has generated a transmission's last sample comes before that
    // sample is played; the runner says when a transmission starts and when it has been
    // played and the radio released (announce).
    void transmitting(bool) override {}
    void edgeChanged(rtty::Edge edge, const std::string &fault) override
    {
        later([l = &runner_.listener_, edge, fault] { l->edgeChanged(edge, fault); });
    }

private:
    EngineRunner &runner_;
};

EngineRunner::EngineRunner(rtty::EngineEvents &listener)
    : listener_(listener), events_(std::make_unique<CoreEvents>(*this)),
      core_(std::make_unique<rtty::EngineCore>(*events_)), keyer_(edgeReporter(rtty::Edge::Ptt))
{
}

EngineRunner::~EngineRunner()
{
    stop();
    output_.reset(); // its thread may still be about to report a played transmission
    input_.reset();
}

void EngineRunner::announce(bool on)
{
    if (announced_ == on)
        return;
    announced_ = on;
    events_->later([l = &listener_, on] { l->transmitting(on); });
}

std::function<void(const std::string &)> EngineRunner::edgeReporter(rtty::Edge edge)
{
    return [events = events_.get(), edge](const std::string &fault) {
        events->edgeChanged(edge, fault);
    };
}

void EngineRunner::setSound(std::unique_ptr<AudioInput> input, std::unique_ptr<AudioOutput> output)
{
    const bool running = thread_.joinable();
    stop();
    output_ = std::move(output);
    input_ = std::move(input);
    if (running)
        start();
}

void EngineRunner::setPtt(const PttSettings &settings)
{
    leadMs_ = std::max(0, settings.leadMs);
    tailMs_ = std::max(0, settings.tailMs);
    keyer_.open(settings);
}

void EngineRunner::setTx(const TxSettings &settings)
{
    post([this, settings](rtty::EngineCore &) {
        tx_ = settings;
        closeFskLine();
        openFskLine(); // now, so that a wrong port shows before anyone transmits
    });
}

void EngineRunner::closeFskLine()
{
    rtty::Transmitter &transmitter = core_->transmitter();
    transmitter.onCode = nullptr;
    transmitter.onStopNow = nullptr;
    fsk_.reset();
}

void EngineRunner::openFskLine()
{
    if (tx_.method == TxMethod::Afsk || (fsk_ && fskBaud_ == core_->baud()))
        return;
    closeFskLine();
    rtty::Transmitter &transmitter = core_->transmitter();
    std::string error;
    fsk_ = engineio::openFskLine(tx_, core_->baud(), error);
    if (!fsk_ || fskFaultReported_) // a PTT fault of its own is not cleared by FSK's success
        events_->edgeChanged(rtty::Edge::Ptt, fsk_ ? std::string() : "FSK: " + error);
    fskFaultReported_ = !fsk_;
    if (!fsk_)
        return;
    fskBaud_ = core_->baud();
    transmitter.onCode = [line = fsk_.get()](std::uint8_t code) { line->send(code); };
    transmitter.onStopNow = [line = fsk_.get()] { line->clear(); };
}

void EngineRunner::start()
{
    if (thread_.joinable() || !input_ || !output_)
        return;
    quit_ = false;
    thread_ = std::thread([this] { run(); });
}

void EngineRunner::stop()
{
    quit_ = true;
    if (thread_.joinable())
        thread_.join();
    sending_ = false;
    keyer_.key(false);
    announce(false);
}

void EngineRunner::post(std::function<void(rtty::EngineCore &)> request)
{
    std::lock_guard lock(requestsMutex_);
    requests_.push_back(std::move(request));
}

void EngineRunner::setPttEnabled(bool on)
{
    pttEnabled_ = on;
    if (!on) // released now, not at the end of what is being sent
        post([this](rtty::EngineCore &) { keyer_.key(false); });
}

void EngineRunner::startSending()
{
    sending_ = true;
    ++transmission_;
    openFskLine();
    underrunsBefore_ = output_->underruns();
    announce(true);
    // With FSK wanted and its port not open the radio would send a bare carrier: not keyed.
    if (pttEnabled_ && (tx_.method == TxMethod::Afsk || fsk_))
        keyer_.key(true);
    // The lead: silence while the transmitter switches over.
    const std::vector<float> lead(leadSamples(), 0.0f);
    output_->write(lead.data(), lead.size());
}

std::size_t EngineRunner::leadSamples() const
{
    return std::size_t(leadMs_ * SampleRateHz / 1000);
}

// Blocks of the transmission to generate now. An output that plays at its device's clock gets
// what keeps queued the lead, two blocks, and twice the most the device takes at once (the
// input, and so this thread, may wake as seldom as the device does), so that the transmission
// follows the device and never runs dry; one that takes everything at once gets a block per
// block received.
std::size_t EngineRunner::blocksToSend() const
{
    if (!output_->paced())
        return 1;
    const std::size_t queued = output_->queued();
    const std::size_t wanted = leadSamples() + 2 * BlockSamples + 2 * output_->appetite();
    if (queued >= wanted)
        return 0;
    return queued + BlockSamples < wanted / 2 ? 2 : 1;
}

void EngineRunner::finishSending()
{
    sending_ = false;
    const unsigned transmission = transmission_;
    auto played = [this, transmission] {
        playedAt_ = Clock::now().time_since_epoch().count();
        played_ = transmission;
    };
    if (fsk_ && !fsk_->fault().empty()) { // reported, and opened again for the next one
        events_->edgeChanged(rtty::Edge::Ptt, "FSK: " + fsk_->fault());
        fskFaultReported_ = true;
        closeFskLine();
    }
    if (fsk_)
        fsk_->whenSent(played); // the audio is only a monitor then
    else
        output_->whenPlayed(played);
    const std::size_t underruns = output_->underruns() - underrunsBefore_;
    if (underruns > 0) {
        underrunReported_ = true;
        events_->edgeChanged(rtty::Edge::SoundOutput, "sound output ran dry " +
                                                          std::to_string(underruns) +
                                                          " times during the transmission");
    } else if (underrunReported_ && output_->fault().empty()) {
        underrunReported_ = false;
        events_->edgeChanged(rtty::Edge::SoundOutput, {});
    }
}

// PTT off once the last transmission has been played and its tail has passed, unless another
// one has begun meanwhile; then the transmission has ended.
void EngineRunner::releaseWhenDue()
{
    if (sending_ || played_ != transmission_ || !announced_)
        return;
    const auto playedAt = Clock::time_point(Clock::duration(playedAt_.load()));
    if (Clock::now() >= playedAt + std::chrono::milliseconds(tailMs_.load())) {
        keyer_.key(false);
        announce(false);
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

        core_->receive(rx.data(), rx.size(), clipped);
        if (core_->transmitting() && !sending_)
            startSending(); // PTT before the first sample of the transmission is queued
        for (std::size_t block = sending_ ? blocksToSend() : 0; block > 0; --block) {
            core_->transmit(tx.data(), tx.size());
            output_->write(tx.data(), tx.size());
            if (!core_->transmitting()) {
                finishSending();
                break;
            }
        }
        releaseWhenDue();
        output_->maintain();
    }
}

} // namespace engineio
