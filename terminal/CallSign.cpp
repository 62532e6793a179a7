#include "terminal/CallSign.h"

#include <QStringList>

namespace {

bool isLetter(QChar c)
{
    return c >= 'A' && c <= 'Z';
}

bool isDigit(QChar c)
{
    return c >= '0' && c <= '9';
}

// The call itself: prefix, area digit, suffix.
bool isBaseCall(const QString &s)
{
    // The area digit is the last digit; only letters follow it.
    int digit = int(s.size()) - 1;
    while (digit >= 0 && isLetter(s[digit]))
        --digit;
    const int suffix = int(s.size()) - 1 - digit;
    if (digit < 1 || digit > 3 || !isDigit(s[digit]) || suffix < 1 || suffix > 4)
        return false;
    bool letterInPrefix = false;
    for (int i = 0; i < digit; ++i) {
        if (!isLetter(s[i]) && !isDigit(s[i]))
            return false;
        letterInPrefix = letterInPrefix || isLetter(s[i]);
    }
    return letterInPrefix;
}

bool isOtherPrefix(const QString &s)
{
    if (s.isEmpty() || s.size() > 4)
        return false;
    bool letter = false;
    for (QChar c : s) {
        if (!isLetter(c) && !isDigit(c))
            return false;
        letter = letter || isLetter(c);
    }
    return letter;
}

bool isPortableSuffix(const QString &s)
{
    return s == "P" || s == "M" || s == "MM" || s == "QRP" || (s.size() == 1 && isDigit(s[0]));
}

} // namespace

bool looksLikeCallSign(const QString &word)
{
    const QStringList parts = word.split('/');
    switch (parts.size()) {
    case 1:
        return isBaseCall(parts[0]);
    case 2: // DL/W1AW or W1AW/P
        return (isOtherPrefix(parts[0]) && isBaseCall(parts[1])) ||
               (isBaseCall(parts[0]) && isPortableSuffix(parts[1]));
    case 3: // DL/W1AW/P
        return isOtherPrefix(parts[0]) && isBaseCall(parts[1]) && isPortableSuffix(parts[2]);
    default:
        return false;
    }
}

QString wordAround(const QString &line, int index)
{
    const auto inWord = [](QChar c) { return isLetter(c) || isDigit(c) || c == '/'; };
    if (index < 0 || index >= line.size() || !inWord(line[index]))
        return {};
    int from = index, to = index + 1;
    while (from > 0 && inWord(line[from - 1]))
        --from;
    while (to < line.size() && inWord(line[to]))
        ++to;
    // A slash at either end is punctuation, not part of a call.
    while (from < to && line[from] == '/')
        ++from;
    while (to > from && line[to - 1] == '/')
        --to;
    return line.mid(from, to - from);
}
