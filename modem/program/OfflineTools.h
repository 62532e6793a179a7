// The engine's command-line tools: --decode prints the text of a recording, --encode writes the
// recording of a text, --send sends a text on the air. Each returns the program's exit code.
#pragma once

#include <QStringList>

namespace engineio {

// tolmfsk-engine --decode FILE.wav [--mark HZ] [--shift HZ] [--baud B] [--reverse] [--atc]
//                [--no-afc] [--no-uos] [--squelch LEVEL]
int decodeCommand(const QStringList &arguments);
// tolmfsk-engine --encode TEXT --out FILE.wav [--mark HZ] [--shift HZ] [--baud B]
int encodeCommand(const QStringList &arguments);
// tolmfsk-engine --send TEXT [--mark HZ] [--shift HZ] [--baud B] [--reverse]: sends TEXT once
// with the saved transmit and PTT settings (AFSK to the sound output, or FSK on the port) and
// returns when it is out.
int sendCommand(const QStringList &arguments);

} // namespace engineio
