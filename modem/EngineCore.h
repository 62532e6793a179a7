// The engine's whole signal path in one object, driven block by block from one thread:
// received audio in, characters, spectra, XY blocks and status records out through Events,
// and transmit audio out while transmitting. It takes the terminal's commands, switch words,
// options and text (docs/engine-link.md) and applies them between blocks.
#pragma once

#include "Afc.h"
#include "EngineEvents.h"
#include "EngineLinkProtocol.h"
#include "Receiver.h"
#include "Spectrum.h"
#include "Switches.h"
#include "Transmitter.h"

#include <cstdint>
#include <string>
#include <vector>

namespace rtty {

class EngineCore {
public:
    static constexpr double SampleRateHz = Receiver::SampleRateHz;
    static constexpr std::size_t SpectrumHop = 551;         // about 20 spectra a second
    static constexpr std::size_t StatusEverySamples = 1102; // about 10 status records a second

    explicit EngineCore(EngineEvents &events);

    void postCommand(std::int32_t command, std::int32_t value);
    void setSwitch(std::int32_t word);
    void setOption(std::int16_t option);
    void sendText(const std::string &text);

    // One block: rx holds n received samples, of which `clipped` were at full scale; tx gets
    // n samples to play (silence while receiving). The same as receive, then transmit.
    void process(const float *rx, float *tx, std::size_t n, std::size_t clipped);
    // The receive side of a block.
    void receive(const float *rx, std::size_t n, std::size_t clipped);
    // The next n samples of the transmit side, generated as the output takes them; silence
    // while receiving.
    void transmit(float *tx, std::size_t n);

    bool transmitting() const { return transmitter_.transmitting(); }
    const ReceiverSettings &receiverSettings() const { return receiver_.settings(); }
    double markHz() const { return markHz_; }
    double spaceHz() const { return spaceHz_; }
    double baud() const { return baud_; }
    // For keying an FSK line beside the audio (see Transmitter::onCode).
    Transmitter &transmitter() { return transmitter_; }
    // The status record as it stands (StatusFieldsKnown fields).
    std::vector<std::int32_t> statusRecord() const;

private:
    void setTones(double markHz, double spaceHz);
    void applySwitches();

    EngineEvents &events_;
    Receiver receiver_;
    Spectrum spectrum_;
    Afc afc_;
    Transmitter transmitter_;
    Switches switches_;
    double markHz_ = enginelink::StandardMarkHz; // as the operator set them
    double spaceHz_ = enginelink::StandardSpaceHz;
    double baud_ = 45.45;
    double notchHz_ = 500; // as the terminal's notch field starts
    int squelchLevel_ = 300;
    std::int32_t overflow_ = 0, overflowTotal_ = 0;
    std::size_t sinceStatus_ = 0;
    bool wasTransmitting_ = false;
    std::vector<float> rxBlock_;
};

} // namespace rtty
