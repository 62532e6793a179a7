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

// One reading; nothing, with error set, when the radio does not give its frequency and mode.
// Power and PTT are left empty when the radio cannot tell them; the tones are the radio's own
// (TS-2000 in FSK) or the settings'.
std::optional<RadioReading> readRadio(radio::HamlibRig &rig, const HostSettings &settings,
                                      std::string &error);

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
