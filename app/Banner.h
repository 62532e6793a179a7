// The banner picture of the "TS2000 Settings" page, drawn at the size it is shown.
#pragma once

#include <QPixmap>

QPixmap drawBanner(const QSize &size);
