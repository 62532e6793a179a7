// SIGTERM, SIGINT and SIGHUP end the program through its event loop (QCoreApplication::quit),
// so that it cleans up as on any other way out: a transmitter released, a service unregistered.
#pragma once

class QCoreApplication;

namespace shell {

// False when the signals cannot be caught (the program then ends on them as usual).
bool quitOnSignals(QCoreApplication &application);

} // namespace shell
