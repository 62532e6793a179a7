#include "EngineCommandLine.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace xmm {

QString engineProgramFileName(const QString &token)
{
    if (token.compare(QLatin1String("MMTTY.EXE"), Qt::CaseInsensitive) == 0)
        return QLatin1String(EngineProgramName);
    return token;
}

static bool isExecutableFile(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

std::optional<EngineInvocation> resolveEngineCommandLine(const QString &commandLine,
                                                         const QString &besideDir,
                                                         const QStringList &searchPath)
{
    QStringList words = QProcess::splitCommand(commandLine);
    if (words.isEmpty())
        return std::nullopt;
    const QString name = engineProgramFileName(words.takeFirst());

    QString program;
    if (name.contains(QLatin1Char('/'))) {
        if (isExecutableFile(name))
            program = QFileInfo(name).absoluteFilePath();
    } else {
        const QString beside = QDir(besideDir).filePath(name);
        if (!besideDir.isEmpty() && isExecutableFile(beside))
            program = beside;
        else if (!searchPath.isEmpty())
            program = QStandardPaths::findExecutable(name, searchPath);
    }
    if (program.isEmpty())
        return std::nullopt;
    return EngineInvocation{program, words};
}

} // namespace xmm
