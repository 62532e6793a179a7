// A second-order notch (liquid IIR section) that removes one carrier in the passband.
// Its width is a fixed number of Hz, narrow enough to spare an RTTY tone 170 Hz away.
#pragma once

struct iirfiltsos_rrrf_s;

namespace rtty {

class NotchFilter {
public:
    static constexpr double WidthHz = 40; // -3 dB width of the notch

    explicit NotchFilter(double sampleRateHz);
    ~NotchFilter();
    NotchFilter(const NotchFilter &) = delete;
    NotchFilter &operator=(const NotchFilter &) = delete;

    void setFrequency(double hz);
    double frequency() const { return hz_; }
    float execute(float x);

private:
    double fs_;
    double hz_ = 0;
    iirfiltsos_rrrf_s *section_ = nullptr;
};

} // namespace rtty
