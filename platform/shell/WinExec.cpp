#include "WinExec.h"

#include "ProgramLookup.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QUuid>
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
    if (listening)
        ready.waitForNewConnection(ReadyBoundMs);
    return 33;
}

void announceReady()
{
    const QString name = qEnvironmentVariable(ReadySocketVariable);
    if (name.isEmpty())
        return;
    QLocalSocket socket;
    socket.connectToServer(name);
    if (socket.waitForConnected(1000))
        socket.disconnectFromServer();
    qunsetenv(ReadySocketVariable);
}

} // namespace shell
