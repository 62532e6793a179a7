#include "FrequencyDisplay.h"

#include "DataBlocks.h"

#include <QMouseEvent>
#include <algorithm>

FrequencyDisplay::FrequencyDisplay(QWidget *parent) : QWidget(parent), ObservedControl(this)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::CrossCursor);
}

void FrequencyDisplay::setRange(const char *property, std::int16_t &field, std::int16_t hz)
{
    store(property, field, hz);
    rangeChanged();
    update();
}

void FrequencyDisplay::setWidthPixels(int pixels)
{
    noteWrite("Width", QString::number(pixels));
    resize(pixels, height());
}

std::int16_t FrequencyDisplay::freqAtX(int x) const
{
    const int pixels = std::max(1, width());
    x = std::clamp(x, 0, pixels - 1);
    return static_cast<std::int16_t>(baseHz_ + (x * widthHz_) / pixels);
}

int FrequencyDisplay::xForFreq(int hz) const
{
    if (widthHz_ <= 0)
        return 0;
    return ((hz - baseHz_) * width()) / widthHz_;
}

QVector<std::int16_t> FrequencyDisplay::columnsFromBlock(const std::int16_t *values,
                                                         std::int16_t size,
                                                         std::int16_t sampleRate) const
{
    const int pixels = width();
    QVector<std::int16_t> columns(std::max(0, pixels), enginelink::FftFloorCentiDb);
    if (values == nullptr || size <= 0 || sampleRate <= 0 || pixels <= 0 || widthHz_ <= 0)
        return columns;
    const double binHz = sampleRate / (2.0 * size);
    for (int x = 0; x < pixels; ++x) {
        const double lowHz = baseHz_ + double(x) * widthHz_ / pixels;
        const double highHz = baseHz_ + double(x + 1) * widthHz_ / pixels;
        int first = int(lowHz / binHz + 0.5);
        int last = int(highHz / binHz + 0.5) - 1;
        first = std::clamp(first, 0, size - 1);
        last = std::clamp(std::max(last, first), 0, size - 1);
        columns[x] = *std::max_element(values + first, values + last + 1);
    }
    return columns;
}

void FrequencyDisplay::mouseEvent(QMouseEvent *event, Qt::MouseButtons buttons,
                                  void (FrequencyDisplay::*left)(std::int16_t),
                                  void (FrequencyDisplay::*right)(std::int16_t))
{
    const std::int16_t hz = freqAtX(event->position().toPoint().x());
    if (buttons & Qt::LeftButton)
        emit(this->*left)(hz);
    else if (buttons & Qt::RightButton)
        emit(this->*right)(hz);
}

void FrequencyDisplay::mousePressEvent(QMouseEvent *event)
{
    mouseEvent(event, event->button(), &FrequencyDisplay::OnLMouseDown,
               &FrequencyDisplay::OnRMouseDown);
}

void FrequencyDisplay::mouseMoveEvent(QMouseEvent *event)
{
    mouseEvent(event, event->buttons(), &FrequencyDisplay::OnLMouseMove,
               &FrequencyDisplay::OnRMouseMove);
}

void FrequencyDisplay::mouseReleaseEvent(QMouseEvent *event)
{
    mouseEvent(event, event->button(), &FrequencyDisplay::OnLMouseUp,
               &FrequencyDisplay::OnRMouseUp);
}
