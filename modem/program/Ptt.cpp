#include "Ptt.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace engineio {

Ptt::Ptt(const PttSettings &settings) : settings_(settings)
{
    open();
}

Ptt::~Ptt()
{
    if (keyed_)
        set(false);
    if (fd_ >= 0)
        ::close(fd_);
}

bool Ptt::ready() const
{
    switch (settings_.method) {
    case PttMethod::None:
        return true;
    case PttMethod::Rts:
    case PttMethod::Dtr:
        return fd_ >= 0;
    case PttMethod::Cat:
        return rig_ != nullptr;
    }
    return false;
}

bool Ptt::open()
{
    if (ready())
        return true;
    if (settings_.method == PttMethod::Cat) {
        rig_ = radio::HamlibRig::open(
            {settings_.hamlibModel, settings_.port, settings_.serialSpeed}, error_);
        return rig_ != nullptr;
    }
    return openSerial();
}

bool Ptt::openSerial()
{
    if (settings_.port.empty()) {
        error_ = "no serial port is set for PTT";
        return false;
    }
    const int fd = ::open(settings_.port.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error_ = settings_.port + ": " + std::strerror(errno);
        return false;
    }
    // Both lines low now: the kernel raised them on open.
    int both = TIOCM_RTS | TIOCM_DTR;
    if (::ioctl(fd, TIOCMBIC, &both) < 0) {
        error_ = settings_.port + ": no RTS and DTR lines (" + std::strerror(errno) + ")";
        ::close(fd);
        return false;
    }
    // Should the engine end without releasing, closing the port drops the lines.
    termios attributes{};
    if (::tcgetattr(fd, &attributes) == 0) {
        attributes.c_cflag |= HUPCL;
        ::tcsetattr(fd, TCSANOW, &attributes);
    }
    fd_ = fd;
    return true;
}

bool Ptt::set(bool transmit)
{
    if (settings_.method == PttMethod::None)
        return true;
    if (!open())
        return false;
    bool done = false;
    if (settings_.method == PttMethod::Cat) {
        done = rig_->setPtt(transmit, error_);
    } else {
        int line = settings_.method == PttMethod::Rts ? TIOCM_RTS : TIOCM_DTR;
        done = ::ioctl(fd_, transmit ? TIOCMBIS : TIOCMBIC, &line) == 0;
        if (!done)
            error_ = settings_.port + ": " + std::strerror(errno);
    }
    if (done)
        keyed_ = transmit;
    return done;
}

} // namespace engineio
