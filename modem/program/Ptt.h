// Keying the transmitter: none (VOX, or a radio keyed by its audio), the RTS or DTR line of a
// serial port, or CAT through Hamlib (a radio model on a port, or rigctld, model 2, at
// host:port so that the host program can share the radio). The port or the radio is opened
// when the object is made, so that a wrong setting shows before anyone transmits; a serial
// port's RTS and DTR are both brought low at once (Linux raises them when a port opens), so
// the line not used for PTT stays low.
#pragma once

#include "HamlibRig.h"

#include <memory>
#include <string>
#include <utility>

namespace engineio {

enum class PttMethod { None, Rts, Dtr, Cat };

struct PttSettings {
    PttMethod method = PttMethod::None;
    std::string port; // serial device, or host:port for rigctld
    int hamlibModel = radio::RigctldModel;
    int serialSpeed = 0; // 0: Hamlib's default for the model
    int leadMs = 50;     // PTT on this long before the first sound of a transmission
    int tailMs = 20;     // and off this long after its last sound has been played
};

class Ptt {
public:
    explicit Ptt(const PttSettings &settings);
    ~Ptt(); // releases and closes
    Ptt(const Ptt &) = delete;
    Ptt &operator=(const Ptt &) = delete;

    // True when the port or the radio is open (always for None); error() says why not.
    bool ready() const;
    // Keys or releases; false when the line or the radio did not answer (error() says why). A
    // port or radio that could not be opened is tried again first.
    bool set(bool transmit);
    const std::string &error() const { return error_; }
    PttMethod method() const { return settings_.method; }

private:
    bool open();
    bool openSerial();

    PttSettings settings_;
    int fd_ = -1;
    std::unique_ptr<radio::HamlibRig> rig_;
    bool keyed_ = false;
    std::string error_;
};

// As the settings name them (SettingNames.h reads the table both ways).
inline constexpr std::pair<PttMethod, const char *> PttMethodNames[] = {{PttMethod::None, "none"},
                                                                        {PttMethod::Rts, "rts"},
                                                                        {PttMethod::Dtr, "dtr"},
                                                                        {PttMethod::Cat, "cat"}};

} // namespace engineio
