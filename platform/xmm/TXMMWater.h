// The waterfall display: one line per FFT block, the newest at the top, coloured from the noise
// floor (dark blue) to strong signals (yellow, then white). The level follows the noise floor
// by itself, so weak and strong bands both show their signals.
#pragma once

#include "FrequencyDisplay.h"

#include <QImage>

class TXMMWater : public FrequencyDisplay {
    Q_OBJECT
public:
    explicit TXMMWater(QWidget *parent = nullptr);

    void DrawFFT(const std::int16_t *pFFT, std::int16_t size, std::int16_t sampfreq);
    void Clear();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void rangeChanged() override;

private:
    QImage picture_;
    int floorCentiDb_ = 0; // smoothed noise floor of the recent blocks
    bool levelKnown_ = false;
};
