#include "TXMMSpec.h"

#include "DataBlocks.h"

#include <QPainter>
#include <algorithm>

namespace {
constexpr int SpanCentiDb = 6000; // the trace shows 60 dB below the top edge
constexpr int GridHz = 500;
} // namespace

TXMMSpec::TXMMSpec(QWidget *parent) : FrequencyDisplay(parent) {}

void TXMMSpec::DrawFFT(const std::int16_t *pFFT, std::int16_t size, std::int16_t sampfreq)
{
    noteCall("DrawFFT", QStringLiteral("%1, %2").arg(size).arg(sampfreq));
    columns_ = columnsFromBlock(pFFT, size, sampfreq);
    if (!columns_.isEmpty()) {
        // The top edge rises at once to a new peak and falls back slowly, so the trace keeps
        // its height between characters instead of jumping with every block.
        const int peak = *std::max_element(columns_.cbegin(), columns_.cend()) + 300;
        topCentiDb_ = peak > topCentiDb_ ? peak : topCentiDb_ - (topCentiDb_ - peak) / 20;
    }
    update();
}

void TXMMSpec::DrawNMMR(const std::int32_t *pNMMR)
{
    noteCall("DrawNMMR");
    if (pNMMR == nullptr)
        return;
    markHz_ = std::int16_t(enginelink::statusField(pNMMR, enginelink::StatusMarkHz, markHz_));
    spaceHz_ = std::int16_t(enginelink::statusField(pNMMR, enginelink::StatusSpaceHz, spaceHz_));
    notch1Hz_ = std::int16_t(enginelink::statusField(pNMMR, enginelink::StatusNotch1Hz, notch1Hz_));
    notch2Hz_ = std::int16_t(enginelink::statusField(pNMMR, enginelink::StatusNotch2Hz, notch2Hz_));
    update();
}

void TXMMSpec::Clear()
{
    noteCall("Clear");
    columns_.clear();
    update();
}

void TXMMSpec::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(8, 16, 24));
    const int h = height();

    painter.setPen(QColor(40, 60, 70));
    for (int hz = (baseHz_ / GridHz + 1) * GridHz; hz < baseHz_ + widthHz_; hz += GridHz)
        painter.drawLine(xForFreq(hz), 0, xForFreq(hz), h);

    if (!columns_.isEmpty()) {
        QPolygon trace;
        trace.reserve(columns_.size() + 2);
        trace << QPoint(0, h);
        for (int x = 0; x < columns_.size(); ++x) {
            const int below = std::clamp(topCentiDb_ - columns_[x], 0, SpanCentiDb);
            trace << QPoint(x, below * (h - 1) / SpanCentiDb);
        }
        trace << QPoint(columns_.size() - 1, h);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(30, 110, 60));
        painter.drawPolygon(trace);
        painter.setPen(QColor(120, 255, 140));
        painter.drawPolyline(trace.constData() + 1, trace.size() - 2);
    }

    auto marker = [&](int hz, const QColor &color, Qt::PenStyle style) {
        if (hz <= 0 || hz < baseHz_ || hz > baseHz_ + widthHz_)
            return;
        painter.setPen(QPen(color, 1, style));
        painter.drawLine(xForFreq(hz), 0, xForFreq(hz), h);
    };
    marker(markHz_, QColor(255, 220, 60), Qt::SolidLine);
    marker(spaceHz_, QColor(255, 220, 60), Qt::DashLine);
    marker(notch1Hz_, QColor(255, 70, 70), Qt::DotLine);
    marker(notch2Hz_, QColor(255, 70, 70), Qt::DotLine);
}
