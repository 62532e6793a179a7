// One radio through Hamlib, opened for as long as the object lives: the model, its port (a
// serial device, or host:port for rigctld) and the serial speed in one place, the Hamlib calls
// the station makes, and the rig closed and freed on every path.
#pragma once

#include <hamlib/rig.h>
#include <memory>
#include <optional>
#include <string>

namespace radio {

// Hamlib's numbers for the radios the station names.
constexpr int DummyModel = RIG_MODEL_DUMMY;       // 1: Hamlib's simulated radio
constexpr int RigctldModel = RIG_MODEL_NETRIGCTL; // 2: rigctld, sharing a radio over TCP
constexpr int Ts2000Model = RIG_MODEL_TS2000;     // 2014: the Kenwood TS-2000
constexpr char RigctldDefaultPort[] = "localhost:4532";

struct RigSettings {
    int model = DummyModel;
    std::string port;    // empty: rigctld's default for model 2, Hamlib's own otherwise
    int serialSpeed = 0; // bits per second; 0: the model's default
};

class HamlibRig {
public:
    // The radio, opened; nothing, with error set, when Hamlib does not know the model or the
    // radio cannot be opened.
    static std::unique_ptr<HamlibRig> open(const RigSettings &settings, std::string &error);
    ~HamlibRig();
    HamlibRig(const HamlibRig &) = delete;
    HamlibRig &operator=(const HamlibRig &) = delete;

    // Each call: true when the radio answered; error says why when it did not.
    bool setPtt(bool transmit, std::string &error);
    std::optional<double> frequencyHz(std::string &error);
    // The mode (RIG_MODE_...) and, for the RF power level, its value 0..1 (a value outside it
    // is an answer the radio cannot have given, and an error).
    std::optional<rmode_t> mode(std::string &error);
    std::optional<float> rfPower(std::string &error);
    std::optional<bool> transmitting(std::string &error);
    // The RF power level turned into watts by Hamlib for this radio at this frequency and mode.
    std::optional<double> rfPowerWatts(float level, double frequencyHz, rmode_t mode,
                                       std::string &error);
    // A Kenwood radio's answer to a raw CAT command ("EX0...;"); nothing when the model is not
    // a Kenwood on a serial port or the radio does not answer.
    std::optional<std::string> kenwoodCommand(const std::string &command, std::string &error);

    // Whether the radio can be on this frequency at all (its receive ranges), in one mode.
    bool receives(double frequencyHz, rmode_t mode) const;

    int model() const { return model_; }
    // For calls this layer does not wrap.
    RIG *handle() const { return rig_; }

private:
    HamlibRig(RIG *rig, int model) : rig_(rig), model_(model) {}

    RIG *rig_;
    int model_;
};

// Hamlib's message for one of its status codes.
std::string hamlibError(int status);

} // namespace radio
