#include "AppStyle.h"

#include <QApplication>
#include <QFont>
#include <QStyleFactory>

void applyStationLook(QApplication &application)
{
    application.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    // fontconfig knows Courier New's metric twin but not the old bitmap sans of the design.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    QFont::insertSubstitutions(QStringLiteral("Courier New"),
                               {QStringLiteral("Liberation Mono"), QStringLiteral("Courier")});
}
