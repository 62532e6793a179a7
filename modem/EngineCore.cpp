#include "EngineCore.h"

#include "EngineLinkProtocol.h"

#include <cmath>

namespace rtty {

using namespace enginelink;

EngineCore::EngineCore(EngineEvents &events)
    : events_(events), spectrum_(SpectrumHop), afc_(SampleRateHz / Spectrum::Size),
      transmitter_(SampleRateHz, 45.45, StandardMarkHz, StandardSpaceHz)
{
    receiver_.onCharacter = [this](char c) { events_.character(c); };
    receiver_.onXy = [this](const std::vector<std::int32_t> &block) { events_.xy(block); };
    setTones(markHz_, spaceHz_);
    applySwitches();
}

void EngineCore::setTones(double markHz, double spaceHz)
{
    markHz_ = markHz;
    spaceHz_ = spaceHz;
    afc_.reset();
    ReceiverSettings s = receiver_.settings();
    s.markHz = markHz;
    s.spaceHz = spaceHz;
    receiver_.apply(s);
    transmitter_.setTones(markHz, spaceHz);
}

void EngineCore::applySwitches()
{
    ReceiverSettings s = receiver_.settings();
    s.atc = switches_.on(Function::Atc);
    s.reverse = switches_.on(Function::Reverse);
    s.squelch = switches_.on(Function::Squelch);
    s.squelchLevel = squelchLevel_;
    s.unshiftOnSpace = switches_.on(Function::UnshiftOnSpace);
    s.notch = switches_.on(Function::Notch);
    s.notchHz = notchHz_;
    s.carrierCanceller = switches_.on(Function::Lms);
    s.baud = baud_;
    receiver_.apply(s);
    transmitter_.setBaud(baud_);
    transmitter_.setBandpass(switches_.on(Function::TxBandpass));
    if (!switches_.on(Function::Net))
        transmitter_.setTones(markHz_, spaceHz_);
}

void EngineCore::postCommand(std::int32_t command, std::int32_t value)
{
    switch (command) {
    case CmdTransmitControl:
        switch (value) {
        case TxStopNow:
            transmitter_.stopNow();
            break;
        case TxReceiveAfterSending:
            transmitter_.stopWhenSent();
            break;
        case TxTransmit:
        case TxSwitchToTransmit:
            transmitter_.start();
            break;
        case TxClearBuffer:
            transmitter_.clearBuffer();
            break;
        default:
            break;
        }
        break;
    case CmdRequestParameters:
        events_.status(statusRecord());
        break;
    case CmdBaud:
        if (value >= 1000 && value <= 30000) {
            baud_ = value / 100.0;
            applySwitches();
        }
        break;
    case CmdMarkHz:
        if (value > 0 && value < SampleRateHz / 2)
            setTones(value, value + (spaceHz_ - markHz_));
        break;
    case CmdSpaceHz:
        if (value > 0 && value < SampleRateHz / 2 && value != markHz_)
            setTones(markHz_, value);
        break;
    case CmdHamDefaults:
        baud_ = 45.45;
        setTones(StandardMarkHz, StandardSpaceHz);
        applySwitches();
        break;
    case CmdSquelchLevel:
        squelchLevel_ = std::clamp(value, 0, 1023);
        applySwitches();
        break;
    case CmdNotchHz:
        if (value > 0 && value < SampleRateHz / 2) {
            notchHz_ = value;
            applySwitches();
        }
        break;
    case CmdMarkAndShift: {
        const int mark = value & 0xffff, shift = (value >> 16) & 0xffff;
        if (mark > 0 && shift > 0 && mark + shift < SampleRateHz / 2)
            setTones(mark, mark + shift);
        break;
    }
    default:
        break;
    }
}

void EngineCore::setSwitch(std::int32_t word)
{
    if (switches_.apply(word))
        applySwitches();
    if (!switches_.on(Function::Afc)) {
        // Without AFC the receiver listens where the operator tuned.
        const ReceiverSettings &s = receiver_.settings();
        if (s.markHz != markHz_ || s.spaceHz != spaceHz_)
            receiver_.retune(markHz_, spaceHz_);
    }
}

void EngineCore::setOption(std::int16_t option)
{
    if (option == OptionBeforeTransmit)
        transmitter_.freshShift();
}

void EngineCore::sendText(const std::string &text)
{
    transmitter_.addText(text);
}

void EngineCore::process(const float *rx, float *tx, std::size_t n, std::size_t clipped)
{
    receive(rx, n, clipped);
    transmit(tx, n);
}

void EngineCore::receive(const float *rx, std::size_t n, std::size_t clipped)
{
    overflow_ += std::int32_t(clipped);
    overflowTotal_ += std::int32_t(clipped);
    receiver_.process(rx, n);
    for (std::size_t i = 0; i < n; ++i) {
        if (!spectrum_.push(rx[i]))
            continue;
        events_.spectrum(spectrum_.values(), int(SampleRateHz), overflow_);
        overflow_ = 0;
        if (switches_.on(Function::Afc) && !transmitter_.transmitting() && spectrum_.full()) {
            const ReceiverSettings &s = receiver_.settings();
            const auto tones = afc_.update(spectrum_.power(), {s.markHz, s.spaceHz});
            receiver_.retune(tones.markHz, tones.spaceHz);
        }
    }
    sinceStatus_ += n;
    if (sinceStatus_ >= StatusEverySamples) {
        sinceStatus_ = 0;
        events_.status(statusRecord());
    }
}

void EngineCore::transmit(float *tx, std::size_t n)
{
    if (switches_.on(Function::Net)) {
        const ReceiverSettings &s = receiver_.settings();
        transmitter_.setTones(s.markHz, s.spaceHz);
    }
    transmitter_.generate(tx, n);
    if (transmitter_.transmitting() != wasTransmitting_) {
        wasTransmitting_ = transmitter_.transmitting();
        events_.transmitting(wasTransmitting_);
    }
}

std::vector<std::int32_t> EngineCore::statusRecord() const
{
    const ReceiverSettings &s = receiver_.settings();
    std::vector<std::int32_t> record(StatusFieldsKnown, 0);
    record[StatusFieldCount] = StatusFieldsKnown;
    record[StatusSignalLevel] = receiver_.signalLevel();
    record[StatusSquelchLevel] = squelchLevel_;
    record[StatusSquelchOpen] = receiver_.squelchOpen() ? 1 : 0;
    record[StatusMarkHz] = std::int32_t(std::lround(s.markHz));
    record[StatusSpaceHz] = std::int32_t(std::lround(s.spaceHz));
    record[StatusNotch1Hz] = s.notch ? std::int32_t(std::lround(notchHz_)) : 0;
    record[StatusBaudX100] = std::int32_t(std::lround(baud_ * 100));
    record[StatusSwitchWord] = switches_.word();
    record[StatusTransmitting] = transmitter_.transmitting() ? 1 : 0;
    record[StatusOverflow] = overflowTotal_;
    record[StatusTxBuffered] = std::int32_t(transmitter_.buffered());
    return record;
}

} // namespace rtty
