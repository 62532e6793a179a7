// Unix-domain sockets at the system-call level, for tests that play a partner by hand or leave
// behind what a killed program leaves.
#pragma once

#include <QByteArray>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

inline sockaddr_un unixAddress(const QByteArray &path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.constData(), sizeof address.sun_path - 1);
    return address;
}

// A stream socket bound to path, or -1.
inline int boundUnixSocket(const QByteArray &path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const sockaddr_un address = unixAddress(path);
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0)
        return fd;
    ::close(fd);
    return -1;
}

// A socket file that nobody listens on, as a program that was killed leaves it.
inline bool leaveStaleSocket(const QByteArray &path)
{
    const int fd = boundUnixSocket(path);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

// 0 when a stream connection to path succeeds, else errno.
inline int connectUnixSocket(const QByteArray &path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const sockaddr_un address = unixAddress(path);
    const int result = ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address);
    const int error = result == 0 ? 0 : errno;
    ::close(fd);
    return error;
}
