// The folder of the service sockets: $XDG_RUNTIME_DIR/tolmfsk-dde (or /tmp/tolmfsk-dde-<uid>),
// ours alone, and the socket of each service name in it.
#include "DdeState.h"

#include <sys/stat.h>
#include <unistd.h>

namespace ddeml {

bool prepareDirectory()
{
    const QByteArray base = qgetenv("XDG_RUNTIME_DIR");
    const std::string dir = base.isEmpty() ? "/tmp/tolmfsk-dde-" + std::to_string(getuid())
                                           : base.toStdString() + "/tolmfsk-dde";
    ::mkdir(dir.c_str(), 0700);
    // Not through a link, not someone else's, and nobody else's to read or write.
    struct stat info {};
    if (::lstat(dir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid())
        return false;
    if ((info.st_mode & 0777) != 0700 && ::chmod(dir.c_str(), 0700) != 0)
        return false;
    registry().setDirectory(dir);
    return true;
}

std::optional<QString> socketPath(const std::string &service)
{
    // A name is one file in the folder: not empty, no separator, not "." or "..".
    if (service.empty() || service == "." || service == ".." ||
        service.find('/') != std::string::npos || service.find('\0') != std::string::npos)
        return std::nullopt;
    const std::string dir = registry().directory();
    if (dir.empty())
        return std::nullopt;
    return QString::fromStdString(dir + "/" + lower(service));
}

std::string socketDirectory()
{
    return registry().directory();
}

} // namespace ddeml
