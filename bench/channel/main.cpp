// tolmfsk-channel: writes the WAV of an RTTY text sent through a simulated radio channel.
//
//   tolmfsk-channel --out FILE.wav [--text TEXT | --text-file FILE] [--snr DB] [--offset HZ]
//                   [--drift HZ_PER_S] [--fading SPREAD_HZ,DELAY_MS] [--notch RATE_HZ,DELAY_MS]
//                   [--interferer DB,OFFSET_HZ]
//                   [--mark HZ] [--shift HZ] [--baud B] [--reverse] [--rate HZ] [--seed N]
//                   [--phase-jumps] [--mark-db DB] [--impulses PER_S,DB,MS] [--stop-bits N]
//                   [--typed] [--level DB] [--overs GAP_MIN_S,GAP_MAX_S]
// --overs: each line of the text is one over, from 0.3 s of steady mark, with noise alone between.
#include "Channel.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

int usage()
{
    std::fputs("usage: tolmfsk-channel --out FILE.wav [--text TEXT | --text-file FILE] [--snr DB]\n"
               "  [--offset HZ] [--drift HZ_PER_S] [--fading SPREAD_HZ,DELAY_MS]\n"
               "  [--notch RATE_HZ,DELAY_MS]\n"
               "  [--interferer DB,OFFSET_HZ] [--mark HZ] [--shift HZ] [--baud B] [--reverse]\n"
               "  [--rate HZ] [--seed N] [--phase-jumps] [--mark-db DB]\n"
               "  [--impulses PER_S,DB,MS] [--stop-bits 1|1.5|2] [--typed] [--level DB]\n"
               "  [--overs GAP_MIN_S,GAP_MAX_S]\n",
               stderr);
    return 2;
}

bool number(const char *text, double &value)
{
    char *end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0';
}

bool pair(const char *text, double &a, double &b)
{
    const std::string s(text);
    const auto comma = s.find(',');
    return comma != std::string::npos && number(s.substr(0, comma).c_str(), a) &&
           number(s.substr(comma + 1).c_str(), b);
}

} // namespace

int main(int argc, char *argv[])
{
    channel::Settings settings;
    std::string out, text = "CQ CQ CQ DE ZZ9ZZZ ZZ9ZZZ ZZ9ZZZ PSE K\r\n";
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--reverse" || option == "--phase-jumps" || option == "--typed") {
            (option == "--reverse"       ? settings.reverse
             : option == "--phase-jumps" ? settings.phaseJumps
                                         : settings.typedAsItGoes) = true;
            continue;
        }
        if (i + 1 >= argc)
            return usage();
        const char *value = argv[++i];
        double a = 0, b = 0;
        bool ok = true;
        if (option == "--out")
            out = value;
        else if (option == "--text")
            text = value;
        else if (option == "--text-file") {
            std::ifstream file(value);
            std::stringstream whole;
            whole << file.rdbuf();
            ok = bool(file);
            text = whole.str();
        } else if (option == "--snr")
            ok = number(value, settings.snrDb);
        else if (option == "--offset")
            ok = number(value, settings.offsetHz);
        else if (option == "--drift")
            ok = number(value, settings.driftHzPerSecond);
        else if (option == "--mark")
            ok = number(value, settings.markHz);
        else if (option == "--shift")
            ok = number(value, settings.shiftHz);
        else if (option == "--baud")
            ok = number(value, settings.baud) && settings.baud > 0;
        else if (option == "--rate")
            ok = number(value, settings.sampleRateHz) && settings.sampleRateHz >= 8000;
        else if (option == "--seed")
            ok = number(value, a) && (settings.seed = std::uint32_t(a), true);
        else if (option == "--fading")
            ok = pair(value, a, b) && (settings.fading = channel::Fading{a, b}, true);
        else if (option == "--overs")
            ok = pair(value, a, b) && a >= 0 && b >= a &&
                 (settings.overs = channel::Overs{a, b}, true);
        else if (option == "--notch")
            ok = pair(value, a, b) && (settings.notch = channel::Notch{a, b}, true);
        else if (option == "--stop-bits")
            ok = number(value, settings.stopBits) &&
                 (settings.stopBits == 1 || settings.stopBits == 1.5 || settings.stopBits == 2);
        else if (option == "--mark-db")
            ok = number(value, settings.markDb);
        else if (option == "--level")
            ok = number(value, settings.levelDb) && settings.levelDb <= 20;
        else if (option == "--impulses") {
            channel::Impulses impulses;
            const std::string s(value);
            const auto first = s.find(','), second = s.find(',', first + 1);
            ok = second != std::string::npos &&
                 number(s.substr(0, first).c_str(), impulses.perSecond) &&
                 pair(s.substr(first + 1).c_str(), impulses.relativeDb, impulses.lengthMs) &&
                 impulses.perSecond > 0 && impulses.lengthMs > 0;
            settings.impulses = impulses;
        } else if (option == "--interferer") {
            ok = pair(value, a, b);
            settings.interferer = channel::Interferer{};
            settings.interferer->relativeDb = a;
            settings.interferer->offsetHz = b;
        } else
            return usage();
        if (!ok) {
            std::fprintf(stderr, "tolmfsk-channel: bad value for %s: %s\n", option.c_str(), value);
            return 2;
        }
    }
    if (out.empty())
        return usage();
    if (!channel::writeWav(out, channel::transmit(text, settings), settings.sampleRateHz)) {
        std::fprintf(stderr, "tolmfsk-channel: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}
