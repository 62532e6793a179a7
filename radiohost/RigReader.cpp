#include "RigReader.h"

#include <cstring>
#include <hamlib/rig.h>

namespace radiohost {

std::string modeName(unsigned long long mode)
{
    switch (mode) {
    case RIG_MODE_LSB:
        return "LSB";
    case RIG_MODE_USB:
        return "USB";
    case RIG_MODE_CW:
        return "CW";
    case RIG_MODE_CWR:
        return "CW-R";
    case RIG_MODE_FM:
        return "FM";
    case RIG_MODE_AM:
        return "AM";
    case RIG_MODE_RTTY:
        return "FSK";
    case RIG_MODE_RTTYR:
        return "FSK-R";
    default:
        break;
    }
    const char *name = rig_strrmode(rmode_t(mode));
    return name && *name ? name : "UNKNOWN";
}

RigReader::RigReader(const RigSettings &settings, QObject *parent)
    : QThread(parent), settings_(settings)
{
}

RigReader::~RigReader()
{
    requestInterruption();
    wait();
}

void RigReader::run()
{
    rig_set_debug(RIG_DEBUG_NONE);
    RIG *rig = nullptr;
    bool troubled = false;
    auto trouble = [&](const QString &what) {
        if (!troubled)
            emit problem(what);
        troubled = true;
    };
    while (!isInterruptionRequested()) {
        if (!rig) {
            rig = rig_init(rig_model_t(settings_.model));
            if (!rig) {
                trouble(QStringLiteral("Hamlib knows no radio model %1").arg(settings_.model));
                msleep(2000);
                continue;
            }
            std::string port = settings_.port;
            if (port.empty() && settings_.model == 2)
                port = "localhost:4532";
            if (!port.empty())
                std::strncpy(rig->state.rigport.pathname, port.c_str(), HAMLIB_FILPATHLEN - 1);
            if (settings_.speed > 0)
                rig->state.rigport.parm.serial.rate = settings_.speed;
            const int status = rig_open(rig);
            if (status != RIG_OK) {
                trouble(QStringLiteral("cannot open the radio: %1")
                            .arg(QString::fromLatin1(rigerror(status))));
                rig_cleanup(rig);
                rig = nullptr;
                msleep(2000);
                continue;
            }
            if (settings_.model == 1) { // the dummy rig starts where an RTTY station would be
                rig_set_freq(rig, RIG_VFO_CURR, 14085300);
                rig_set_mode(rig, RIG_VFO_CURR, RIG_MODE_RTTY, RIG_PASSBAND_NORMAL);
                value_t half;
                half.f = 0.5f;
                rig_set_level(rig, RIG_VFO_CURR, RIG_LEVEL_RFPOWER, half);
            }
        }
        RadioState state;
        freq_t frequency = 0;
        rmode_t mode = RIG_MODE_NONE;
        pbwidth_t width = 0;
        value_t power{};
        ptt_t ptt = RIG_PTT_OFF;
        if (rig_get_freq(rig, RIG_VFO_CURR, &frequency) != RIG_OK ||
            rig_get_mode(rig, RIG_VFO_CURR, &mode, &width) != RIG_OK) {
            trouble(QStringLiteral("the radio does not answer"));
            rig_close(rig);
            rig_cleanup(rig);
            rig = nullptr;
            msleep(1000);
            continue;
        }
        state.frequencyHz = frequency;
        state.mode = modeName(mode);
        state.shiftHz = settings_.shiftHz;
        // RFPOWER as a fraction of full output, shown in watts of a 100 W radio.
        if (rig_get_level(rig, RIG_VFO_CURR, RIG_LEVEL_RFPOWER, &power) == RIG_OK)
            state.powerWatts = int(power.f * 100 + 0.5f);
        if (rig_get_ptt(rig, RIG_VFO_CURR, &ptt) == RIG_OK)
            state.transmitting = ptt != RIG_PTT_OFF;
        if (troubled) {
            troubled = false;
            emit recovered();
        }
        emit reading(state);
        msleep(unsigned(settings_.pollMs));
    }
    if (rig) {
        rig_close(rig);
        rig_cleanup(rig);
    }
}

} // namespace radiohost
