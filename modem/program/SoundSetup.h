// The engine's sound as its settings name it: the demo (when chosen, or in automatic mode when
// no sound server runs at all), the sound card through the sound server, or a WAV file. A
// sound card that fails is a fault, never the demo: it is opened again about once a second.
#pragma once

#include "AudioIo.h"
#include "EngineSettings.h"
#include "ReopeningSound.h"

namespace engineio {

struct Sound {
    std::unique_ptr<AudioInput> input;
    std::unique_ptr<AudioOutput> output;
    std::string source; // "DEMO", "sound card", "WAV file": the greeting's first words
    std::string detail; // the same with the devices or the file, for the settings window
};

// Opens the sound now; the input's and output's fault() tell how that went. The reports are
// called, on the signal thread, each time a device fails or works again later.
Sound openSound(const EngineSettings &settings, const SoundReport &inputReport,
                const SoundReport &outputReport);

} // namespace engineio
