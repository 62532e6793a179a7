// ts2000-sim: a Kenwood TS-2000 on a pseudo-terminal, for the tests. It answers the CAT
// commands Hamlib's TS-2000 backend sends (identity, power, auto information, IF, VFO
// frequencies and functions, mode, output power, transmit and receive, the menu reads of EX),
// and takes its state from its standard input, a line each:
//
//   freq HZ | mode DIGIT (1 LSB, 2 USB, 3 CW, 4 FM, 5 AM, 6 FSK, 7 CW-R, 9 FSK-R) |
//   power 0..100 | menu NUMBER VALUE (EX menu NUMBER, e.g. 38 for the FSK shift) |
//   mute (stop answering) | answer | state (prints "tx=0|1 freq=HZ mode=DIGIT power=W") | quit
//
// Its first line on standard output is the device to open; every command it hears is
// printed as "heard: CMD" after it.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <poll.h>
#include <pty.h>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace {

struct Radio {
    long long frequencyA = 14085000, frequencyB = 14085000;
    int mode = 6;
    int power = 100;
    bool transmitting = false;
    int vfo = 0;
    bool answering = true;
    int autoInformation = 0;
    std::map<int, int> menus = {{38, 0}, {39, 0}, {40, 1}}; // 170 Hz, normal, 2125 Hz
};

std::string ifAnswer(const Radio &r)
{
    char text[64];
    // IF, frequency (11), step (5 blanks), RIT/XIT offset (5), RIT, XIT, memory bank and
    // channel (3), TX/RX, mode, function, scan, split, tone, tone number (2), shift.
    std::snprintf(text, sizeof text, "IF%011lld     +000000000%d%d%d000000;",
                  r.vfo == 1 ? r.frequencyB : r.frequencyA, r.transmitting ? 1 : 0, r.mode, r.vfo);
    return text;
}

// The answer to one command (without its ";"); empty for a set command.
std::string answer(Radio &r, std::string command)
{
    for (char &c : command)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    const std::string name = command.substr(0, 2), rest = command.substr(2);
    char text[64];
    if (name == "ID")
        return "ID019;";
    if (name == "PS")
        return rest.empty() ? "PS1;" : "";
    if (name == "AI") {
        if (rest.empty()) {
            std::snprintf(text, sizeof text, "AI%d;", r.autoInformation);
            return text;
        }
        r.autoInformation = std::atoi(rest.c_str());
        return "";
    }
    if (name == "IF")
        return ifAnswer(r);
    if (name == "FA" || name == "FB") {
        long long &f = name == "FA" ? r.frequencyA : r.frequencyB;
        if (!rest.empty()) {
            f = std::atoll(rest.c_str());
            return "";
        }
        std::snprintf(text, sizeof text, "%s%011lld;", name.c_str(), f);
        return text;
    }
    // A setting: read, it answers its value in so many digits; set, it takes the new one.
    const auto setting = [&](int &value, int digits) -> std::string {
        if (!rest.empty()) {
            value = std::atoi(rest.c_str());
            return "";
        }
        std::snprintf(text, sizeof text, "%s%0*d;", name.c_str(), digits, value);
        return text;
    };
    if (name == "FR" || name == "FT")
        return setting(r.vfo, 1);
    if (name == "MD")
        return setting(r.mode, 1);
    if (name == "PC")
        return setting(r.power, 3);
    if (name == "TX") {
        r.transmitting = true;
        return "";
    }
    if (name == "RX") {
        r.transmitting = false;
        return "";
    }
    if (name == "EX" && rest.size() >= 7) {
        const int menu = std::atoi(rest.substr(0, 3).c_str());
        const auto found = r.menus.find(menu);
        if (found == r.menus.end())
            return "?;";
        if (rest.size() > 7) {
            found->second = std::atoi(rest.substr(7).c_str());
            return "";
        }
        std::snprintf(text, sizeof text, "EX%s%d;", rest.substr(0, 7).c_str(), found->second);
        return text;
    }
    return "?;";
}

void control(Radio &r, const std::string &line)
{
    char word[32] = {};
    long long a = 0, b = 0;
    const int n = std::sscanf(line.c_str(), "%31s %lld %lld", word, &a, &b);
    const std::string what = n >= 1 ? word : "";
    if (what == "freq" && n >= 2)
        r.frequencyA = r.frequencyB = a;
    else if (what == "mode" && n >= 2)
        r.mode = int(a);
    else if (what == "power" && n >= 2)
        r.power = int(a);
    else if (what == "menu" && n >= 3)
        r.menus[int(a)] = int(b);
    else if (what == "mute")
        r.answering = false;
    else if (what == "answer")
        r.answering = true;
    else if (what == "state")
        std::printf("tx=%d freq=%lld mode=%d power=%d\n", r.transmitting ? 1 : 0, r.frequencyA,
                    r.mode, r.power);
    else if (what == "quit")
        std::exit(0);
    std::fflush(stdout);
}

} // namespace

int main()
{
    int controller = -1, device = -1;
    char name[128] = {};
    if (::openpty(&controller, &device, name, nullptr, nullptr) != 0) {
        std::perror("ts2000-sim: openpty");
        return 1;
    }
    termios raw{};
    ::tcgetattr(controller, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(controller, TCSANOW, &raw);
    std::printf("%s\n", name);
    std::fflush(stdout);

    Radio radio;
    std::string heard, typed;
    for (;;) {
        pollfd fds[2] = {{controller, POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0)
            continue;
        char bytes[256];
        if (fds[1].revents & (POLLIN | POLLHUP)) {
            const ssize_t got = ::read(STDIN_FILENO, bytes, sizeof bytes);
            if (got <= 0)
                return 0; // the test has gone
            typed.append(bytes, std::size_t(got));
            for (std::size_t end; (end = typed.find('\n')) != std::string::npos;) {
                control(radio, typed.substr(0, end));
                typed.erase(0, end + 1);
            }
        }
        if (fds[0].revents & POLLIN) {
            const ssize_t got = ::read(controller, bytes, sizeof bytes);
            if (got <= 0)
                continue;
            heard.append(bytes, std::size_t(got));
            for (std::size_t end; (end = heard.find(';')) != std::string::npos;) {
                const std::string command = heard.substr(0, end);
                heard.erase(0, end + 1);
                std::printf("heard: %s\n", command.c_str());
                std::fflush(stdout);
                if (!radio.answering)
                    continue;
                const std::string reply = answer(radio, command);
                if (!reply.empty())
                    (void)!::write(controller, reply.data(), reply.size());
            }
        }
    }
}
