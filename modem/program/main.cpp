// tolmfsk-engine: the RTTY engine. Run by the terminal ("-m"), it speaks the engine link on its
// standard input and output; without "-m" it also opens its settings window at start. The
// --decode and --encode tools work on WAV files and exit.
#include "AudioIo.h"
#include "EngineLink.h"
#include "EngineRunner.h"
#include "EngineSettings.h"
#include "OfflineTools.h"
#include "SettingsWindow.h"

#include <QApplication>
#include <csignal>
#include <cstdio>
#include <unistd.h>

using namespace engineio;

namespace {

constexpr char Version[] = "tolmfsk-engine 1.0";

// Opens the sound the settings ask for; says in `state` what is in use.
void openIo(const EngineSettings &s, std::unique_ptr<AudioInput> &input,
            std::unique_ptr<AudioOutput> &output, QString &state)
{
    std::string error;
    input.reset();
    output.reset();
    switch (s.source) {
    case Source::WavFile:
        input = openWavInput(s.wavInput.toStdString(), true, error);
        if (input)
            state = QStringLiteral("WAV file %1").arg(s.wavInput);
        break;
    case Source::SoundCard:
    case Source::Automatic:
        input = openPulseInput(s.inputDevice.toStdString(), error);
        if (input) {
            output = s.wavOutput.isEmpty() ? openPulseOutput(s.outputDevice.toStdString(), error)
                                           : nullptr;
            state = QStringLiteral("sound card");
        }
        break;
    case Source::Demo:
        break;
    }
    if (!input) {
        input = openDemoInput();
        state = s.source == Source::Demo
                    ? QStringLiteral("demo source")
                    : QStringLiteral("demo source: %1")
                          .arg(QString::fromStdString(error.empty() ? std::string("no sound device")
                                                                    : error));
        if (s.wavOutput.isEmpty())
            output = openDemoLoopback(*input);
    }
    if (!s.wavOutput.isEmpty()) {
        output = openWavOutput(s.wavOutput.toStdString(), error);
        state += QStringLiteral(", transmitting into %1").arg(s.wavOutput);
    }
    if (!output)
        output = openNullOutput();
}

} // namespace

int main(int argc, char *argv[])
{
    // Read before Qt sees them: Qt takes some options (such as --reverse) for itself.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (arguments.contains(QLatin1String("--decode")))
        return decodeCommand(arguments);
    if (arguments.contains(QLatin1String("--encode")))
        return encodeCommand(arguments);
    if (arguments.contains(QLatin1String("--version"))) {
        std::printf("%s\n", Version);
        return 0;
    }
    // Without a display the settings window cannot show, but the engine must still run.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("tolmfsk-engine"));
    const bool forTerminal = arguments.contains(QLatin1String("-m"));
    std::signal(SIGPIPE, SIG_IGN); // a vanished terminal shows as a failed write

    EngineSettings settings = EngineSettings::load();
    std::unique_ptr<AudioInput> input;
    std::unique_ptr<AudioOutput> output;
    QString state;
    openIo(settings, input, output, state);

    // The link runs on a pipe; on a terminal screen the engine runs for its window alone.
    const bool linked = !::isatty(STDOUT_FILENO);
    std::unique_ptr<EngineLink> link;
    struct NoLink : EngineRunner::Listener {
        void character(char) override {}
        void spectrum(const std::vector<std::int16_t> &, int, std::int32_t) override {}
        void xy(const std::vector<std::int32_t> &) override {}
        void status(const std::vector<std::int32_t> &) override {}
        void transmitting(bool) override {}
        void pttFailed(const QString &why) override { qWarning("PTT: %s", qPrintable(why)); }
    } noLink;
    struct Forward : EngineRunner::Listener {
        EngineRunner::Listener *to = nullptr;
        void character(char c) override { to->character(c); }
        void spectrum(const std::vector<std::int16_t> &v, int r, std::int32_t o) override
        {
            to->spectrum(v, r, o);
        }
        void xy(const std::vector<std::int32_t> &b) override { to->xy(b); }
        void status(const std::vector<std::int32_t> &r) override { to->status(r); }
        void transmitting(bool on) override { to->transmitting(on); }
        void pttFailed(const QString &why) override { to->pttFailed(why); }
    } forward;
    forward.to = &noLink;
    EngineRunner runner(forward);
    runner.setIo(std::move(input), std::move(output), settings.ptt);

    SettingsWindow window;
    window.onSaved = [&](const EngineSettings &saved) {
        settings = saved;
        std::unique_ptr<AudioInput> newInput;
        std::unique_ptr<AudioOutput> newOutput;
        openIo(settings, newInput, newOutput, state);
        runner.setIo(std::move(newInput), std::move(newOutput), settings.ptt);
    };
    auto showSettings = [&] {
        window.show(settings,
                    QStringLiteral("%1, using the %2.").arg(QLatin1String(Version), state));
    };

    if (linked) {
        link = std::make_unique<EngineLink>(STDIN_FILENO, STDOUT_FILENO, runner);
        forward.to = link.get();
        link->onSetupRequested = showSettings;
        link->onFinished = [&](int code, const QString &why) {
            if (code != 0)
                std::fprintf(stderr, "tolmfsk-engine: %s\n", qPrintable(why));
            runner.stop();
            application.exit(code);
        };
        link->greet(QStringLiteral("%1 (%2)").arg(QLatin1String(Version), state),
                    int(SampleRateHz));
    } else {
        application.setQuitOnLastWindowClosed(true);
    }
    if (!forTerminal || !linked)
        showSettings();
    runner.start();
    const int code = application.exec();
    runner.stop();
    return code;
}
