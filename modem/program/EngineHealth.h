// What the engine says of its sound and its PTT. It keeps the source it listens to ("DEMO",
// "sound card", "WAV file") and each edge's fault, and makes of them the text of the
// engine's greeting, which begins with what the operator hears ("sound card, engine 1.0";
// "NO SOUND, engine 1.0" when the sound failed), the latest fault for the terminal's status
// panel, and a few lines for the settings window. Without an output the greeting says
// "RX ONLY", without an input "NO RX".
#pragma once

#include "EngineEvents.h"

#include <array>
#include <optional>
#include <string>

namespace engineio {

class EngineHealth {
public:
    // source: the greeting's first words; detail: the same at length, for people; pttMethod:
    // how the transmitter is keyed ("none", "rts", "dtr", "cat").
    EngineHealth(std::string source, std::string detail, std::string version,
                 std::string pttMethod);

    // Notes how an edge stands (fault empty: it works); true when that changed. An edge not
    // noted yet is being opened.
    bool set(rtty::Edge edge, const std::string &fault);

    // How an edge stands: nothing while it is being opened, empty when it works.
    const std::optional<std::string> &fault(rtty::Edge edge) const
    {
        return faults_[std::size_t(edge)];
    }

    std::string greeting() const;
    // The fault noted most recently of those still standing; empty when all works.
    std::string latestFault() const;
    // One line per edge, for people.
    std::string report() const;
    // How the transmitter is keyed beyond PTT, for the report ("FSK on DTR of /dev/ttyUSB1");
    // empty for AFSK. The FSK port's faults are the PTT edge's.
    void setTransmit(std::string description) { transmit_ = std::move(description); }

private:
    std::string transmit_;
    std::string source_, detail_, version_, pttMethod_;
    std::array<std::optional<std::string>, 3> faults_; // nothing until an edge is known
    std::array<unsigned, 3> noted_{};                  // when each fault was noted
    unsigned clock_ = 0;
};

// An edge's name for people: "sound input", "sound output", "PTT".
std::string edgeName(rtty::Edge edge);

} // namespace engineio
