#include "OfflineTools.h"

#include "AudioIo.h"
#include "Baudot.h"
#include "EngineCore.h"
#include "EngineLinkProtocol.h"
#include "EngineRunner.h"
#include "EngineSettings.h"
#include "FskModulator.h"
#include "Transmitter.h"

#include <chrono>
#include <cstdio>
#include <future>
#include <optional>
#include <thread>

namespace engineio {

namespace {

constexpr std::size_t BlockSamples = EngineRunner::BlockSamples;

struct ToneOptions {
    double markHz = enginelink::StandardMarkHz, shiftHz = enginelink::StandardShiftHz;
    double baud = 45.45;
    bool reverse = false, atc = false, afc = true, uos = true;
    double squelchLevel = -1; // squelch off
    QString file, out, text;

    // Mark and space as sent: reversed, swapped within the pair.
    std::pair<double, double> tones() const
    {
        return reverse ? std::pair(markHz + shiftHz, markHz) : std::pair(markHz, markHz + shiftHz);
    }
};

// Reads the options shared by both tools; nothing (with a message) on a bad one.
std::optional<ToneOptions> parse(const QStringList &arguments, const char *tool)
{
    ToneOptions o;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        auto number = [&](double &into, double low, double high) {
            bool ok = false;
            if (i + 1 < arguments.size())
                into = arguments[++i].toDouble(&ok);
            if (!ok || into < low || into > high) {
                std::fprintf(stderr, "tolmfsk-engine %s: bad value for %s\n", tool, qPrintable(a));
                return false;
            }
            return true;
        };
        auto text = [&](QString &into) {
            if (i + 1 >= arguments.size()) {
                std::fprintf(stderr, "tolmfsk-engine %s: %s needs a value\n", tool, qPrintable(a));
                return false;
            }
            into = arguments[++i];
            return true;
        };
        bool ok = true;
        if (a == QLatin1String("--mark"))
            ok = number(o.markHz, 100, 5000);
        else if (a == QLatin1String("--shift"))
            ok = number(o.shiftHz, 20, 1500);
        else if (a == QLatin1String("--baud"))
            ok = number(o.baud, 10, 300);
        else if (a == QLatin1String("--reverse"))
            o.reverse = true;
        else if (a == QLatin1String("--atc"))
            o.atc = true;
        else if (a == QLatin1String("--no-afc"))
            o.afc = false;
        else if (a == QLatin1String("--no-uos"))
            o.uos = false;
        else if (a == QLatin1String("--squelch"))
            ok = number(o.squelchLevel, 0, 1023);
        else if (a == QLatin1String("--decode"))
            ok = text(o.file);
        else if (a == QLatin1String("--encode") || a == QLatin1String("--send"))
            ok = text(o.text);
        else if (a == QLatin1String("--out"))
            ok = text(o.out);
        else {
            std::fprintf(stderr, "tolmfsk-engine %s: unknown option %s\n", tool, qPrintable(a));
            ok = false;
        }
        if (!ok)
            return std::nullopt;
    }
    return o;
}

struct PrintingEvents : rtty::EngineEvents {
    void character(char c) override
    {
        if (c != '\r')
            std::fputc(c, stdout);
    }
    void spectrum(const std::vector<std::int16_t> &, int, std::int32_t) override {}
    void xy(const std::vector<std::int32_t> &) override {}
    void status(const std::vector<std::int32_t> &) override {}
    void transmitting(bool) override {}
};

} // namespace

int decodeCommand(const QStringList &arguments)
{
    const auto o = parse(arguments, "--decode");
    if (!o)
        return 2;
    std::string error;
    bool truncated = false;
    const std::vector<float> audio = readWavAtEngineRate(o->file.toStdString(), error, &truncated);
    if (!error.empty()) {
        std::fprintf(stderr, "tolmfsk-engine: %s\n", error.c_str());
        return 1;
    }
    PrintingEvents events;
    rtty::EngineCore core(events);
    core.postCommand(enginelink::CmdBaud, int(std::lround(o->baud * 100)));
    core.postCommand(enginelink::CmdMarkAndShift, int(o->markHz) | (int(o->shiftHz) << 16));
    if (!o->afc)
        core.setSwitch(0); // AFC, the only function on at start, off
    if (o->reverse)
        core.setSwitch(260);
    if (o->atc)
        core.setSwitch(20);
    if (o->uos)
        core.setSwitch(516);
    if (o->squelchLevel >= 0) {
        core.postCommand(enginelink::CmdSquelchLevel, int(o->squelchLevel));
        core.setSwitch(132);
    }
    std::vector<float> tx(BlockSamples);
    for (std::size_t at = 0; at < audio.size(); at += BlockSamples) {
        const std::size_t n = std::min(BlockSamples, audio.size() - at);
        core.process(audio.data() + at, tx.data(), n, 0);
    }
    std::fputc('\n', stdout);
    if (truncated) {
        std::fprintf(stderr, "tolmfsk-engine: %s is cut short: decoded what it holds\n",
                     qPrintable(o->file));
        return 1;
    }
    return 0;
}

int encodeCommand(const QStringList &arguments)
{
    const auto o = parse(arguments, "--encode");
    if (!o)
        return 2;
    if (o->out.isEmpty()) {
        std::fprintf(stderr, "tolmfsk-engine --encode: --out FILE.wav is needed\n");
        return 2;
    }
    std::string error;
    auto output = openWavOutput(o->out.toStdString(), error);
    if (!output) {
        std::fprintf(stderr, "tolmfsk-engine: %s\n", error.c_str());
        return 1;
    }
    const auto [markHz, spaceHz] = o->tones();
    rtty::FskModulator modulator(SampleRateHz, o->baud, markHz, spaceHz);
    modulator.queueMark(o->baud * 0.5);
    for (std::uint8_t code : rtty::encodeText(o->text.toLatin1().toStdString()))
        modulator.queueCode(code);
    modulator.queueMark(o->baud * 0.5);
    std::vector<float> block(BlockSamples);
    while (modulator.busy()) {
        modulator.generate(block.data(), block.size());
        output->write(block.data(), block.size());
    }
    return 0;
}

namespace {

// Waits for a line or an output to say that all it was given has gone out.
template <typename Sink> void waitUntilOut(Sink &sink, void (Sink::*when)(std::function<void()>))
{
    std::promise<void> out;
    (sink.*when)([&out] { out.set_value(); });
    out.get_future().wait();
}

int failed(const std::string &what)
{
    std::fprintf(stderr, "tolmfsk-engine --send: %s\n", what.c_str());
    return 1;
}

} // namespace

int sendCommand(const QStringList &arguments)
{
    const auto o = parse(arguments, "--send");
    if (!o)
        return 2;
    const EngineSettings settings = EngineSettings::load();
    const bool fsk = settings.tx.method != TxMethod::Afsk;
    std::string error;
    std::unique_ptr<FskLine> line;
    std::unique_ptr<AudioOutput> output;
    if (fsk)
        line = openFskLine(settings.tx, o->baud, error);
    else if (!settings.wavOutput.isEmpty())
        output = openWavOutput(settings.wavOutput.toStdString(), error);
    else
        output = openPulseOutput(settings.outputDevice.toStdString(), error);
    if (!line && !output)
        return failed(error);
    Ptt ptt(settings.ptt);
    if (!ptt.ready())
        return failed("PTT: " + ptt.error());

    const auto [markHz, spaceHz] = o->tones();
    rtty::Transmitter transmitter(SampleRateHz, o->baud, markHz, spaceHz);
    if (line)
        transmitter.onCode = [&line](std::uint8_t code) { line->send(code); };
    transmitter.addText(o->text.toLatin1().toStdString());
    transmitter.start();
    transmitter.stopWhenSent();

    using namespace std::chrono;
    if (!ptt.set(true))
        return failed("PTT: " + ptt.error());
    std::this_thread::sleep_for(milliseconds(settings.ptt.leadMs));
    std::vector<float> block(BlockSamples);
    while (transmitter.transmitting()) {
        transmitter.generate(block.data(), block.size());
        if (output && !output->write(block.data(), block.size()))
            error = output->fault();
        // The line keys at its own pace: keep no more than a few frames waiting for it.
        while (line && line->queued() > 2 && line->fault().empty())
            std::this_thread::sleep_for(milliseconds(20));
        if (line && !line->fault().empty())
            error = line->fault();
        if (!error.empty())
            break;
    }
    if (error.empty()) {
        if (line)
            waitUntilOut(*line, &FskLine::whenSent);
        else
            waitUntilOut(*output, &AudioOutput::whenPlayed);
        error = line ? line->fault() : output->fault();
    }
    std::this_thread::sleep_for(milliseconds(settings.ptt.tailMs));
    const bool released = ptt.set(false);
    if (!error.empty())
        return failed(error);
    if (!released)
        return failed("PTT: " + ptt.error());
    return 0;
}

} // namespace engineio
