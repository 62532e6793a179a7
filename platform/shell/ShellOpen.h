// The desktop's counterpart of asking the shell to open a program of the system: a known
// program name resolves to what the Linux desktop offers for the same job, started detached.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace shell {

struct DesktopProgram {
    QString program; // absolute path
    QStringList arguments;
};

// What "file" stands for on this desktop, searched in searchPath; nothing when none is installed.
// "sndvol32.exe" (any case) is the volume control: the first installed of pavucontrol,
// pavucontrol-qt, pwvucontrol, gnome-control-center (sound), mate-volume-control, kmix, and
// alsamixer in a terminal window.
std::optional<DesktopProgram> resolveShellFile(const QString &file, const QStringList &searchPath);

// Starts what file stands for, detached, in workingDir; false when nothing could be started.
bool shellOpen(const QString &file, const QString &workingDir);

} // namespace shell
