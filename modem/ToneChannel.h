// One tone of the FSK pair: mixes the audio down from the tone to 0 Hz (liquid NCO), low-passes
// and decimates (liquid Kaiser decimator), then applies the bit-matched filter: a moving sum over
// one bit, the optimum for rectangular keying in white noise. Gives one complex sample per
// `decimation` input samples; its magnitude is the tone's envelope.
#pragma once

#include <complex>
#include <vector>

struct nco_crcf_s;
struct firdecim_crcf_s;

namespace rtty {

class ToneChannel {
public:
    ToneChannel(double sampleRateHz, unsigned decimation, double toneHz, double baud);
    ~ToneChannel();
    ToneChannel(const ToneChannel &) = delete;
    ToneChannel &operator=(const ToneChannel &) = delete;

    void setTone(double toneHz);
    void setBaud(double baud);
    // Forgets the signal so far (the filters' contents), keeping the tone and the baud.
    void reset();

    // in: `decimation` samples. Returns the matched-filter output after them.
    std::complex<float> execute(const float *in);

    // The mixer's phase (radians) at the input sample the last output stands for: the output's
    // angle plus this is the received signal's phase there, for a tone on this channel.
    double referencePhase() const { return referencePhase_; }
    // The mixer's step in radians per input sample.
    double step() const { return step_; }

private:
    double fs_;
    unsigned decimation_;
    nco_crcf_s *nco_;
    firdecim_crcf_s *decimator_;
    std::vector<std::complex<float>> mixed_;
    std::vector<std::complex<float>> history_; // the last bit of decimated samples
    std::size_t at_ = 0;
    std::complex<double> sum_{};
    unsigned sinceRefresh_ = 0;
    double referencePhase_ = 0, step_ = 0;
    unsigned delay_ = 0; // input samples from the decimator's centre tap to its newest input
};

} // namespace rtty
