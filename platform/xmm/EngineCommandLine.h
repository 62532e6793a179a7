// Turns the command line written to TXMMR's InvokeCommand into a program and its arguments.
// The program token "MMTTY.EXE" (any case) names our engine, tolmfsk-engine; a program is looked
// for beside the terminal's executable first, then on PATH.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace xmm {

struct EngineInvocation {
    QString program; // absolute path of an existing executable
    QStringList arguments;
};

inline constexpr char EngineProgramName[] = "tolmfsk-engine";

// The file name the program token stands for: "tolmfsk-engine" for "MMTTY.EXE", else the token.
QString engineProgramFileName(const QString &token);

// Resolves commandLine; nothing when it is empty or its program cannot be found.
// besideDir is the folder of the terminal's executable; searchPath the PATH folders, in order.
std::optional<EngineInvocation> resolveEngineCommandLine(const QString &commandLine,
                                                         const QString &besideDir,
                                                         const QStringList &searchPath);

} // namespace xmm
