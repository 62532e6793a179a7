#include "UpperCase.h"

QValidator::State UpperCaseValidator::validate(QString &input, int &) const
{
    for (QChar &c : input)
        c = c.toUpper();
    return Acceptable;
}
