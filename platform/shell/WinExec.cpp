#include "WinExec.h"

#include "ProgramLookup.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QUuid>
#include <fcntl.h>
#include <unistd.h>

namespace shell {

unsigned WinExec(const QString &commandLine, unsigned, qint64 *startedPid)
{
    const auto invocation = resolveCommandLine(commandLine);
    if (!invocation)
        return 2;

    QLocalServer ready;
    const QString readyName = QDir::temp().filePath(
        QStringLiteral("tolmfsk-ready-%1").arg(QUuid::createUuid().toString(QUuid::Id128)));
    ready.setSocketOptions(QLocalServer::UserAccessOption);
    const bool listening = ready.listen(readyName);

    QProcess process;
    process.setProgram(invocation->program);
    process.setArguments(invocation->arguments);
    auto environment = QProcessEnvironment::systemEnvironment();
    if (listening)
        environment.insert(QLatin1String(ReadySocketVariable), ready.fullServerName());
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    if (!process.startDetached(startedPid))
        return 0;
    if (listening && ready.waitForNewConnection(ReadyBoundMs)) {
        // The started program's lifeline: held open (and not handed to the programs this one
        // starts) until this program ends, however it ends; the system then closes it.
        if (QLocalSocket *lifeline = ready.nextPendingConnection()) {
            (void)::fcntl(int(lifeline->socketDescriptor()), F_DUPFD_CLOEXEC, 3);
            delete lifeline;
        }
    }
    return 33;
}

void announceReady()
{
    const QString name = qEnvironmentVariable(ReadySocketVariable);
    if (name.isEmpty())
        return;
    qunsetenv(ReadySocketVariable);
    auto *lifeline = new QLocalSocket(QCoreApplication::instance());
    lifeline->connectToServer(name);
    if (!lifeline->waitForConnected(1000)) {
        delete lifeline;
        return;
    }
    // The program that started this one has ended: so does this one, through its event loop.
    QObject::connect(lifeline, &QLocalSocket::disconnected, QCoreApplication::instance(),
                     &QCoreApplication::quit);
}

} // namespace shell
