#include "TXMMLvl.h"

#include "DataBlocks.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

TXMMLvl::TXMMLvl(QWidget *parent) : QWidget(parent), ObservedControl(this)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::PointingHandCursor);
}

void TXMMLvl::DrawNMMR(const std::int32_t *pNMMR)
{
    noteCall("DrawNMMR");
    if (pNMMR == nullptr)
        return;
    signal_ =
        std::clamp<int>(enginelink::statusField(pNMMR, enginelink::StatusSignalLevel), 0, TopLevel);
    squelch_ = std::clamp<int>(enginelink::statusField(pNMMR, enginelink::StatusSquelchLevel), 0,
                               TopLevel);
    open_ = enginelink::statusField(pNMMR, enginelink::StatusSquelchOpen) != 0;
    update();
}

void TXMMLvl::Clear()
{
    noteCall("Clear");
    signal_ = 0;
    squelch_ = 0;
    open_ = false;
    update();
}

std::int16_t TXMMLvl::levelAtY(int y) const
{
    const int h = std::max(1, height());
    y = std::clamp(y, 0, h - 1);
    return std::int16_t(((h - 1 - y) * TopLevel) / (h - 1 > 0 ? h - 1 : 1));
}

int TXMMLvl::yForLevel(int level) const
{
    const int h = std::max(2, height());
    return (h - 1) - (level * (h - 1)) / TopLevel;
}

void TXMMLvl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(8, 16, 24));
    const int top = yForLevel(signal_);
    painter.fillRect(QRect(2, top, width() - 4, height() - top),
                     open_ ? QColor(60, 220, 90) : QColor(40, 120, 200));
    const int mark = yForLevel(squelch_);
    painter.setPen(QPen(QColor(255, 80, 60), 2));
    painter.drawLine(0, mark, width(), mark);
}

void TXMMLvl::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit OnLMouseDown(levelAtY(event->position().toPoint().y()));
}
