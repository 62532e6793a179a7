// tolmfsk-engine: the RTTY engine. Run by the terminal ("-m"), it speaks the engine link on its
// standard input and output; without "-m" it also opens its settings window at start. The
// --decode and --encode tools work on WAV files, --send sends a text on the air; all exit.
#include "EngineProgram.h"
#include "OfflineTools.h"
#include "QuitOnSignals.h"

#include <QApplication>
#include <csignal>
#include <cstdio>
#include <unistd.h>

using namespace engineio;

namespace {

constexpr char Usage[] =
    "Usage: tolmfsk-engine [-m]\n"
    "       tolmfsk-engine --decode FILE.wav [TONE OPTIONS] [--atc] [--no-afc] [--no-uos]\n"
    "                      [--squelch LEVEL]\n"
    "       tolmfsk-engine --encode TEXT --out FILE.wav [TONE OPTIONS]\n"
    "       tolmfsk-engine --send TEXT [TONE OPTIONS]\n"
    "       tolmfsk-engine --version | --help\n"
    "\n"
    "The RTTY engine of TOLM FSK. The terminal runs it with -m and talks to it on its standard\n"
    "input and output; run by hand it opens its settings window (sound, PTT), kept in\n"
    "$XDG_CONFIG_HOME/tolmfsk/engine.ini.\n"
    "\n"
    "  -m                 run as the terminal's engine, without a window of its own\n"
    "  --decode FILE.wav  print the text of a recording and exit\n"
    "  --encode TEXT      write TEXT as an RTTY signal into the file named by --out\n"
    "  --send TEXT        send TEXT once with the saved transmit and PTT settings (AFSK to the\n"
    "                     sound output, or FSK on the port) and exit when it is out\n"
    "TONE OPTIONS: --mark HZ (2125), --shift HZ (170), --baud BAUD (45.45), --reverse\n";

} // namespace

int main(int argc, char *argv[])
{
    // Read before Qt sees them: Qt takes some options (such as --reverse) for itself.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (arguments.contains(QLatin1String("--help"))) {
        std::fputs(Usage, stdout);
        return 0;
    }
    if (arguments.contains(QLatin1String("--version"))) {
        std::printf("tolmfsk-%s\n", EngineProgram::Version);
        return 0;
    }
    if (arguments.contains(QLatin1String("--decode")))
        return decodeCommand(arguments);
    if (arguments.contains(QLatin1String("--encode")))
        return encodeCommand(arguments);
    if (arguments.contains(QLatin1String("--send")))
        return sendCommand(arguments);
    for (const QString &argument : arguments) {
        if (argument != QLatin1String("-m")) {
            std::fprintf(stderr, "tolmfsk-engine: unknown option %s\n\n%s", qPrintable(argument),
                         Usage);
            return 2;
        }
    }

    // Without a display the settings window cannot show, but the engine must still run.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("tolmfsk-engine"));
    std::signal(SIGPIPE, SIG_IGN); // a vanished terminal shows as a failed write
    shell::quitOnSignals(application);

    // The link runs on a pipe; on a terminal screen the engine runs for its window alone.
    const bool linked = !::isatty(STDOUT_FILENO);
    const bool forTerminal = arguments.contains(QLatin1String("-m"));
    // Run by a terminal, the engine lives until the terminal says quit, not until its
    // settings window closes.
    application.setQuitOnLastWindowClosed(!linked);
    int code;
    {
        EngineProgram program(linked);
        program.start(!forTerminal || !linked);
        code = application.exec();
    } // the signal path stopped, PTT released, the sound closed
    return code;
}
