// The engine's command-line tools: --decode prints the text of a recording, --encode writes the
// recording of a text. Both return the program's exit code.
#pragma once

#include <QStringList>

namespace engineio {

// tolmfsk-engine --decode FILE.wav [--mark HZ] [--shift HZ] [--baud B] [--reverse] [--atc]
//                [--no-afc] [--no-uos] [--squelch LEVEL]
int decodeCommand(const QStringList &arguments);
// tolmfsk-engine --encode TEXT --out FILE.wav [--mark HZ] [--shift HZ] [--baud B]
int encodeCommand(const QStringList &arguments);

} // namespace engineio
