// Readable GoogleTest messages for Qt's strings.
#pragma once

#include <QString>
#include <QStringList>
#include <ostream>

inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList &list, std::ostream *out)
{
    *out << "{ ";
    for (const QString &entry : list)
        *out << '"' << entry.toStdString() << "\" ";
    *out << '}';
}
