// The WAV reader that --decode and the engine's WAV source use, fed any bytes as a file: it
// reads them or refuses them with a message, and never reads or writes out of bounds.
#include "AudioIo.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const std::string path = "/tmp/tolmfsk-wav-fuzz-" + std::to_string(::getpid()) + ".wav";
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    std::string error;
    bool truncated = false;
    const std::vector<float> samples = engineio::readWavAtEngineRate(path, error, &truncated);
    // A refusal reads nothing. What is read is no more than the densest encoding a WAV file
    // has (GSM 6.10, 320 samples in 65 bytes) resampled up from the lowest rate (2.76 times).
    if (!error.empty() && !samples.empty())
        __builtin_trap();
    if (samples.size() > size * 20 + 4096)
        __builtin_trap();
    return 0;
}
