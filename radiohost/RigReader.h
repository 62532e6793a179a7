// Reads the radio through Hamlib a few times a second on a thread of its own, and hands each
// reading to the main thread. When the radio cannot be opened or stops answering it says so
// once, keeps trying, and hands nothing until the radio answers again.
#pragma once

#include "RadioState.h"

#include <QObject>
#include <QString>
#include <QThread>
#include <string>

namespace radiohost {

struct RigSettings {
    int model = 1;     // Hamlib model: 1 the dummy rig, 2 rigctld, 2014 the TS-2000
    std::string port;  // serial device, or host:port for rigctld (default localhost:4532)
    int speed = 0;     // serial speed; 0: the model's default
    int shiftHz = 170; // the RTTY shift set on the radio
    int pollMs = 250;
};

class RigReader : public QThread {
    Q_OBJECT
public:
    explicit RigReader(const RigSettings &settings, QObject *parent = nullptr);
    ~RigReader() override;

signals:
    void reading(const radiohost::RadioState &state);
    void problem(const QString &what); // one line, once per spell of trouble
    void recovered();

protected:
    void run() override;

private:
    RigSettings settings_;
};

// The TS-2000's name for a Hamlib mode.
std::string modeName(unsigned long long hamlibMode);

} // namespace radiohost
