// Keying the transmitter: none (VOX, or a radio keyed by its audio), the RTS or DTR line of a
// serial port, or CAT through Hamlib (a radio model on a port, or rigctld, model 2, at
// host:port so that the host program can share the radio).
#pragma once

#include <memory>
#include <string>

struct s_rig;

namespace engineio {

enum class PttMethod { None, Rts, Dtr, Cat };

struct PttSettings {
    PttMethod method = PttMethod::None;
    std::string port;    // serial device, or host:port for rigctld
    int hamlibModel = 2; // 2: rigctld
    int serialSpeed = 0; // 0: Hamlib's default for the model
};

class Ptt {
public:
    explicit Ptt(const PttSettings &settings);
    ~Ptt();
    Ptt(const Ptt &) = delete;
    Ptt &operator=(const Ptt &) = delete;

    // Keys or releases; false when the line or the radio did not answer (error() says why).
    bool set(bool transmit);
    const std::string &error() const { return error_; }
    PttMethod method() const { return settings_.method; }

private:
    bool openSerial();
    bool openRig();

    PttSettings settings_;
    int fd_ = -1;
    s_rig *rig_ = nullptr;
    std::string error_;
};

PttMethod pttMethodFromName(const std::string &name);
std::string pttMethodName(PttMethod method);

} // namespace engineio
