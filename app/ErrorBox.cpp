#include "ErrorBox.h"

#include <QMessageBox>

void showApplicationError(QWidget *parent, const QString &message)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("TOLM FSK"), message, QMessageBox::Ok,
                    parent);
    box.exec();
}
