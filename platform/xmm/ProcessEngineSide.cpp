#include "ProcessEngineSide.h"

#include "ProgramLookup.h"

#include <QCoreApplication>
#include <type_traits>

namespace xmm {

namespace {
// Requests made while the engine starts are held up to this many bytes (far beyond anything an
// operator sends in the seconds before the hello).
constexpr std::size_t MaxHeldBytes = 8 << 20;
} // namespace

ProcessEngineSide::ProcessEngineSide(QObject *parent)
    : EngineSide(parent), reader_(enginelink::MaxFrameBytes)
{
    helloTimer_.setSingleShot(true);
    helloTimer_.setInterval(HelloTimeoutMs);
    connect(&helloTimer_, &QTimer::timeout, this,
            [this] { fail(enginelink::DisconnectNotStarted); });
    connect(&process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            fail(enginelink::DisconnectNotStarted);
    });
    connect(&process_, &QProcess::readyReadStandardOutput, this, &ProcessEngineSide::readEngine);
    connect(&process_, &QProcess::finished, this, [this] {
        if (stopping_)
            return;
        fail(broken());
    });
}

ProcessEngineSide::~ProcessEngineSide()
{
    process_.disconnect(this);
    stopping_ = true;
    terminate();
}

void ProcessEngineSide::start(const QString &commandLine)
{
    if (isRunning())
        stop();
    ++generation_;
    version_.clear();
    connected_ = false;
    held_.clear();
    heldBytes_ = 0;
    reader_ = wire::FrameReader(enginelink::MaxFrameBytes);
    const auto invocation =
        besideDir_.isNull() ? shell::resolveCommandLine(commandLine)
                            : shell::resolveCommandLine(commandLine, besideDir_,
                                                        qEnvironmentVariable("PATH").split(
                                                            QLatin1Char(':'), Qt::SkipEmptyParts));
    if (!invocation) {
        // Reported through the event loop, as a failed launch would be.
        QMetaObject::invokeMethod(
            this, [this] { fail(enginelink::DisconnectNotStarted); }, Qt::QueuedConnection);
        return;
    }
    stopping_ = false;
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(invocation->program, invocation->arguments);
    helloTimer_.start();
}

void ProcessEngineSide::stop()
{
    helloTimer_.stop();
    stopping_ = true;
    ++generation_;
    connected_ = false;
    if (!terminate())
        emit engineDisconnected(enginelink::DisconnectNotStopped);
}

bool ProcessEngineSide::terminate()
{
    if (process_.state() == QProcess::NotRunning)
        return true;
    if (process_.state() == QProcess::Running) {
        const auto quit = enginelink::encode(enginelink::TerminalMessage{enginelink::QuitMsg{}});
        process_.write(reinterpret_cast<const char *>(quit.data()), qint64(quit.size()));
        process_.closeWriteChannel();
    }
    if (!process_.waitForFinished(StopGraceMs)) {
        process_.kill();
        if (!process_.waitForFinished(StopGraceMs))
            return false;
    }
    return true;
}

enginelink::Disconnection ProcessEngineSide::broken() const
{
    return connected_ ? enginelink::DisconnectEngineLost : enginelink::DisconnectNotStarted;
}

void ProcessEngineSide::fail(enginelink::Disconnection status)
{
    helloTimer_.stop();
    connected_ = false;
    ++generation_;
    stopping_ = true; // what ends now is no news
    terminate();
    emit engineDisconnected(status);
}

bool ProcessEngineSide::isRunning() const
{
    return process_.state() != QProcess::NotRunning;
}

void ProcessEngineSide::readEngine()
{
    const unsigned generation = generation_;
    const QByteArray bytes = process_.readAllStandardOutput();
    reader_.feed(std::span(reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                           std::size_t(bytes.size())));
    while (generation == generation_) {
        auto frame = reader_.next();
        if (!frame)
            break;
        auto message = enginelink::decodeEngineFrame(*frame);
        if (!message) {
            fail(broken());
            return;
        }
        if (!connected_) {
            const auto *hello = std::get_if<enginelink::Hello>(&*message);
            if (!hello || hello->version != enginelink::Version) {
                fail(enginelink::DisconnectNotStarted);
                return;
            }
            helloTimer_.stop();
            version_ = QString::fromLatin1(hello->versionText.data(),
                                           qsizetype(hello->versionText.size()));
            demSampleFreq_ = hello->demodSampleRate;
            connected_ = true;
            send(enginelink::encode(
                enginelink::TerminalMessage{enginelink::TerminalHelloMsg{enginelink::Version}}));
            send(enginelink::encode(enginelink::TerminalMessage{enginelink::SetPttMsg{ptt_}}));
            for (const auto &request : held_)
                send(request);
            held_.clear();
            heldBytes_ = 0;
            emit engineConnected();
            continue;
        }
        // Each pointer handed on is valid while its signal is being delivered.
        std::visit(
            [this](auto &m) {
                using M = std::decay_t<decltype(m)>;
                if constexpr (std::is_same_v<M, enginelink::Hello>) {
                    // A second hello changes nothing.
                } else if constexpr (std::is_same_v<M, enginelink::CharMsg>) {
                    emit charReceived(m.code);
                } else if constexpr (std::is_same_v<M, enginelink::PttMsg>) {
                    emit pttChanged(m.transmitting);
                } else if constexpr (std::is_same_v<M, enginelink::FftMsg>) {
                    overflow_ = m.overflow;
                    emit fftBlock(m.values.data(), std::int16_t(m.values.size()), m.sampleRate);
                } else if constexpr (std::is_same_v<M, enginelink::XyMsg>) {
                    emit xyBlock(m.block.data());
                } else if constexpr (std::is_same_v<M, enginelink::StatusMsg>) {
                    emit statusRecord(m.record.data());
                } else if constexpr (std::is_same_v<M, enginelink::NoticeMsg>) {
                    const QString text =
                        QString::fromLatin1(m.text.data(), qsizetype(m.text.size()));
                    if (m.fault == 0)
                        version_ = text;
                    emit engineNotice(std::int16_t(m.fault), text);
                }
            },
            *message);
    }
    if (generation == generation_ && reader_.failed())
        fail(broken());
}

void ProcessEngineSide::send(const std::vector<std::uint8_t> &frame)
{
    if (!connected_) {
        if (isRunning() && heldBytes_ + frame.size() <= MaxHeldBytes) {
            heldBytes_ += frame.size();
            held_.push_back(frame);
        }
        return;
    }
    process_.write(reinterpret_cast<const char *>(frame.data()), qint64(frame.size()));
}

void ProcessEngineSide::postCommand(std::int32_t command, std::int32_t value)
{
    send(enginelink::encode(
        enginelink::TerminalMessage{enginelink::PostCommandMsg{command, value}}));
}

void ProcessEngineSide::setSwitch(std::int32_t word)
{
    send(enginelink::encode(enginelink::TerminalMessage{enginelink::SetSwitchMsg{word}}));
}

void ProcessEngineSide::setOption(std::int16_t option)
{
    send(enginelink::encode(enginelink::TerminalMessage{enginelink::SetOptionMsg{option}}));
}

// A text longer than a message holds goes as several, in order; the engine's buffer joins them.
void ProcessEngineSide::sendText(const QString &text)
{
    const QByteArray latin1 = text.toLatin1();
    qsizetype at = 0;
    do {
        const qsizetype n = std::min<qsizetype>(latin1.size() - at, enginelink::MaxTextBytes);
        send(enginelink::encode(
            enginelink::TerminalMessage{enginelink::SendTextMsg{latin1.mid(at, n).toStdString()}}));
        at += n;
    } while (at < latin1.size());
}

void ProcessEngineSide::setPtt(bool on)
{
    ptt_ = on;
    if (connected_)
        send(enginelink::encode(enginelink::TerminalMessage{enginelink::SetPttMsg{on}}));
}

} // namespace xmm
