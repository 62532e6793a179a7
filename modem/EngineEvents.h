// What the engine tells whoever runs it: decoded characters, spectra, XY blocks, status records
// and the transmitter's state from the signal path, and how the engine program's edges (its
// sound input and output, its PTT) stand. One interface for the signal path, the program that
// runs it on a thread, and the link that carries it to the terminal.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rtty {

enum class Edge { SoundInput, SoundOutput, Ptt };

struct EngineEvents {
    virtual ~EngineEvents() = default;
    virtual void character(char c) = 0;
    // values: Spectrum::Bins centi-dB values; overflow: clipped samples since the last one.
    virtual void spectrum(const std::vector<std::int16_t> &values, int sampleRateHz,
                          std::int32_t overflow) = 0;
    virtual void xy(const std::vector<std::int32_t> &block) = 0;
    virtual void status(const std::vector<std::int32_t> &record) = 0;
    virtual void transmitting(bool on) = 0;
    // An edge failed (fault says how, in a few words) or works again (fault empty). The signal
    // path never raises it; the program around it does.
    virtual void edgeChanged(Edge edge, const std::string &fault)
    {
        (void)edge;
        (void)fault;
    }
};

// Hands every event to another listener, when there is one.
class ForwardedEvents : public EngineEvents {
public:
    void forwardTo(EngineEvents *target) { target_ = target; }

    void character(char c) override
    {
        if (target_)
            target_->character(c);
    }
    void spectrum(const std::vector<std::int16_t> &values, int sampleRateHz,
                  std::int32_t overflow) override
    {
        if (target_)
            target_->spectrum(values, sampleRateHz, overflow);
    }
    void xy(const std::vector<std::int32_t> &block) override
    {
        if (target_)
            target_->xy(block);
    }
    void status(const std::vector<std::int32_t> &record) override
    {
        if (target_)
            target_->status(record);
    }
    void transmitting(bool on) override
    {
        if (target_)
            target_->transmitting(on);
    }
    void edgeChanged(Edge edge, const std::string &fault) override
    {
        if (target_)
            target_->edgeChanged(edge, fault);
    }

private:
    EngineEvents *target_ = nullptr;
};

} // namespace rtty
