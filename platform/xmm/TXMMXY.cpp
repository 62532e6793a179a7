#include "TXMMXY.h"

#include "DataBlocks.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

TXMMXY::TXMMXY(QWidget *parent) : QWidget(parent), ObservedControl(this)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TXMMXY::DrawXY(const std::int32_t *pXY)
{
    noteCall("DrawXY");
    points_.clear();
    if (pXY == nullptr)
        return;
    const std::int32_t count = pXY[0];
    if (count <= 0 || count > xmm::MaxXyPoints) {
        update();
        return;
    }
    points_.reserve(count);
    for (std::int32_t i = 0; i < count; ++i) {
        const double x = std::clamp(pXY[1 + 2 * i], -32768, 32767) / 32768.0;
        const double y = std::clamp(pXY[2 + 2 * i], -32768, 32767) / 32768.0;
        points_ << QPointF(x, y);
    }
    update();
}

void TXMMXY::Clear()
{
    noteCall("Clear");
    points_.clear();
    update();
}

bool TXMMXY::HighQuality() const
{
    noteRead("HighQuality", xmm::boolText(highQuality_));
    return highQuality_;
}

void TXMMXY::setHighQuality(bool high)
{
    noteWrite("HighQuality", xmm::boolText(high));
    highQuality_ = high;
    update();
}

void TXMMXY::setDemSampleFreq(std::int16_t hz)
{
    noteWrite("DemSampleFreq", QString::number(hz));
    demSampleFreq_ = hz;
}

void TXMMXY::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(4, 14, 8));
    const QPointF centre(width() / 2.0, height() / 2.0);
    const double radius = std::min(width(), height()) / 2.0 - 2;
    painter.setPen(QColor(30, 70, 40));
    painter.drawLine(QPointF(centre.x(), 0), QPointF(centre.x(), height()));
    painter.drawLine(QPointF(0, centre.y()), QPointF(width(), centre.y()));
    if (points_.isEmpty())
        return;

    QPolygonF screen;
    screen.reserve(points_.size());
    for (const QPointF &p : points_)
        screen << QPointF(centre.x() + p.x() * radius, centre.y() - p.y() * radius);
    if (highQuality_) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(120, 255, 140, 200), 1.2));
        painter.drawPolyline(screen);
    } else {
        painter.setPen(QColor(120, 255, 140));
        painter.drawPoints(screen);
    }
}
