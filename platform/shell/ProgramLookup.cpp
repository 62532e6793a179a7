#include "ProgramLookup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace shell {

namespace {

bool isExecutableFile(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

} // namespace

QString programFileName(const QString &token)
{
    if (token.compare(QLatin1String("MMTTY.EXE"), Qt::CaseInsensitive) == 0)
        return QLatin1String(EngineProgramName);
    if (token.compare(QLatin1String("DDeServerAp"), Qt::CaseInsensitive) == 0)
        return QLatin1String(HostProgramName);
    return token;
}

std::optional<Invocation> resolveCommandLine(const QString &commandLine, const QString &besideDir,
                                             const QStringList &searchPath)
{
    QStringList words = QProcess::splitCommand(commandLine);
    if (words.isEmpty())
        return std::nullopt;
    const QString name = programFileName(words.takeFirst());

    QString program;
    if (name.contains(QLatin1Char('/'))) {
        if (isExecutableFile(name))
            program = QFileInfo(name).absoluteFilePath();
    } else {
        const QString beside = QDir(besideDir).filePath(name);
        if (!besideDir.isEmpty() && isExecutableFile(beside))
            program = beside;
        else if (!searchPath.isEmpty()) // an empty list would mean the system's PATH
            program = QStandardPaths::findExecutable(name, searchPath);
    }
    if (program.isEmpty())
        return std::nullopt;
    return Invocation{program, words};
}

std::optional<Invocation> resolveCommandLine(const QString &commandLine)
{
    return resolveCommandLine(
        commandLine, QCoreApplication::applicationDirPath(),
        qEnvironmentVariable("PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts));
}

} // namespace shell
