// The XY scope: each XY block drawn as points with the mark channel across and the space
// channel up, so that a tuned RTTY signal draws a cross. Earlier blocks fade out over a few
// blocks, as on a scope's screen. HighQuality joins the points with smooth lines instead of
// plotting dots.
#pragma once

#include "CallObserver.h"

#include <QImage>
#include <QPolygonF>
#include <QWidget>
#include <cstdint>

class TXMMXY : public QWidget, public xmm::ObservedControl {
    Q_OBJECT
public:
    explicit TXMMXY(QWidget *parent = nullptr);

    void DrawXY(const std::int32_t *pXY);
    void Clear();

    bool HighQuality() const { return noted("HighQuality", highQuality_); }
    void setHighQuality(bool high);
    void setDemSampleFreq(std::int16_t hz) { store("DemSampleFreq", demSampleFreq_, hz); }
    std::int16_t demSampleFreq() const { return demSampleFreq_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void paintBlock();

    QPolygonF points_; // the latest block, in -1..1 on both axes
    QImage screen_;    // what the scope shows, the older blocks faded
    bool highQuality_ = false;
    std::int16_t demSampleFreq_ = 0;
};
