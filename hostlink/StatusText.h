// Reading the host's texts: the numbers as the decoding reads them (the user's decimal
// separator, conversion errors with their standard messages) and the status text's fields.
#pragma once

#include <QChar>
#include <QString>
#include <QStringList>
#include <stdexcept>

// A text that could not be converted to a number; what() is the message the error box shows.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

namespace hostlink {

// True when every character is 0..9; true for the empty text.
bool IsAllDigits(const QString &text);

// The fields of a status text: runs of 0-9, A-Z, a-z each followed by at least one other
// character; an unterminated run at the end is lost.
QStringList statusFields(const QString &text);

// A decimal number: optional blanks, sign, digits, the decimal separator and digits, an
// exponent, optional blanks, nothing else. Throws ConversionError
// "'<text>' is not a valid floating point value".
double toFloat(const QString &text, QChar decimalPoint);
// A whole number: optional sign and digits only. Throws ConversionError
// "'<text>' is not a valid integer value".
int toInteger(const QString &text);

// value rounded to `decimals` decimals (and to at most 10 significant digits) in fixed-point
// form with exactly that many decimals and the given separator.
QString fixed(double value, int decimals, QChar decimalPoint);

// Whether a power field shows the "Too Much Power" warning: a field of digits whose number is
// above 50 or 0. A field holding anything else shows none; an empty one is a conversion error.
bool powerWarning(const QString &field);

} // namespace hostlink
