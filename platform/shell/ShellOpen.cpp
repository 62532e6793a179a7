#include "ShellOpen.h"

#include <QProcess>
#include <QStandardPaths>

namespace shell {

namespace {

struct Candidate {
    const char *program;
    QStringList arguments;
    const char *needs = nullptr; // a second program the candidate runs
};

const QList<Candidate> &volumeControls()
{
    static const QList<Candidate> candidates = {
        {"pavucontrol", {}},
        {"pavucontrol-qt", {}},
        {"pwvucontrol", {}},
        {"gnome-control-center", {QStringLiteral("sound")}},
        {"mate-volume-control", {}},
        {"kmix", {}},
        {"x-terminal-emulator", {QStringLiteral("-e"), QStringLiteral("alsamixer")}, "alsamixer"},
    };
    return candidates;
}

} // namespace

std::optional<DesktopProgram> resolveShellFile(const QString &file, const QStringList &searchPath)
{
    if (file.compare(QLatin1String("sndvol32.exe"), Qt::CaseInsensitive) == 0) {
        for (const Candidate &candidate : volumeControls()) {
            const QString path =
                QStandardPaths::findExecutable(QLatin1String(candidate.program), searchPath);
            if (path.isEmpty())
                continue;
            if (candidate.needs &&
                QStandardPaths::findExecutable(QLatin1String(candidate.needs), searchPath)
                    .isEmpty())
                continue;
            return DesktopProgram{path, candidate.arguments};
        }
        return std::nullopt;
    }
    const QString path = QStandardPaths::findExecutable(file, searchPath);
    if (path.isEmpty())
        return std::nullopt;
    return DesktopProgram{path, {}};
}

bool shellOpen(const QString &file, const QString &workingDir)
{
    const auto program = resolveShellFile(
        file, qEnvironmentVariable("PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts));
    if (!program)
        return false;
    return QProcess::startDetached(program->program, program->arguments, workingDir);
}

} // namespace shell
