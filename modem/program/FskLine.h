// Keying the radio's FSK input from a serial port, for radios whose RTTY mode makes the tones
// itself (the TS-2000's FSK mode ignores audio). Two ways:
//  - the port's TXD: each Baudot code one UART frame of 5 data bits and 1.5 stop bits at the
//    baud rate (Linux's arbitrary-rate termios2). Mark is the line's idle state.
//  - DTR or RTS keyed bit by bit by a timing thread, for adapters whose UART cannot make 5-bit
//    frames at these rates. Mark leaves the line low, space raises it (reversed on request).
// Codes are queued and keyed on a thread of the line's own, so the caller never waits on the
// line; whenSent() calls back once everything queued has left the port.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>

namespace engineio {

enum class TxMethod { Afsk, Fsk, FskDtr, FskRts };

struct TxSettings {
    TxMethod method = TxMethod::Afsk;
    std::string fskPort;     // the serial device that keys the FSK input
    bool fskReverse = false; // space and mark swapped on the line (DTR or RTS keying)
};

// As the settings name them (SettingNames.h reads the table both ways).
inline constexpr std::pair<TxMethod, const char *> TxMethodNames[] = {
    {TxMethod::Afsk, "afsk"},
    {TxMethod::Fsk, "fsk"},
    {TxMethod::FskDtr, "fsk-dtr"},
    {TxMethod::FskRts, "fsk-rts"}};
// For the operator: "FSK on TXD of /dev/ttyUSB1", "... DTR ... (reversed)"; empty for AFSK.
std::string fskDescription(const TxSettings &settings);

class FskLine {
public:
    virtual ~FskLine() = default;
    // Queues one code; returns at once.
    virtual void send(std::uint8_t code) = 0;
    // Drops what has not begun to be keyed (stop at once).
    virtual void clear() = 0;
    // Codes queued and not yet begun.
    virtual std::size_t queued() const = 0;
    // Calls done, on the line's thread, once everything queued now has left the port.
    virtual void whenSent(std::function<void()> done) = 0;
    // Empty while the line works; otherwise what went wrong.
    virtual std::string fault() const = 0;
};

// Opens the port the settings name for their method at the baud rate. Null, with error set,
// when the port is missing, refuses the rate or the frame, or the method is not an FSK one.
std::unique_ptr<FskLine> openFskLine(const TxSettings &settings, double baud, std::string &error);

// The timing of DTR/RTS keying on its own: keys frames through setLine(space) at their due
// times on CLOCK_MONOTONIC. What the keyed line and the benchmark share.
class TimedKeying {
public:
    TimedKeying(double baud, std::function<bool(bool space)> setLine);
    // Keys one frame (start bit, five code bits least significant first, 1.5 stop bits),
    // waiting for each bit's due time; a frame that follows another at once starts exactly
    // when the last one's stop ends, one after a pause starts now. False when the line failed.
    bool frame(std::uint8_t code);
    // Waits until the last frame's stop has ended.
    void finish();
    static std::int64_t now(); // CLOCK_MONOTONIC in ns
    // While setLine runs: when the edge it makes was due.
    std::int64_t due() const { return next_; }
    // Asks for the calling thread what keying wants of it: real-time priority where the system
    // grants it (the keying works without, less exactly) and timers that fire when asked rather
    // than up to 50 us later. True when the priority was granted.
    static bool prepareThread();

    // How long before an edge the thread stops sleeping and waits awake.
    static constexpr std::int64_t SpinNs = 500'000;

private:
    bool level(bool space, std::int64_t dueNs);

    double bitNs_;
    std::function<bool(bool)> setLine_;
    std::int64_t next_ = 0; // when the next bit is due
    bool space_ = false;    // the line's state
};

} // namespace engineio
