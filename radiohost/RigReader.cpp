#include "RigReader.h"

#include "ReadingCheck.h"

#include <cctype>
#include <hamlib/rig.h>
#include <string>

namespace radiohost {

namespace {
constexpr int RetryOpenMs = 2000;
constexpr int RetryReadMs = 1000;
} // namespace

std::optional<RadioTones> readTs2000Tones(radio::HamlibRig &rig, std::string &error)
{
    // The answer to "EXmmm0000;" is the command, the setting's digit, and ";".
    auto menu = [&](const char *number) -> std::optional<int> {
        const std::string command = std::string("EX") + number + "0000;";
        const auto answer = rig.kenwoodCommand(command, error);
        if (!answer || answer->size() < command.size() + 1 ||
            answer->compare(0, command.size() - 1, command, 0, command.size() - 1) != 0) {
            if (answer)
                error = "the radio answered " + *answer + " to " + command;
            return std::nullopt;
        }
        const char digit = (*answer)[command.size() - 1];
        if (digit < '0' || digit > '9') {
            error = "the radio answered " + *answer + " to " + command;
            return std::nullopt;
        }
        return digit - '0';
    };
    static constexpr int Shifts[] = {170, 200, 425, 850};
    static constexpr int Tones[] = {1275, 2125};
    const std::optional<int> shift = menu("038");
    const std::optional<int> tone = shift ? menu("040") : std::nullopt;
    if (!shift || !tone || *shift > 3 || *tone > 1) {
        if (shift && tone)
            error = "the radio's FSK menus hold values it does not document";
        return std::nullopt;
    }
    return RadioTones{Tones[*tone], Shifts[*shift]};
}

std::optional<double> readTs2000Power(radio::HamlibRig &rig, double frequencyHz,
                                      unsigned long long mode, std::string &error)
{
    // "PC" and the output power in watts as three digits: up to 100 W on HF, 6 m and 2 m, 50 W
    // on 70 cm, 10 W on 23 cm, and 25 W in AM.
    const auto answer = rig.kenwoodCommand("PC;", error);
    if (!answer)
        return std::nullopt;
    const std::string &a = *answer;
    const bool wellFormed = a.size() == 6 && a.compare(0, 2, "PC") == 0 && a[5] == ';' &&
                            std::isdigit((unsigned char)a[2]) &&
                            std::isdigit((unsigned char)a[3]) && std::isdigit((unsigned char)a[4]);
    const int most = mode == RIG_MODE_AM   ? 25
                     : frequencyHz > 1e9   ? 10
                     : frequencyHz > 400e6 ? 50
                                           : 100;
    const int watts = wellFormed ? std::stoi(a.substr(2, 3)) : -1;
    if (watts < 0 || watts > most) {
        error = "the radio answered " + a + " to PC;";
        return std::nullopt;
    }
    return double(watts);
}

std::optional<RadioReading> readRadio(radio::HamlibRig &rig, const HostSettings &settings,
                                      std::string &error, bool *garbled)
{
    if (garbled)
        *garbled = false;
    const auto frequency = rig.frequencyHz(error);
    const auto mode = frequency ? rig.mode(error) : std::nullopt;
    if (!frequency || !mode)
        return std::nullopt;
    if (!rig.receives(*frequency, *mode)) {
        error = "the radio answered a frequency or mode it cannot have";
        if (garbled)
            *garbled = true;
        return std::nullopt;
    }
    RadioReading r;
    r.frequencyHz = *frequency;
    r.mode = *mode;
    std::string unanswered; // what the radio cannot tell is left out, not an error
    if (rig.model() == radio::Ts2000Model)
        r.powerWatts = readTs2000Power(rig, *frequency, *mode, unanswered);
    else if (const auto level = rig.rfPower(unanswered))
        r.powerWatts = rig.rfPowerWatts(*level, *frequency, *mode, unanswered);
    r.transmitting = rig.transmitting(unanswered);
    r.markHz = settings.markHz;
    r.shiftHz = settings.shiftHz;
    const bool fsk = *mode == RIG_MODE_RTTY || *mode == RIG_MODE_RTTYR;
    if (fsk && rig.model() == radio::Ts2000Model) {
        if (const auto tones = readTs2000Tones(rig, unanswered)) {
            r.markHz = tones->markHz;
            r.shiftHz = tones->shiftHz;
            r.tonesFromRadio = true;
        }
    }
    return r;
}

// Hamlib's dummy rig starts on 145 MHz FM; the station's demo radio sits where an RTTY station
// would be: 14.0853 MHz, FSK, half power. These are settings made on the (simulated) radio,
// which the host then reads back like any other.
void tuneDummyRig(radio::HamlibRig &rig)
{
    RIG *r = rig.handle();
    rig_set_freq(r, RIG_VFO_CURR, 14085300);
    rig_set_mode(r, RIG_VFO_CURR, RIG_MODE_RTTY, RIG_PASSBAND_NORMAL);
    value_t half;
    half.f = 0.5f;
    rig_set_level(r, RIG_VFO_CURR, RIG_LEVEL_RFPOWER, half);
}

RigReader::RigReader(const HostSettings &settings, QObject *parent)
    : QThread(parent), settings_(settings)
{
}

RigReader::~RigReader()
{
    stop();
    wait();
}

void RigReader::stop()
{
    requestInterruption();
    QMutexLocker lock(&mutex_);
    wake_.wakeAll();
}

bool RigReader::pause(int ms)
{
    QMutexLocker lock(&mutex_);
    if (!isInterruptionRequested())
        wake_.wait(&mutex_, QDeadlineTimer(ms));
    return !isInterruptionRequested();
}

void RigReader::run()
{
    std::unique_ptr<radio::HamlibRig> rig;
    ReadingCheck check; // only what three reads in a row agree on is published
    bool troubled = false;
    auto trouble = [&](const std::string &what) {
        if (!troubled)
            emit problem(QString::fromStdString(what));
        troubled = true;
    };
    while (!isInterruptionRequested()) {
        std::string error;
        if (!rig) {
            rig = radio::HamlibRig::open(settings_.rig, error);
            if (!rig) {
                trouble("cannot open the radio: " + error);
                if (!pause(RetryOpenMs))
                    break;
                continue;
            }
            if (settings_.rig.model == radio::DummyModel)
                tuneDummyRig(*rig);
        }
        bool garbled = false;
        const auto taken = readRadio(*rig, settings_, error, &garbled);
        if (!taken && garbled) {
            // An answer the line corrupted: nothing of it published, the radio read again.
            if (!pause(settings_.pollMs))
                break;
            continue;
        }
        if (!taken) {
            trouble("the radio does not answer: " + error);
            rig.reset();
            check.lost();
            if (!pause(RetryReadMs))
                break;
            continue;
        }
        if (troubled) {
            troubled = false;
            emit recovered();
        }
        if (const auto shown = check.confirm(*taken))
            emit reading(*shown);
        if (!pause(settings_.pollMs))
            break;
    }
}

} // namespace radiohost
