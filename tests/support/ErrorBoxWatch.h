// Watches for message boxes while a test runs: each one that shows is noted and closed, so
// that a test can say none appeared (a conversion error in a handler shows one).
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

class ErrorBoxWatch {
public:
    ErrorBoxWatch()
    {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                shown << box->text();
                box->button(QMessageBox::Ok)->click();
            }
        });
        timer_.start();
    }

    QStringList shown; // the texts of the boxes that appeared

private:
    QTimer timer_;
};
