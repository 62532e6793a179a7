// tolmfsk-host: reads the radio through Hamlib and publishes its frequency, mode, shift and
// power to the terminal over DDE. Its settings come from $XDG_CONFIG_HOME/tolmfsk/host.ini
// ([rig] model, port, speed, shift, poll_ms), overridden by the options:
//   tolmfsk-host [--model N] [--port DEVICE|HOST:PORT] [--speed N] [--shift HZ] [--poll-ms N]
// Model 1 is Hamlib's dummy rig (the default), 2 rigctld, 2014 the Kenwood TS-2000.
#include "ItemServer.h"
#include "RadioState.h"
#include "RigReader.h"
#include "WinExec.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

using namespace radiohost;

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    (void)!::write(signalPipe[1], &byte, 1);
}

bool readSettings(const QStringList &arguments, RigSettings &s)
{
    QSettings ini(QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
                      .filePath(QStringLiteral("tolmfsk/host.ini")),
                  QSettings::IniFormat);
    s.model = ini.value("rig/model", 1).toInt();
    s.port = ini.value("rig/port").toString().toStdString();
    s.speed = ini.value("rig/speed", 0).toInt();
    s.shiftHz = ini.value("rig/shift", 170).toInt();
    s.pollMs = ini.value("rig/poll_ms", 250).toInt();
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (i + 1 >= arguments.size()) {
            std::fprintf(stderr, "tolmfsk-host: %s needs a value\n", qPrintable(a));
            return false;
        }
        const QString value = arguments[++i];
        bool ok = true;
        if (a == QLatin1String("--model"))
            s.model = value.toInt(&ok);
        else if (a == QLatin1String("--port"))
            s.port = value.toStdString();
        else if (a == QLatin1String("--speed"))
            s.speed = value.toInt(&ok);
        else if (a == QLatin1String("--shift"))
            s.shiftHz = value.toInt(&ok);
        else if (a == QLatin1String("--poll-ms"))
            ok = (s.pollMs = value.toInt(&ok)) >= 20 && ok;
        else
            ok = false;
        if (!ok) {
            std::fprintf(stderr, "tolmfsk-host: bad option %s %s\n", qPrintable(a),
                         qPrintable(value));
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("tolmfsk-host"));
    RigSettings settings;
    if (!readSettings(application.arguments().mid(1), settings))
        return 2;

    // SIGTERM and SIGINT end the host through its event loop, so that it unregisters cleanly.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return 1;
    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);
    QSocketNotifier signalNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &application,
                     &QCoreApplication::quit);

    ItemServer server;
    QString error;
    if (!server.start(error)) {
        std::fprintf(stderr, "tolmfsk-host: %s\n", qPrintable(error));
        return 1;
    }
    RadioState initial;
    initial.shiftHz = settings.shiftHz;
    server.publish(frequencyText(initial), statusText(initial));

    qRegisterMetaType<radiohost::RadioState>("radiohost::RadioState");
    RigReader reader(settings);
    QObject::connect(&reader, &RigReader::reading, &application, [&](const RadioState &state) {
        server.publish(frequencyText(state), statusText(state));
    });
    QObject::connect(&reader, &RigReader::problem, &application, [](const QString &what) {
        std::fprintf(stderr, "tolmfsk-host: %s; serving the last values\n", qPrintable(what));
    });
    QObject::connect(&reader, &RigReader::recovered, &application,
                     [] { std::fprintf(stderr, "tolmfsk-host: the radio answers again\n"); });
    reader.start();
    shell::announceReady(); // for the terminal's launcher: the service is there
    const int code = application.exec();
    reader.requestInterruption();
    reader.wait();
    return code;
}
