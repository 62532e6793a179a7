// The desktop's counterpart of the platform's program launcher: runs a command line, detached,
// and returns once the started program says it is ready to serve, or after ReadyBoundMs. A
// program that said so lives no longer than the one that started it.
// The program is found as ProgramLookup.h says ("DDeServerAp" names the host program). Results as
// the platform gives them: 32 or more means started, 2 that the program was not found, 0 that it
// could not be started.
#pragma once

#include <QString>

namespace shell {

constexpr int ReadyBoundMs = 4000;

// The environment variable through which a started program learns where to say it is ready:
// it connects to that local socket once it serves (ProgramReady below).
inline constexpr char ReadySocketVariable[] = "TOLMFSK_READY_SOCKET";

// startedPid, when given, receives the started program's process id.
unsigned WinExec(const QString &commandLine, unsigned showCommand, qint64 *startedPid = nullptr);

// For a program started this way: tells the launcher that it is ready, and ends the program
// (QCoreApplication::quit) when the program that started it ends, by Exit or killed; does
// nothing for a program started otherwise (by the operator), which runs on.
void announceReady();

} // namespace shell
