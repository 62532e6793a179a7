// tolmfsk-host: reads the radio through Hamlib and publishes its frequency, mode, shift and
// power to the terminal over DDE (tolmfsk-host --help for its options). It publishes only what
// the radio said: nothing before its first reading, NORADIO when the radio stops answering.
#include "HostSettings.h"
#include "ItemServer.h"
#include "QuitOnSignals.h"
#include "RadioTexts.h"
#include "RigReader.h"
#include "WinExec.h"

#include <QCoreApplication>
#include <cstdio>
#include <unistd.h>

using namespace radiohost;

namespace {

// How long the end waits for a Hamlib call under way before leaving it behind.
constexpr int StopWaitMs = 100;

// --once: one reading, printed; a radio that cannot be read prints nothing on standard output.
int readOnce(const HostSettings &settings)
{
    std::string error;
    auto rig = radio::HamlibRig::open(settings.rig, error);
    if (rig && settings.rig.model == radio::DummyModel)
        tuneDummyRig(*rig);
    const auto reading = rig ? readRadio(*rig, settings, error) : std::nullopt;
    if (!reading) {
        std::fprintf(stderr, "tolmfsk-host: cannot read the radio: %s\n", error.c_str());
        return 1;
    }
    std::fputs(frequencyText(*reading).c_str(), stdout);
    std::fputs(statusText(*reading).c_str(), stdout);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("tolmfsk-host"));
    std::string error;
    bool help = false;
    const auto settings = readHostSettings(application.arguments().mid(1), error, help);
    if (help) {
        std::fputs(HostUsage, stdout);
        return 0;
    }
    if (!settings) {
        std::fprintf(stderr, "tolmfsk-host: %s\n\n%s", error.c_str(), HostUsage);
        return 2;
    }
    if (settings->once)
        return readOnce(*settings);

    shell::quitOnSignals(application); // ends through the event loop: the service unregistered
    int code = 0;
    {
        ItemServer server;
        QString serverError;
        if (!server.start(serverError)) {
            std::fprintf(stderr, "tolmfsk-host: %s\n", qPrintable(serverError));
            return 1;
        }
        qRegisterMetaType<radiohost::RadioReading>("radiohost::RadioReading");
        RigReader reader(*settings);
        bool published = false;
        QObject::connect(&reader, &RigReader::reading, &application,
                         [&](const RadioReading &reading) {
                             server.publish(frequencyText(reading), statusText(reading));
                             published = true;
                         });
        QObject::connect(&reader, &RigReader::problem, &application, [&](const QString &what) {
            std::fprintf(stderr, "tolmfsk-host: %s\n", qPrintable(what));
            if (published) // the last frequency stays; no number the radio did not give
                server.publish({}, noRadioStatusText());
        });
        QObject::connect(&reader, &RigReader::recovered, &application,
                         [] { std::fprintf(stderr, "tolmfsk-host: the radio answers again\n"); });
        reader.start();
        shell::announceReady(); // for the terminal's launcher: the service is there
        code = application.exec();
        reader.stop();
        if (!reader.wait(StopWaitMs)) {
            // A slow radio is still answering a Hamlib call: leave it to the system.
            server.stop();
            std::fflush(nullptr);
            ::_exit(code);
        }
    }
    return code;
}
