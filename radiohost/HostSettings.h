// The host's settings: $XDG_CONFIG_HOME/tolmfsk/host.ini ([rig] model, port, speed, mark,
// shift, poll_ms), then the command line's options over them, each checked.
#pragma once

#include "HamlibRig.h"

#include <QStringList>
#include <optional>
#include <string>

namespace radiohost {

struct HostSettings {
    radio::RigSettings rig;
    int markHz = 2125; // the tones for radios whose own the host cannot read
    int shiftHz = 170;
    int pollMs = 250;
    bool once = false; // read the radio once, print the two texts and exit
};

constexpr int MinPollMs = 50, MaxPollMs = 10000;

// The usage text of the program.
extern const char HostUsage[];

// The settings, or nothing with error set to what is wrong with them (a bad value in the file
// or on the command line, an unknown option). help is set for --help.
std::optional<HostSettings> readHostSettings(const QStringList &arguments, std::string &error,
                                             bool &help);

} // namespace radiohost
