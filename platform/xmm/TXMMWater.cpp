#include "TXMMWater.h"

#include <QPainter>
#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr int SpanCentiDb = 4500; // colours cover 45 dB above the noise floor
constexpr QRgb Background = 0xff000814;

// Black-blue at the floor, through blue, cyan and yellow to white at the top.
const std::array<QRgb, 256> &waterColours()
{
    static const std::array<QRgb, 256> colours = [] {
        struct Stop {
            int at;
            int r, g, b;
        };
        const Stop stops[] = {{0, 0, 8, 20},      {70, 0, 40, 140},   {130, 0, 170, 220},
                              {180, 230, 230, 0}, {225, 255, 120, 0}, {255, 255, 255, 255}};
        std::array<QRgb, 256> table{};
        for (int i = 0; i < 256; ++i) {
            int s = 0;
            while (stops[s + 1].at < i)
                ++s;
            const Stop &a = stops[s];
            const Stop &b = stops[s + 1];
            const int t = b.at == a.at ? 0 : (i - a.at) * 256 / (b.at - a.at);
            table[i] = qRgb(a.r + (b.r - a.r) * t / 256, a.g + (b.g - a.g) * t / 256,
                            a.b + (b.b - a.b) * t / 256);
        }
        return table;
    }();
    return colours;
}

} // namespace

TXMMWater::TXMMWater(QWidget *parent) : FrequencyDisplay(parent) {}

void TXMMWater::DrawFFT(const std::int16_t *pFFT, std::int16_t size, std::int16_t sampfreq)
{
    noteCall("DrawFFT", QStringLiteral("%1, %2").arg(size).arg(sampfreq));
    if (picture_.isNull())
        return;
    const QVector<std::int16_t> columns = columnsFromBlock(pFFT, size, sampfreq);
    if (columns.isEmpty())
        return;

    // The noise floor: the lower quartile of the line, smoothed over about twenty blocks.
    QVector<std::int16_t> sorted = columns;
    std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 4, sorted.end());
    const int quartile = sorted[sorted.size() / 4];
    floorCentiDb_ = levelKnown_ ? floorCentiDb_ + (quartile - floorCentiDb_) / 20 : quartile;
    levelKnown_ = true;

    const int lineBytes = int(picture_.bytesPerLine());
    std::memmove(picture_.scanLine(1), picture_.constScanLine(0),
                 size_t(lineBytes) * size_t(picture_.height() - 1));
    auto *line = reinterpret_cast<QRgb *>(picture_.scanLine(0));
    const auto &colours = waterColours();
    const int floor = floorCentiDb_ - 300; // the floor itself shows dark, not black
    for (int x = 0; x < columns.size() && x < picture_.width(); ++x) {
        const int index = std::clamp((columns[x] - floor) * 255 / SpanCentiDb, 0, 255);
        line[x] = colours[size_t(index)];
    }
    update();
}

void TXMMWater::Clear()
{
    noteCall("Clear");
    picture_.fill(Background);
    levelKnown_ = false;
    update();
}

void TXMMWater::rangeChanged()
{
    // Lines drawn for another range would no longer line up with the axis.
    if (!picture_.isNull())
        picture_.fill(Background);
}

void TXMMWater::resizeEvent(QResizeEvent *)
{
    picture_ = QImage(size(), QImage::Format_RGB32);
    picture_.fill(Background);
}

void TXMMWater::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(0, 0, picture_);
}
