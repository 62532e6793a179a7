// Answers the next modal message box with OK as soon as it shows, noting its text.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <QTimer>

inline void answerNextBoxWithOk(QString *shownText)
{
    QTimer::singleShot(0, [shownText] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            *shownText = box->text();
            box->button(QMessageBox::Ok)->click();
        }
    });
}
