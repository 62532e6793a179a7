#include "InfoBoxes.h"

#include <QMessageBox>

namespace infoboxes {

namespace {
const QString Break = QStringLiteral("\n\r");
const QString Contact = QStringLiteral("        Contact: the project's issue tracker");
} // namespace

QString aboutText()
{
    return QStringLiteral("        TOLM FSK for Linux developers") + Break +
           QStringLiteral("     TOLM FSK 1.0, RTTY for the Kenwood TS-2000") + Break + Break +
           Contact + Break + Break +
           QStringLiteral("   RTTY engine: tolmfsk-engine, by the TOLM FSK developers") + Break +
           QStringLiteral("                                              ");
}

QString helpText()
{
    return QStringLiteral("  The Help file is part of the main TOLM II Help File.   \n\r"
                          "                     TOLM FSK for TS-2000\n\r\n\r \n\r\n\r"
                          "           Access Help from TOLM main screen.     ");
}

QString optionsText()
{
    return QStringLiteral("  Options not yet available.  ") + Break +
           QStringLiteral("         TOLM FSK for TS-2000") + Break + Break + Contact + Break +
           Break + QStringLiteral("                                    ");
}

QString shownText(const QString &text)
{
    // Qt would draw the carriage return as a second break: each stored break is one line.
    return QString(text).replace(Break, QStringLiteral("\n"));
}

void showInfoBox(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, title, shownText(text), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace infoboxes
