// The canned texts of the macro buttons. The own call sign is fixed in the program.
#pragma once

#include <QString>

namespace macros {

inline const QString OwnCall = QStringLiteral("ZZ9ZZZ");

// " <station> DE ZZ9ZZZ": the station text as it stands, not trimmed.
inline QString deText(const QString &station)
{
    return QLatin1Char(' ') + station + QStringLiteral(" DE ") + OwnCall;
}

inline QString knText(const QString &station)
{
    return deText(station) + QStringLiteral(" KN");
}

inline const QString AnsText = QStringLiteral(" ANS ");

} // namespace macros
