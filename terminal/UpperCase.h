// Capitals: the operator's a to z as A to Z, and a one-line field that holds capitals whatever
// is typed or pasted into it.
#pragma once

#include <QValidator>

inline void upperCaseAsciiLetter(char &key)
{
    if (key >= 'a' && key <= 'z')
        key = char(key - 'a' + 'A');
}

// Upper-cases every letter of the field's text as it is entered (each character keeps its place).
class UpperCaseValidator : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};
