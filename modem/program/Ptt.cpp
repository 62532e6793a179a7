#include "Ptt.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <hamlib/rig.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace engineio {

Ptt::Ptt(const PttSettings &settings) : settings_(settings) {}

Ptt::~Ptt()
{
    if (fd_ >= 0 || rig_)
        set(false);
    if (fd_ >= 0)
        ::close(fd_);
    if (rig_) {
        rig_close(rig_);
        rig_cleanup(rig_);
    }
}

bool Ptt::openSerial()
{
    if (fd_ >= 0)
        return true;
    fd_ = ::open(settings_.port.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd_ < 0) {
        error_ = settings_.port + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool Ptt::openRig()
{
    if (rig_)
        return true;
    rig_set_debug(RIG_DEBUG_NONE);
    rig_ = rig_init(rig_model_t(settings_.hamlibModel));
    if (!rig_) {
        error_ = "Hamlib knows no radio model " + std::to_string(settings_.hamlibModel);
        return false;
    }
    if (!settings_.port.empty())
        std::strncpy(rig_->state.rigport.pathname, settings_.port.c_str(), HAMLIB_FILPATHLEN - 1);
    if (settings_.serialSpeed > 0)
        rig_->state.rigport.parm.serial.rate = settings_.serialSpeed;
    const int status = rig_open(rig_);
    if (status != RIG_OK) {
        error_ = std::string("Hamlib: ") + rigerror(status);
        rig_cleanup(rig_);
        rig_ = nullptr;
        return false;
    }
    return true;
}

bool Ptt::set(bool transmit)
{
    switch (settings_.method) {
    case PttMethod::None:
        return true;
    case PttMethod::Rts:
    case PttMethod::Dtr: {
        if (!openSerial())
            return false;
        int line = settings_.method == PttMethod::Rts ? TIOCM_RTS : TIOCM_DTR;
        if (::ioctl(fd_, transmit ? TIOCMBIS : TIOCMBIC, &line) < 0) {
            error_ = settings_.port + ": " + std::strerror(errno);
            return false;
        }
        return true;
    }
    case PttMethod::Cat: {
        if (!openRig())
            return false;
        const int status = rig_set_ptt(rig_, RIG_VFO_CURR, transmit ? RIG_PTT_ON : RIG_PTT_OFF);
        if (status != RIG_OK) {
            error_ = std::string("Hamlib: ") + rigerror(status);
            return false;
        }
        return true;
    }
    }
    return false;
}

PttMethod pttMethodFromName(const std::string &name)
{
    if (name == "rts")
        return PttMethod::Rts;
    if (name == "dtr")
        return PttMethod::Dtr;
    if (name == "cat")
        return PttMethod::Cat;
    return PttMethod::None;
}

std::string pttMethodName(PttMethod method)
{
    switch (method) {
    case PttMethod::Rts:
        return "rts";
    case PttMethod::Dtr:
        return "dtr";
    case PttMethod::Cat:
        return "cat";
    case PttMethod::None:
        break;
    }
    return "none";
}

} // namespace engineio
