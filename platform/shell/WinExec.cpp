#include "WinExec.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QStandardPaths>
#include <QUuid>
#include <unistd.h>

namespace shell {

namespace {

QString resolveProgram(const QString &token)
{
    const QString name = token.compare(QLatin1String("DDeServerAp"), Qt::CaseInsensitive) == 0
                             ? QStringLiteral("tolmfsk-host")
                             : token;
    if (name.contains(QLatin1Char('/')))
        return QFileInfo(name).isExecutable() ? name : QString();
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(name);
    if (QFileInfo(beside).isFile() && QFileInfo(beside).isExecutable())
        return beside;
    return QStandardPaths::findExecutable(name);
}

} // namespace

unsigned WinExec(const QString &commandLine, unsigned, qint64 *startedPid)
{
    QStringList words = QProcess::splitCommand(commandLine);
    if (words.isEmpty())
        return 2;
    const QString program = resolveProgram(words.takeFirst());
    if (program.isEmpty())
        return 2;

    QLocalServer ready;
    const QString readyName = QDir::temp().filePath(
        QStringLiteral("tolmfsk-ready-%1").arg(QUuid::createUuid().toString(QUuid::Id128)));
    ready.setSocketOptions(QLocalServer::UserAccessOption);
    const bool listening = ready.listen(readyName);

    QProcess process;
    process.setProgram(program);
    process.setArguments(words);
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
