#include "HamlibRig.h"

#include <cerrno>
#include <cstring>
#include <mutex>

namespace radio {

namespace {

// Hamlib prints its own diagnostics unless told not to; once per program is enough.
void quietHamlib()
{
    static std::once_flag once;
    std::call_once(once, [] { rig_set_debug(RIG_DEBUG_NONE); });
}

bool setConf(RIG *rig, const char *name, const std::string &value)
{
    const token_t token = rig_token_lookup(rig, name);
    return token != RIG_CONF_END && rig_set_conf(rig, token, value.c_str()) == RIG_OK;
}

} // namespace

std::string hamlibError(int status)
{
    // rigerror2 is Hamlib's message alone ("IO error"); rigerror adds its recent debug lines,
    // where the system's reason (a refused connection, a missing device) may stand.
    std::string message = rigerror2(status);
    if (const auto end = message.find('\n'); end != std::string::npos)
        message.erase(end);
    const std::string trace = rigerror(status);
    for (int reason : {ECONNREFUSED, ENOENT, EACCES, EBUSY, ETIMEDOUT, EHOSTUNREACH, ENODEV}) {
        const std::string text = std::strerror(reason);
        if (trace.find(text) != std::string::npos)
            return message + " (" + text + ")";
    }
    return message;
}

std::unique_ptr<HamlibRig> HamlibRig::open(const RigSettings &settings, std::string &error)
{
    quietHamlib();
    RIG *rig = rig_init(rig_model_t(settings.model));
    if (!rig) {
        error = "Hamlib knows no radio model " + std::to_string(settings.model);
        return nullptr;
    }
    std::string port = settings.port;
    if (port.empty() && settings.model == RigctldModel)
        port = RigctldDefaultPort;
    if ((!port.empty() && !setConf(rig, "rig_pathname", port)) ||
        (settings.serialSpeed > 0 &&
         !setConf(rig, "serial_speed", std::to_string(settings.serialSpeed)))) {
        error = "Hamlib does not take the port " + port;
        rig_cleanup(rig);
        return nullptr;
    }
    const int status = rig_open(rig);
    if (status != RIG_OK) {
        error = (port.empty() ? std::string("the radio") : port) + ": " + hamlibError(status);
        rig_cleanup(rig);
        return nullptr;
    }
    // Every read asks the radio: an answer from Hamlib's cache would repeat one that a noisy
    // line corrupted, and a repeated reading is taken for a confirmed one.
    rig_set_cache_timeout_ms(rig, HAMLIB_CACHE_ALL, 0);
    return std::unique_ptr<HamlibRig>(new HamlibRig(rig, settings.model));
}

HamlibRig::~HamlibRig()
{
    rig_close(rig_);
    rig_cleanup(rig_);
}

bool HamlibRig::setPtt(bool transmit, std::string &error)
{
    const int status = rig_set_ptt(rig_, RIG_VFO_CURR, transmit ? RIG_PTT_ON : RIG_PTT_OFF);
    if (status != RIG_OK)
        error = hamlibError(status);
    return status == RIG_OK;
}

std::optional<double> HamlibRig::frequencyHz(std::string &error)
{
    freq_t hz = 0;
    const int status = rig_get_freq(rig_, RIG_VFO_CURR, &hz);
    if (status != RIG_OK) {
        error = hamlibError(status);
        return std::nullopt;
    }
    return double(hz);
}

std::optional<rmode_t> HamlibRig::mode(std::string &error)
{
    rmode_t mode = RIG_MODE_NONE;
    pbwidth_t width = 0;
    const int status = rig_get_mode(rig_, RIG_VFO_CURR, &mode, &width);
    if (status != RIG_OK) {
        error = hamlibError(status);
        return std::nullopt;
    }
    return mode;
}

std::optional<float> HamlibRig::rfPower(std::string &error)
{
    value_t level{};
    const int status = rig_get_level(rig_, RIG_VFO_CURR, RIG_LEVEL_RFPOWER, &level);
    if (status != RIG_OK) {
        error = hamlibError(status);
        return std::nullopt;
    }
    if (!(level.f >= 0 && level.f <= 1)) {
        error = "the radio gave an RF power level out of its range";
        return std::nullopt;
    }
    return level.f;
}

bool HamlibRig::receives(double frequencyHz, rmode_t mode) const
{
    // One mode, and a frequency within one of the radio's receive ranges (whatever modes a
    // backend lists for it: a reversed mode is often left out).
    const bool oneMode = mode != RIG_MODE_NONE && (mode & (mode - 1)) == 0;
    return oneMode && frequencyHz > 0 &&
           rig_get_range(rig_->state.rx_range_list, freq_t(frequencyHz), ~rmode_t(0)) != nullptr;
}

std::optional<bool> HamlibRig::transmitting(std::string &error)
{
    ptt_t ptt = RIG_PTT_OFF;
    const int status = rig_get_ptt(rig_, RIG_VFO_CURR, &ptt);
    if (status != RIG_OK) {
        error = hamlibError(status);
        return std::nullopt;
    }
    return ptt != RIG_PTT_OFF;
}

std::optional<double> HamlibRig::rfPowerWatts(float level, double frequencyHz, rmode_t mode,
                                              std::string &error)
{
    unsigned int milliwatts = 0;
    int status = rig_power2mW(rig_, &milliwatts, level, freq_t(frequencyHz), mode);
    // Some radios' power tables name only the plain modes; a reversed one sends the same power.
    const rmode_t plain = mode == RIG_MODE_RTTYR ? RIG_MODE_RTTY
                          : mode == RIG_MODE_CWR ? RIG_MODE_CW
                                                 : RIG_MODE_NONE;
    if (status != RIG_OK && plain != RIG_MODE_NONE)
        status = rig_power2mW(rig_, &milliwatts, level, freq_t(frequencyHz), plain);
    if (status != RIG_OK) {
        error = hamlibError(status);
        return std::nullopt;
    }
    return milliwatts / 1000.0;
}

std::optional<std::string> HamlibRig::kenwoodCommand(const std::string &command, std::string &error)
{
    unsigned char reply[128] = {};
    unsigned char terminator = ';';
    const int got = rig_send_raw(rig_, reinterpret_cast<const unsigned char *>(command.data()),
                                 int(command.size()), reply, int(sizeof reply - 1), &terminator);
    if (got <= 0) {
        error = got < 0 ? hamlibError(got) : "no answer to " + command;
        return std::nullopt;
    }
    return std::string(reinterpret_cast<const char *>(reply), std::size_t(got));
}

} // namespace radio
