#include "HostSettings.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace radiohost {

const char HostUsage[] =
    "Usage: tolmfsk-host [--model N] [--port DEVICE|HOST:PORT] [--speed BPS] [--mark HZ]\n"
    "                    [--shift HZ] [--poll-ms MS] [--once]\n"
    "       tolmfsk-host --help\n"
    "\n"
    "Reads the radio through Hamlib and publishes its frequency, mode, shift and power to the\n"
    "TOLM FSK terminal. Settings come from $XDG_CONFIG_HOME/tolmfsk/host.ini ([rig] model,\n"
    "port, speed, mark, shift, poll_ms); the options override them.\n"
    "\n"
    "  --model N      Hamlib radio model: 1 the dummy rig (default), 2 rigctld, 2014 TS-2000\n"
    "  --port P       serial device, or HOST:PORT for rigctld (default localhost:4532)\n"
    "  --speed BPS    serial speed (default: the radio's)\n"
    "  --mark HZ      mark tone published for radios whose tones cannot be read (2125)\n"
    "  --shift HZ     shift published for radios whose shift cannot be read (170)\n"
    "  --poll-ms MS   how often the radio is read, 50..10000 (250)\n"
    "  --once         read the radio once, print the frequency text and the status text,\n"
    "                 and exit (non-zero when the radio cannot be read)\n";

namespace {

// An integer within [low, high], or an error naming where it came from.
bool takeNumber(const QString &text, int low, int high, const QString &name, int &into,
                std::string &error)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < low || value > high) {
        error = QStringLiteral("%1 must be a whole number from %2 to %3, not \"%4\"")
                    .arg(name)
                    .arg(low)
                    .arg(high)
                    .arg(text)
                    .toStdString();
        return false;
    }
    into = value;
    return true;
}

} // namespace

std::optional<HostSettings> readHostSettings(const QStringList &arguments, std::string &error,
                                             bool &help)
{
    help = false;
    HostSettings s;
    const QString path =
        QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
            .filePath(QStringLiteral("tolmfsk/host.ini"));
    QSettings ini(path, QSettings::IniFormat);
    struct Field {
        const char *key, *option;
        int low, high;
        int *into;
    };
    const Field numbers[] = {
        {"rig/model", "--model", 1, 999999, &s.rig.model},
        {"rig/speed", "--speed", 0, 1000000, &s.rig.serialSpeed},
        {"rig/mark", "--mark", 100, 4000, &s.markHz},
        {"rig/shift", "--shift", 10, 2000, &s.shiftHz},
        {"rig/poll_ms", "--poll-ms", MinPollMs, MaxPollMs, &s.pollMs},
    };
    for (const Field &f : numbers) {
        if (ini.contains(f.key) &&
            !takeNumber(ini.value(f.key).toString(), f.low, f.high,
                        QStringLiteral("%1 in %2").arg(f.key, path), *f.into, error))
            return std::nullopt;
    }
    s.rig.port = ini.value("rig/port").toString().toStdString();

    for (int i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (a == QLatin1String("--help")) {
            help = true;
            return std::nullopt;
        }
        if (a == QLatin1String("--once")) {
            s.once = true;
            continue;
        }
        const Field *field = nullptr;
        for (const Field &f : numbers)
            if (a == QLatin1String(f.option))
                field = &f;
        if (!field && a != QLatin1String("--port")) {
            error = "unknown option " + a.toStdString();
            return std::nullopt;
        }
        if (i + 1 >= arguments.size()) {
            error = a.toStdString() + " needs a value";
            return std::nullopt;
        }
        const QString value = arguments[++i];
        if (!field)
            s.rig.port = value.toStdString();
        else if (!takeNumber(value, field->low, field->high, a, *field->into, error))
            return std::nullopt;
    }
    return s;
}

} // namespace radiohost
