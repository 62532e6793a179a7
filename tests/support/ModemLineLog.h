// The log the modem-line shim (ModemLineShim.cpp) keeps: one call a line, with its time.
#pragma once

#include <QFile>
#include <string>
#include <vector>

struct ModemLineCall {
    long long atNs; // CLOCK_MONOTONIC
    std::string op; // BIS, BIC, SET, GET; TCSETS2
    int bits;       // the TIOCM_ bits the call names; for TCSETS2 the c_cflag asked
    int linesAfter; // DTR 1 + RTS 2, as the lines stand after it; for TCSETS2 the rate asked
};

constexpr int DtrAfter = 1, RtsAfter = 2;

inline std::vector<ModemLineCall> readModemLineLog(const QString &path)
{
    std::vector<ModemLineCall> calls;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return calls;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QList<QByteArray> f = line.split(' ');
        if (f.size() == 4)
            calls.push_back({f[0].toLongLong(), f[1].toStdString(), f[2].toInt(), f[3].toInt()});
    }
    return calls;
}
