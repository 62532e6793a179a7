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
    if (count > 0 && count <= enginelink::MaxXyPoints) {
        points_.reserve(count);
        for (std::int32_t i = 0; i < count; ++i) {
            const double x = std::clamp(pXY[1 + 2 * i], -32768, 32767) / 32768.0;
            const double y = std::clamp(pXY[2 + 2 * i], -32768, 32767) / 32768.0;
            points_ << QPointF(x, y);
        }
    }
    paintBlock();
    update();
}

// Fades what is on the screen and draws the latest block over it.
void TXMMXY::paintBlock()
{
    if (screen_.size() != size()) {
        screen_ = QImage(size(), QImage::Format_ARGB32_Premultiplied);
        screen_.fill(Qt::transparent);
    }
    QPainter painter(&screen_);
    painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    painter.fillRect(screen_.rect(), QColor(0, 0, 0, 140));
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (points_.isEmpty())
        return;
    const QPointF centre(width() / 2.0, height() / 2.0);
    const double radius = std::min(width(), height()) / 2.0 - 2;
    QPolygonF onScreen;
    onScreen.reserve(points_.size());
    for (const QPointF &p : points_)
        onScreen << QPointF(centre.x() + p.x() * radius, centre.y() - p.y() * radius);
    if (highQuality_) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(120, 255, 140, 220), 1.2));
        painter.drawPolyline(onScreen);
    } else {
        painter.setPen(QPen(QColor(120, 255, 140), 2, Qt::SolidLine, Qt::SquareCap));
        painter.drawPoints(onScreen);
    }
}

void TXMMXY::Clear()
{
    noteCall("Clear");
    points_.clear();
    screen_ = QImage();
    update();
}

void TXMMXY::setHighQuality(bool high)
{
    store("HighQuality", highQuality_, high);
    update();
}

void TXMMXY::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(4, 14, 8));
    painter.setPen(QColor(30, 70, 40));
    painter.drawLine(QPointF(width() / 2.0, 0), QPointF(width() / 2.0, height()));
    painter.drawLine(QPointF(0, height() / 2.0), QPointF(width(), height() / 2.0));
    if (!screen_.isNull())
        painter.drawImage(0, 0, screen_);
}
