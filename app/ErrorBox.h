// The application's standard error box, and the error that a failed conversion in a handler
// throws. The box is modal, has one OK button, and keeps the other events flowing.
#pragma once

#include <QString>
#include <stdexcept>

class QWidget;

// A text that could not be converted to a number; what() is the message the box shows.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

void showApplicationError(QWidget *parent, const QString &message);
