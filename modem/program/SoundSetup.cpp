#include "SoundSetup.h"

#include <QFileInfo>

namespace engineio {

namespace {

// A device that could not be opened at all: silence at the real-time pace, and its fault.
class FailedOutput : public AudioOutput {
public:
    explicit FailedOutput(std::string fault) : fault_(std::move(fault)) {}
    bool write(const float *, std::size_t) override { return false; }
    void whenPlayed(std::function<void()> played) override { played(); }
    std::string fault() const override { return fault_; }

private:
    std::string fault_;
};

std::unique_ptr<AudioOutput> pulseOutput(const EngineSettings &s, const SoundReport &report)
{
    const std::string device = s.outputDevice.toStdString();
    return std::make_unique<ReopeningOutput>(
        [device](std::string &error) { return openPulseOutput(device, error); }, report);
}

// Where transmissions go when a WAV file is named for them.
std::unique_ptr<AudioOutput> wavOutput(const EngineSettings &s)
{
    std::string error;
    if (auto output = openWavOutput(s.wavOutput.toStdString(), error))
        return output;
    return std::make_unique<FailedOutput>(error);
}

} // namespace

Sound openSound(const EngineSettings &s, const SoundReport &inputReport,
                const SoundReport &outputReport)
{
    Sound sound;
    Source source = s.source;
    if (source == Source::Automatic)
        source = soundServerRunning() ? Source::SoundCard : Source::Demo;
    switch (source) {
    case Source::Demo: {
        DemoSound demo = openDemo();
        sound.input = std::move(demo.input);
        sound.output = s.wavOutput.isEmpty() ? std::move(demo.loopback) : wavOutput(s);
        sound.source = "DEMO";
        sound.detail = "the built-in demo signal";
        break;
    }
    case Source::WavFile: {
        const std::string path = s.wavInput.toStdString();
        sound.input = std::make_unique<ReopeningInput>(
            [path](std::string &error) { return openWavInput(path, true, error); }, inputReport);
        sound.output = s.wavOutput.isEmpty() ? openNullOutput() : wavOutput(s);
        sound.source = "WAV file";
        sound.detail = "WAV file " + QFileInfo(s.wavInput).absoluteFilePath().toStdString();
        break;
    }
    case Source::SoundCard:
    case Source::Automatic: {
        const std::string device = s.inputDevice.toStdString();
        sound.input = std::make_unique<ReopeningInput>(
            [device](std::string &error) { return openPulseInput(device, error); }, inputReport);
        sound.output = s.wavOutput.isEmpty() ? pulseOutput(s, outputReport) : wavOutput(s);
        sound.source = "sound card";
        auto name = [](const QString &device) {
            return device.isEmpty() ? std::string("the default") : device.toStdString();
        };
        sound.detail = "the sound card: input " + name(s.inputDevice) + ", output " +
                       (s.wavOutput.isEmpty() ? name(s.outputDevice)
                                              : "WAV file " + s.wavOutput.toStdString());
        break;
    }
    }
    return sound;
}

} // namespace engineio
