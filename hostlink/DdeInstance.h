// The program's DDE instance: started with the program's own service name (which accepts a
// conversation on the window's caption and refuses everything asked on it), it carries every
// client conversation's notifications to its TDdeClientConv. A conversation that finds no host
// starts one through the launcher.
#pragma once

#include "Ddeml.h"

#include <QString>

namespace hostlink {

// The instance's id; 0 before startDdeInstance and after endDdeInstance.
DWORD ddeInstance();
// Starts the instance and registers the program's own service name; the DDE error code.
UINT startDdeInstance(const QString &ownService, const QString &windowCaption);
void endDdeInstance();
// The message of the start-up error box for a DDE error code.
QString ddeStartErrorMessage(UINT code);

// How a conversation starts a missing host ("DDeServerAp"): shell::WinExec unless replaced
// (nullptr puts it back).
using Launcher = unsigned (*)(const QString &commandLine, unsigned showCommand);
void setLauncher(Launcher launcher);
// Starts commandLine through the launcher; 32 or more means started.
unsigned launchHost(const QString &commandLine, unsigned showCommand);

} // namespace hostlink
