// Reading the radio: one reading of frequency, mode, power, PTT and tones (readRadio), and a
// thread that takes one a few times a second (RigReader). The thread opens the radio, says so
// once when it cannot or when the radio stops answering, tries again, and hands each reading to
// the main thread. Its waits end at once when it is asked to stop.
#pragma once

#include "HostSettings.h"
#include "RadioTexts.h"

#include <QMutex>
#include <QObject>
#include <QString>
#include <QThread>
#include <QWaitCondition>
#include <chrono>

namespace radiohost {

// The TS-2000's own FSK tones: its menus 40 (FSK tone frequency: 1275 or 2125 Hz) and 38 (FSK
// shift: 170, 200, 425 or 850 Hz), read with its EX command. Nothing when the radio does not
// answer them.
struct RadioTones {
    int markHz, shiftHz;
};
std::optional<RadioTones> readTs2000Tones(radio::HamlibRig &rig, std::string &error);

// One reading; nothing, with error set, when the radio does not give its frequency and mode,
// and with garbled set too when it answered with a frequency or mode it cannot have (a
// corrupted answer). Power and PTT are left empty when the radio cannot tell them (a TS-2000's
// power is read as its PC answer says, checked); the tones are the radio's own (TS-2000 in
// FSK) or the settings'.
std::optional<RadioReading> readRadio(radio::HamlibRig &rig, const HostSettings &settings,
                                      std::string &error, bool *garbled = nullptr);
// A TS-2000's output power in watts from its PC answer (which gives watts, not a share of the
// band's most); nothing unless the answer is "PC", three digits and ";", and no more than the
// radio gives on that band and in that mode.
std::optional<double> readTs2000Power(radio::HamlibRig &rig, double frequencyHz,
                                      unsigned long long mode, std::string &error);

void tuneDummyRig(radio::HamlibRig &rig);

class RigReader : public QThread {
    Q_OBJECT
public:
    explicit RigReader(const HostSettings &settings, QObject *parent = nullptr);
    ~RigReader() override;

    // Asks the thread to end; its current wait ends at once (a Hamlib call under way finishes).
    void stop();

signals:
    void reading(const radiohost::RadioReading &reading);
    void problem(const QString &what); // once per spell of trouble
    void recovered();

protected:
    void run() override;

private:
    // Waits up to ms; false when asked to stop.
    bool pause(int ms);

    HostSettings settings_;
    QMutex mutex_;
    QWaitCondition wake_;
};

} // namespace radiohost
