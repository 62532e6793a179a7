// The transmit side: the text the terminal sends waits in a buffer; while transmitting it is
// encoded (Baudot, with FIGS again after a space before a figure) and keyed into the FSK
// modulator. An empty buffer is filled with LTRS diddles until the operator asks to return to
// receive. A transmission begins with a short steady mark, so that a sleeping sound output
// wakes before the first character, and ends after the last character's stop bits. Its
// amplitude rises and falls over RampSeconds at either end (a raised cosine), so that neither
// end clicks, whether the band-pass filter is on or not; stopping at once falls the same way.
#pragma once

#include "Baudot.h"
#include "FskModulator.h"

#include <functional>
#include <memory>

struct firfilt_rrrf_s;

#include <deque>
#include <string>

namespace rtty {

class Transmitter {
public:
    static constexpr double LeadInSeconds = 0.3;
    static constexpr double RampSeconds = 0.005;

    Transmitter(double sampleRateHz, double baud, double markHz, double spaceHz);

    // Text from the terminal. CR becomes CR LF on the air, Backspace (8) takes back the last
    // character not yet sent, characters Baudot lacks are dropped.
    void addText(const std::string &text);
    void clearBuffer() { buffer_.clear(); }
    std::size_t buffered() const { return buffer_.size(); }

    // Transmit: the buffer, then diddles. Each transmission's first character carries its shift.
    void start();
    void stopNow();      // back to receive at once (after the fall), the buffer dropped
    void stopWhenSent(); // back to receive once the buffer has been sent
    void freshShift()
    {
        encoder_.reset();
        freshShift_ = true;
    } // send the shift again first

    void setTones(double markHz, double spaceHz);
    // A band-pass filter around the two tones on the transmitted audio.
    void setBandpass(bool on) { bandpass_ = on; }
    void setBaud(double baud)
    {
        modulator_.setBaud(baud);
        baud_ = baud;
    }

    bool transmitting() const { return transmitting_; }

    // For keying an FSK line instead of (or beside) the audio: each code as it is keyed into
    // the modulator, a frame ahead of its sound; and a stop at once, which drops what is queued.
    std::function<void(std::uint8_t code)> onCode;
    std::function<void()> onStopNow;
    // Fills out with the next n samples: the signal while transmitting, silence otherwise.
    void generate(float *out, std::size_t n);

private:
    void feed();
    void queue(std::uint8_t code);
    void designBandpass();
    // Shapes the start and end of a transmission; ends it when the fall is complete.
    void applyRamps(float *out, std::size_t n);

    double fs_;
    double markHz_, spaceHz_;
    bool bandpass_ = false;
    std::unique_ptr<::firfilt_rrrf_s, void (*)(::firfilt_rrrf_s *)> filter_;
    FskModulator modulator_;
    BaudotEncoder encoder_;
    std::deque<char> buffer_;
    double baud_;
    bool transmitting_ = false;
    bool ending_ = false; // falling towards the end of the transmission
    std::size_t rampSamples_;
    std::size_t rampAt_ = 0; // 0 silent .. rampSamples_ full amplitude
    bool stopWhenSent_ = false;
    bool freshShift_ = true;
    char lastQueued_ = 0;
};

} // namespace rtty
