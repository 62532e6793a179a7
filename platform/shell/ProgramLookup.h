// Finding the program a command line names. The original's names of the station's programs
// stand for ours: "MMTTY.EXE" for tolmfsk-engine and "DDeServerAp" for tolmfsk-host (any case).
// A program is looked for beside the running program first, then on PATH.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace shell {

inline constexpr char EngineProgramName[] = "tolmfsk-engine";
inline constexpr char HostProgramName[] = "tolmfsk-host";

struct Invocation {
    QString program; // absolute path of an existing executable
    QStringList arguments;
};

// The file name a command line's first word stands for: ours for the original's, else the word.
QString programFileName(const QString &token);

// Resolves commandLine; nothing when it is empty or its program cannot be found. besideDir is
// the folder looked in first; searchPath the PATH folders, in order.
std::optional<Invocation> resolveCommandLine(const QString &commandLine, const QString &besideDir,
                                             const QStringList &searchPath);
// The same, beside the running program and on this process's PATH.
std::optional<Invocation> resolveCommandLine(const QString &commandLine);

} // namespace shell
