// The application's standard error box, where an error thrown in a handler (a ConversionError
// of the status text's rules, for one) is shown. The box is modal, has one OK button, and keeps
// the other events flowing.
#pragma once

#include <QString>

class QWidget;

void showApplicationError(QWidget *parent, const QString &message);
