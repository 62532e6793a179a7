#include "ReadingCheck.h"

#include <tuple>

namespace radiohost {

std::optional<RadioReading> ReadingCheck::confirm(const RadioReading &read)
{
    if (before_.size() + 1 >= std::size_t(Reads)) {
        auto agree = [&](auto field) {
            for (const RadioReading &r : before_)
                if (!(field(r) == field(read)))
                    return false;
            return true;
        };
        if (agree([](const RadioReading &r) { return r.frequencyHz; }))
            frequencyHz_ = read.frequencyHz;
        if (agree([](const RadioReading &r) { return r.mode; }))
            mode_ = read.mode;
        // Unknown every time is unknown: the radio no longer tells it.
        if (agree([](const RadioReading &r) { return r.powerWatts; }))
            powerWatts_ = read.powerWatts;
        if (agree([](const RadioReading &r) { return r.transmitting; }))
            transmitting_ = read.transmitting;
        if (agree([](const RadioReading &r) {
                return std::tuple(r.markHz, r.shiftHz, r.tonesFromRadio);
            }))
            tones_ = read;
    }
    before_.push_back(read);
    if (before_.size() >= std::size_t(Reads))
        before_.pop_front();
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
