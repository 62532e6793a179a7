// Telling a call sign in received text by its shape, not from a list: a prefix of one to three
// letters and digits with at least one letter (W, DL, 9A, 2E, E7, 3DA), the area digit, and a
// suffix of one to four letters (W1AW, ZZ9ZZZ, 9A1AA, 2E0ABC); before it an optional other
// prefix and a slash (DL/W1AW), after it an optional /P, /M, /MM, /QRP or /digit. Exchange
// words (599, 5NN, 0417, TU, CT) are not call signs. Letters must be capitals, as RTTY prints.
#pragma once

#include <QString>

bool looksLikeCallSign(const QString &word);

// The word of received text around index in line: the longest run of letters, digits and
// slashes that holds it (empty when the character there is none of them).
QString wordAround(const QString &line, int index);
