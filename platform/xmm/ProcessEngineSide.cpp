#include "ProcessEngineSide.h"

#include "EngineCommandLine.h"

#include <QCoreApplication>

namespace xmm {

ProcessEngineSide::ProcessEngineSide(QObject *parent) : EngineSide(parent)
{
    helloTimer_.setSingleShot(true);
    helloTimer_.setInterval(HelloTimeoutMs);
    connect(&helloTimer_, &QTimer::timeout, this, [this] {
        terminate();
        emit engineDisconnected(2);
    });
    connect(&process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            failStart();
    });
    connect(&process_, &QProcess::finished, this, [this] {
        if (helloTimer_.isActive()) {
            helloTimer_.stop();
            emit engineDisconnected(2);
        }
    });
}

ProcessEngineSide::~ProcessEngineSide()
{
    process_.disconnect(this);
    terminate();
}

void ProcessEngineSide::start(const QString &commandLine)
{
    if (isRunning())
        stop();
    version_.clear();
    const auto invocation = resolveEngineCommandLine(
        commandLine, QCoreApplication::applicationDirPath(),
        qEnvironmentVariable("PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts));
    if (!invocation) {
        // Reported through the event loop, as a failed launch would be.
        QMetaObject::invokeMethod(this, &ProcessEngineSide::failStart, Qt::QueuedConnection);
        return;
    }
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(invocation->program, invocation->arguments);
    helloTimer_.start();
}

void ProcessEngineSide::failStart()
{
    helloTimer_.stop();
    emit engineDisconnected(2);
}

void ProcessEngineSide::stop()
{
    helloTimer_.stop();
    if (!terminate())
        emit engineDisconnected(0);
}

bool ProcessEngineSide::terminate()
{
    if (process_.state() == QProcess::NotRunning)
        return true;
    process_.closeWriteChannel();
    if (!process_.waitForFinished(StopGraceMs)) {
        process_.kill();
        if (!process_.waitForFinished(StopGraceMs))
            return false;
    }
    return true;
}

bool ProcessEngineSide::isRunning() const
{
    return process_.state() != QProcess::NotRunning;
}

void ProcessEngineSide::postCommand(std::int32_t, std::int32_t) {}
void ProcessEngineSide::setSwitch(std::int32_t) {}
void ProcessEngineSide::setOption(std::int16_t) {}
void ProcessEngineSide::sendText(const QString &) {}
void ProcessEngineSide::setPtt(bool on)
{
    ptt_ = on;
}

} // namespace xmm
