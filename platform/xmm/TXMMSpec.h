// The spectrum display: the power of the latest FFT block from BaseFreq to BaseFreq + WidthFreq,
// with markers at the mark and space tones and at the notch frequencies. DrawNMMR moves the
// markers to where the engine listens now.
#pragma once

#include "EngineLinkProtocol.h"
#include "FrequencyDisplay.h"

class TXMMSpec : public FrequencyDisplay {
    Q_OBJECT
public:
    explicit TXMMSpec(QWidget *parent = nullptr);

    void DrawFFT(const std::int16_t *pFFT, std::int16_t size, std::int16_t sampfreq);
    void DrawNMMR(const std::int32_t *pNMMR);
    void Clear();

    std::int16_t MarkFreq() const { return noted("MarkFreq", markHz_); }
    void setMarkFreq(std::int16_t hz)
    {
        store("MarkFreq", markHz_, hz);
        update();
    }
    std::int16_t SpaceFreq() const { return noted("SpaceFreq", spaceHz_); }
    void setSpaceFreq(std::int16_t hz)
    {
        store("SpaceFreq", spaceHz_, hz);
        update();
    }
    std::int16_t Notch1() const { return noted("Notch1", notch1Hz_); }
    std::int16_t Notch2() const { return noted("Notch2", notch2Hz_); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QVector<std::int16_t> columns_; // centi-dB per pixel column of the latest block
    int topCentiDb_ = 0;            // level drawn at the top edge, following the peaks
    std::int16_t markHz_ = enginelink::StandardMarkHz;
    std::int16_t spaceHz_ = enginelink::StandardSpaceHz;
    std::int16_t notch1Hz_ = 0;
    std::int16_t notch2Hz_ = 0;
};
