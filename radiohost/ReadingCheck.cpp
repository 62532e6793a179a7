#include "ReadingCheck.h"

namespace radiohost {

std::optional<RadioReading> ReadingCheck::confirm(const RadioReading &read)
{
    if (last_) {
        const RadioReading &before = *last_;
        if (read.frequencyHz == before.frequencyHz)
            frequencyHz_ = read.frequencyHz;
        if (read.mode == before.mode)
            mode_ = read.mode;
        // Unknown twice in a row is unknown: the radio no longer tells it.
        if (read.powerWatts == before.powerWatts)
            powerWatts_ = read.powerWatts;
        if (read.transmitting == before.transmitting)
            transmitting_ = read.transmitting;
        if (read.markHz == before.markHz && read.shiftHz == before.shiftHz &&
            read.tonesFromRadio == before.tonesFromRadio)
            tones_ = read;
    }
    last_ = read;
    if (!frequencyHz_ || !mode_)
        return std::nullopt;
    RadioReading shown;
    shown.frequencyHz = *frequencyHz_;
    shown.mode = *mode_;
    shown.powerWatts = powerWatts_;
    shown.transmitting = transmitting_;
    const RadioReading &tones = tones_ ? *tones_ : read;
    shown.markHz = tones.markHz;
    shown.shiftHz = tones.shiftHz;
    shown.tonesFromRadio = tones_ && tones.tonesFromRadio;
    return shown;
}

void ReadingCheck::lost()
{
    *this = ReadingCheck();
}

} // namespace radiohost
