#include "StatusText.h"

#include <charconv>
#include <cmath>

namespace hostlink {

namespace {
bool isFieldChar(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z');
}

[[noreturn]] void notFloat(const QString &text)
{
    throw ConversionError(
        QStringLiteral("'%1' is not a valid floating point value").arg(text).toStdString());
}
} // namespace

bool IsAllDigits(const QString &text)
{
    for (QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

QStringList statusFields(const QString &text)
{
    QStringList fields;
    bool inside = false;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isFieldChar(text[i])) {
            if (!inside)
                start = i;
            inside = true;
        } else if (inside) {
            fields << text.mid(start, i - start);
            inside = false;
        }
    }
    return fields;
}

double toFloat(const QString &text, QChar decimalPoint)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto digits = [&] {
        const qsizetype from = i;
        while (i < n && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'))
            ++i;
        return i - from;
    };
    while (i < n && text[i] == QLatin1Char(' '))
        ++i;
    QString normal;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        normal += text[i++];
    qsizetype from = i;
    qsizetype whole = digits();
    normal += text.mid(from, whole);
    qsizetype fraction = 0;
    if (i < n && text[i] == decimalPoint) {
        ++i;
        from = i;
        fraction = digits();
        normal += QLatin1Char('.') + text.mid(from, fraction);
    }
    if (whole + fraction == 0)
        notFloat(text);
    if (i < n && (text[i] == QLatin1Char('E') || text[i] == QLatin1Char('e'))) {
        ++i;
        normal += QLatin1Char('e');
        if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
            normal += text[i++];
        from = i;
        if (digits() == 0)
            notFloat(text);
        normal += text.mid(from, i - from);
    }
    while (i < n && text[i] == QLatin1Char(' '))
        ++i;
    if (i != n)
        notFloat(text);
    // from_chars reads the same in every locale (strtod would take the C library's).
    const QByteArray bytes = normal.toLatin1();
    const char *begin = bytes.constData() + (bytes.startsWith('+') ? 1 : 0);
    double value = 0;
    const auto [end, fault] = std::from_chars(begin, bytes.constData() + bytes.size(), value);
    if (fault != std::errc() || end != bytes.constData() + bytes.size() || !std::isfinite(value))
        notFloat(text);
    return value;
}

int toInteger(const QString &text)
{
    bool ok = !text.isEmpty();
    qsizetype i = 0;
    if (ok && (text[0] == QLatin1Char('+') || text[0] == QLatin1Char('-')))
        i = 1;
    ok = ok && i < text.size();
    for (; ok && i < text.size(); ++i)
        ok = text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9');
    long long value = 0;
    if (ok) {
        value = text.toLongLong(&ok);
        ok = ok && value >= INT32_MIN && value <= INT32_MAX;
    }
    if (!ok)
        throw ConversionError(
            QStringLiteral("'%1' is not a valid integer value").arg(text).toStdString());
    return int(value);
}

QString fixed(double value, int decimals, QChar decimalPoint)
{
    // At most 10 significant digits, then the decimals (whatever the locale).
    char buffer[64];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 9).ptr;
    double significant = value;
    std::from_chars(buffer, end, significant);
    QString text = QString::number(significant, 'f', decimals);
    if (text.startsWith(QLatin1Char('-')) && text.toDouble() == 0)
        text.remove(0, 1);
    text.replace(QLatin1Char('.'), decimalPoint);
    return text;
}

bool powerWarning(const QString &field)
{
    if (!IsAllDigits(field))
        return false;
    const int watts = toInteger(field);
    return watts > 50 || watts == 0;
}

} // namespace hostlink
