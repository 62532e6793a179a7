// A private sound server for the tests, in a runtime folder of its own, with one null sink,
// "radio", whose monitor "radio.monitor" hears whatever is played to the sink: PulseAudio
// itself, or PipeWire with its PulseAudio server under a D-Bus session of its own. Clients
// reach it through environment(); autospawn is off, so a killed server stays dead until
// start() runs again.
#pragma once

#include <QProcess>
#include <QTemporaryDir>

class SoundServer {
public:
    enum class Kind { PulseAudio, PipeWire };

    explicit SoundServer(Kind kind);
    ~SoundServer();

    // True when the server's programs are installed.
    static bool installed(Kind kind);
    // Starts the server and makes the sink; false (with error) when it does not come up.
    bool start(QString &error);
    // Ends every process of the server at once, as a crash would.
    void kill();
    QProcessEnvironment environment() const;
    const char *name() const { return kind_ == Kind::PulseAudio ? "PulseAudio" : "PipeWire"; }

    // Records the sink's monitor, mono float at 11025 Hz, into a WAV file until stopRecording.
    bool startRecording(const QString &path);
    void stopRecording();
    // The server's own log (PipeWire's pulse server notes client underruns there).
    QString log() const;
    // Its lines that tell of a stream or the graph running short while playing: underruns
    // and xruns.
    QString shortfalls() const;

    // pactl with these arguments on this server; true when it succeeds.
    bool pactl(const QStringList &arguments, QString *out = nullptr) const;

private:
    Kind kind_;
    QTemporaryDir runtime_;
    QProcess server_, recorder_;
};
