#include "SoundServer.h"

#include <QFile>
#include <QStandardPaths>
#include <QTest>
#include <csignal>
#include <unistd.h>

SoundServer::SoundServer(Kind kind) : kind_(kind)
{
    QFile config(runtime_.filePath("client.conf"));
    if (config.open(QIODevice::WriteOnly))
        config.write("autospawn = no\n");
    QFile(runtime_.path())
        .setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    server_.setProcessEnvironment(environment());
    server_.setProcessChannelMode(QProcess::MergedChannels);
    server_.setStandardOutputFile(runtime_.filePath("server.log"), QIODevice::Append);
    // A session of its own, so that kill() reaches every process the server started.
    server_.setChildProcessModifier([] { ::setsid(); });
}

SoundServer::~SoundServer()
{
    stopRecording();
    kill();
}

bool SoundServer::installed(Kind kind)
{
    const QStringList needed =
        kind == Kind::PulseAudio ? QStringList{"pulseaudio", "pactl", "parecord"}
                                 : QStringList{"pipewire",         "wireplumber", "pipewire-pulse",
                                               "dbus-run-session", "pactl",       "parecord"};
    for (const QString &program : needed)
        if (QStandardPaths::findExecutable(program).isEmpty())
            return false;
    return true;
}

QProcessEnvironment SoundServer::environment() const
{
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert("XDG_RUNTIME_DIR", runtime_.path());
    e.insert("HOME", runtime_.path());
    e.insert("PULSE_CLIENTCONFIG", runtime_.filePath("client.conf"));
    e.remove("PULSE_SERVER");
    e.remove("DBUS_SESSION_BUS_ADDRESS");
    return e;
}

bool SoundServer::pactl(const QStringList &arguments, QString *out) const
{
    QProcess p;
    p.setProcessEnvironment(environment());
    p.start("pactl", arguments);
    if (!p.waitForFinished(5000) || p.exitCode() != 0)
        return false;
    if (out)
        *out = QString::fromLocal8Bit(p.readAllStandardOutput());
    return true;
}

bool SoundServer::start(QString &error)
{
    if (kind_ == Kind::PulseAudio) {
        server_.start("pulseaudio",
                      {"-n", "--daemonize=no", "--exit-idle-time=-1", "--system=false",
                       "--disallow-exit", "--log-target=stderr", "-L",
                       "module-native-protocol-unix", "-L", "module-null-sink sink_name=radio"});
    } else {
        auto e = environment();
        e.insert("PIPEWIRE_DEBUG", "2,mod.protocol-pulse:4");
        server_.setProcessEnvironment(e);
        // The session manager gives up at once when PipeWire's socket is not there yet (as a
        // loaded machine shows), so it starts once the socket is.
        server_.start("dbus-run-session",
                      {"--", "sh", "-c",
                       "pipewire & until [ -S \"$XDG_RUNTIME_DIR/pipewire-0\" ]; do sleep 0.05; "
                       "done; wireplumber & pipewire-pulse & wait"});
    }
    if (!server_.waitForStarted(5000)) {
        error = QStringLiteral("%1 does not start").arg(name());
        return false;
    }
    if (!QTest::qWaitFor([&] { return pactl({"info"}); }, 10000)) {
        error = QStringLiteral("%1 does not answer pactl").arg(name());
        return false;
    }
    if (kind_ == Kind::PipeWire) {
        if (!pactl({"load-module", "module-null-sink", "sink_name=radio"})) {
            error = QStringLiteral("%1 makes no null sink").arg(name());
            return false;
        }
        // Without real-time scheduling (as in a container) the graph's own deadline at its
        // default quantum (21 ms) is sometimes missed, which leaves gaps that no client made;
        // a longer quantum keeps the graph from doing so.
        QProcess metadata;
        metadata.setProcessEnvironment(environment());
        metadata.start("pw-metadata", {"-n", "settings", "0", "clock.force-quantum", "2048"});
        metadata.waitForFinished(5000);
    }
    QString sources;
    if (!QTest::qWaitFor(
            [&] {
                return pactl({"list", "short", "sources"}, &sources) &&
                       sources.contains("radio.monitor");
            },
            10000)) {
        error = QStringLiteral("%1 shows no radio.monitor").arg(name());
        return false;
    }
    // PipeWire answers pactl before its session manager links streams to devices; until it
    // does, a client's stream waits. Up only once a recording of the monitor gets sound.
    // (PulseAudio links them itself.)
    if (kind_ == Kind::PulseAudio)
        return true;
    QProcess probe;
    probe.setProcessEnvironment(environment());
    probe.start("parecord", {"-d", "radio.monitor", "--raw", "--format=s16le", "--rate=11025",
                             "--channels=1", "--latency-msec=50"});
    const bool flows = probe.waitForStarted(5000) &&
                       QTest::qWaitFor([&] { return probe.bytesAvailable() > 0; }, 15000);
    probe.kill();
    probe.waitForFinished(5000);
    if (!flows) {
        error = QStringLiteral("%1 links no stream to radio.monitor").arg(name());
        return false;
    }
    return true;
}

void SoundServer::kill()
{
    if (server_.state() == QProcess::NotRunning)
        return;
    ::kill(-pid_t(server_.processId()), SIGKILL);
    server_.waitForFinished(5000);
}

bool SoundServer::startRecording(const QString &path)
{
    recorder_.setProcessEnvironment(environment());
    recorder_.start("parecord", {"-d", "radio.monitor", "--rate=11025", "--channels=1",
                                 "--format=float32le", "--file-format=wav", path});
    return recorder_.waitForStarted(5000);
}

void SoundServer::stopRecording()
{
    if (recorder_.state() == QProcess::NotRunning)
        return;
    ::kill(pid_t(recorder_.processId()), SIGINT); // parecord finishes the file's header
    if (!recorder_.waitForFinished(5000)) {
        recorder_.kill();
        recorder_.waitForFinished();
    }
}

QString SoundServer::log() const
{
    QFile file(runtime_.filePath("server.log"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
}

QString SoundServer::shortfalls() const
{
    QStringList found;
    for (const QString &line : log().split('\n')) {
        // PipeWire's pulse server notes a stream it finds empty before anything was ever
        // written to it ("read:0"), the moment it is made: no sound was missed then.
        const bool beforeFirstSound = line.contains(" underrun read:0 ");
        if ((line.contains("underrun", Qt::CaseInsensitive) ||
             line.contains("xrun", Qt::CaseInsensitive)) &&
            !beforeFirstSound)
            found << line;
    }
    return found.join('\n');
}
