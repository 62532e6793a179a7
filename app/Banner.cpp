#include "Banner.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

QPixmap drawBanner(const QSize &size)
{
    QPixmap picture(size);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area(QPointF(0, 0), QSizeF(size));

    QLinearGradient sky(area.topLeft(), area.bottomLeft());
    sky.setColorAt(0, QColor(16, 42, 84));
    sky.setColorAt(1, QColor(4, 14, 32));
    painter.fillRect(area, sky);

    // An FSK trace across the banner: mark and space bursts of a short RTTY character.
    QPainterPath trace;
    const double mid = area.height() * 0.72;
    const int bits[] = {1, 1, 0, 1, 0, 0, 1, 1, 1, 0, 1, 1};
    const double bitWidth = area.width() / 12.0;
    for (int x = 0; x <= int(area.width()); ++x) {
        const int bit = bits[std::min(11, int(x / bitWidth))];
        const double cycles = bit ? 0.55 : 0.35;
        const double y = mid + std::sin(x * cycles) * area.height() * 0.12;
        x == 0 ? trace.moveTo(x, y) : trace.lineTo(x, y);
    }
    painter.setPen(QPen(QColor(90, 220, 140, 170), 1.4));
    painter.drawPath(trace);

    QFont title(QStringLiteral("Liberation Sans"));
    title.setPixelSize(int(area.height() * 0.42));
    title.setBold(true);
    painter.setFont(title);
    painter.setPen(QColor(255, 214, 90));
    painter.drawText(area.adjusted(8, 2, -6, -area.height() * 0.42),
                     Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("TOLM FSK"));

    QFont line(QStringLiteral("Liberation Sans"));
    line.setPixelSize(int(area.height() * 0.2));
    painter.setFont(line);
    painter.setPen(QColor(200, 220, 255));
    painter.drawText(area.adjusted(8, 2, -8, -area.height() * 0.42),
                     Qt::AlignRight | Qt::AlignBottom, QStringLiteral("RTTY · TS-2000"));
    painter.end();
    return picture;
}
