#include "FskLine.h"

// termios2 and BOTHER come from the kernel's header, which cannot share a unit with
// <termios.h>; TCSBRK with a non-zero argument is tcdrain().
#include <asm/termbits.h>
#include <cerrno>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <mutex>
#include <pthread.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>
#include <time.h>
#include <unistd.h>
#include <variant>

namespace engineio {

std::string fskDescription(const TxSettings &settings)
{
    const char *line = settings.method == TxMethod::Fsk      ? "TXD"
                       : settings.method == TxMethod::FskDtr ? "DTR"
                       : settings.method == TxMethod::FskRts ? "RTS"
                                                             : nullptr;
    if (!line)
        return {};
    return std::string("FSK on ") + line + " of " +
           (settings.fskPort.empty() ? "no port" : settings.fskPort) +
           (settings.fskReverse ? " (reversed)" : "");
}

TimedKeying::TimedKeying(double baud, std::function<bool(bool space)> setLine)
    : bitNs_(1e9 / baud), setLine_(std::move(setLine))
{
}

std::int64_t TimedKeying::now()
{
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return std::int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

bool TimedKeying::prepareThread()
{
    ::prctl(PR_SET_TIMERSLACK, 1UL);
    sched_param priority{};
    priority.sched_priority = sched_get_priority_min(SCHED_FIFO) + 10;
    return pthread_setschedparam(pthread_self(), SCHED_FIFO, &priority) == 0;
}

bool TimedKeying::level(bool space, std::int64_t dueNs)
{
    // Asleep until shortly before the edge, then awake for the rest: how late a sleeping
    // thread wakes varies with the machine's load, a waiting one's hardly at all.
    const std::int64_t wakeNs = dueNs - SpinNs;
    const timespec wake{time_t(wakeNs / 1'000'000'000), long(wakeNs % 1'000'000'000)};
    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &wake, nullptr) == EINTR) {
    }
    while (now() < dueNs) {
    }
    if (space == space_)
        return true;
    space_ = space;
    return setLine_(space);
}

bool TimedKeying::frame(std::uint8_t code)
{
    // A pause since the last frame: start now, a little ahead so the first edge is on time.
    const std::int64_t soonest = now() + 200'000;
    if (next_ < soonest)
        next_ = soonest;
    const double bits[7] = {1, 1, 1, 1, 1, 1, 1.5};
    for (int k = 0; k < 7; ++k) {
        const bool space = k == 0 || (k <= 5 && ((code >> (k - 1)) & 1) == 0);
        if (!level(space, next_))
            return false;
        next_ += std::int64_t(std::llround(bits[k] * bitNs_));
    }
    return true;
}

void TimedKeying::finish()
{
    level(space_, next_);
}

namespace {

// What the line's thread works through: codes to key and callbacks for when they have left.
using Item = std::variant<std::uint8_t, std::function<void()>>;

// A line with a thread of its own that keys the queued codes in their order.
class QueuedLine : public FskLine {
public:
    ~QueuedLine() override { stopThread(); }

    void send(std::uint8_t code) override { push(code); }
    void whenSent(std::function<void()> done) override { push(std::move(done)); }
    void clear() override
    {
        std::lock_guard lock(mutex_);
        std::erase_if(items_, [](const Item &i) { return i.index() == 0; });
        codes_ = 0;
    }
    std::size_t queued() const override
    {
        std::lock_guard lock(mutex_);
        return codes_;
    }
    std::string fault() const override
    {
        std::lock_guard lock(mutex_);
        return fault_;
    }

protected:
    void startThread()
    {
        thread_ = std::thread([this] { run(); });
    }
    // Stops the thread; a derived line calls it first in its destructor.
    void stopThread()
    {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        wake_.notify_all();
        if (thread_.joinable())
            thread_.join();
    }
    virtual void begin() {}
    virtual bool key(std::uint8_t code) = 0; // false when the port failed
    virtual void drain() = 0;                // until what was keyed has left the port
    virtual std::string portError() const = 0;

private:
    void push(Item item)
    {
        {
            std::lock_guard lock(mutex_);
            codes_ += item.index() == 0;
            items_.push_back(std::move(item));
        }
        wake_.notify_all();
    }
    void run()
    {
        begin();
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [&] { return quit_ || !items_.empty(); });
            if (quit_)
                return;
            Item item = std::move(items_.front());
            items_.pop_front();
            if (item.index() == 0)
                --codes_;
            lock.unlock();
            if (item.index() == 0) {
                if (!key(std::get<0>(item))) {
                    std::lock_guard faultLock(mutex_);
                    fault_ = portError();
                }
            } else {
                drain();
                std::get<1>(item)();
            }
            lock.lock();
        }
    }

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Item> items_;
    std::size_t codes_ = 0;
    bool quit_ = false;
    std::string fault_;
    std::thread thread_;
};

std::string systemError(const std::string &what)
{
    return what + ": " + std::strerror(errno);
}

// Codes as 5-bit UART frames on TXD.
class UartLine : public QueuedLine {
public:
    explicit UartLine(int fd) : fd_(fd) { startThread(); }
    ~UartLine() override
    {
        stopThread();
        ::close(fd_);
    }

private:
    bool key(std::uint8_t code) override
    {
        const auto byte = char(code & 0x1f);
        ssize_t n;
        while ((n = ::write(fd_, &byte, 1)) < 0 && errno == EINTR) {
        }
        if (n == 1)
            return true;
        error_ = systemError("cannot write to the FSK port");
        return false;
    }
    void drain() override { ::ioctl(fd_, TCSBRK, 1); }
    std::string portError() const override { return error_; }

    int fd_;
    std::string error_;
};

// Codes keyed bit by bit on DTR or RTS.
class TimedLine : public QueuedLine {
public:
    TimedLine(int fd, int line, bool reverse, double baud)
        : fd_(fd), keying_(baud, [this, line, reverse](bool space) {
              int bits = line;
              if (::ioctl(fd_, space != reverse ? TIOCMBIS : TIOCMBIC, &bits) == 0)
                  return true;
              error_ = systemError("cannot key the FSK line");
              return false;
          })
    {
        startThread();
    }
    ~TimedLine() override
    {
        stopThread();
        ::close(fd_);
    }

private:
    void begin() override { TimedKeying::prepareThread(); }
    bool key(std::uint8_t code) override { return keying_.frame(code); }
    void drain() override { keying_.finish(); }
    std::string portError() const override { return error_; }

    int fd_;
    TimedKeying keying_;
    std::string error_;
};

// The UART rate asked for a baud rate: termios2 takes whole numbers, and one a little fast
// leaves the UART a moment of extra stop between frames instead of falling behind the text.
unsigned uartRate(double baud)
{
    return unsigned(std::ceil(baud));
}

bool pseudoTerminal(int fd)
{
    struct stat s {};
    return ::fstat(fd, &s) == 0 && S_ISCHR(s.st_mode) && major(s.st_rdev) >= 136 &&
           major(s.st_rdev) <= 143;
}

bool setUartFrames(int fd, double baud, std::string &error)
{
    termios2 tio{};
    if (::ioctl(fd, TCGETS2, &tio) < 0) {
        error = systemError("the FSK port is not a serial port");
        return false;
    }
    tio.c_iflag = 0;
    tio.c_oflag = 0;
    tio.c_lflag = 0;
    tio.c_cflag &= ~tcflag_t(CBAUD | (CBAUD << IBSHIFT) | CSIZE | PARENB | CRTSCTS);
    tio.c_cflag |= BOTHER | (BOTHER << IBSHIFT) | CS5 | CSTOPB | CLOCAL | CREAD;
    tio.c_ospeed = tio.c_ispeed = uartRate(baud);
    if (::ioctl(fd, TCSETS2, &tio) < 0) {
        error = systemError("the FSK port refuses " + std::to_string(uartRate(baud)) + " baud");
        return false;
    }
    termios2 got{};
    ::ioctl(fd, TCGETS2, &got);
    // A pseudo-terminal has no UART and always reports 8 bits; it carries the codes as they are.
    if (!pseudoTerminal(fd) && ((got.c_cflag & CSIZE) != CS5 || !(got.c_cflag & CSTOPB))) {
        error = "the FSK port's UART does not make 5-bit frames; key DTR or RTS instead "
                "(method fsk-dtr or fsk-rts)";
        return false;
    }
    if (std::fabs(double(got.c_ospeed) - baud) > 0.02 * baud) {
        error = "the FSK port cannot run at " + std::to_string(uartRate(baud)) +
                " baud (it offers " + std::to_string(got.c_ospeed) +
                "); key DTR or RTS instead (method fsk-dtr or fsk-rts)";
        return false;
    }
    return true;
}

} // namespace

std::unique_ptr<FskLine> openFskLine(const TxSettings &settings, double baud, std::string &error)
{
    if (settings.method == TxMethod::Afsk) {
        error = "the transmitter is set for AFSK";
        return nullptr;
    }
    if (settings.fskPort.empty()) {
        error = "no FSK port is set";
        return nullptr;
    }
    if (settings.method == TxMethod::Fsk && settings.fskReverse) {
        error = "a UART's idle state cannot be reversed: set the radio's FSK keying polarity, "
                "or key DTR or RTS (method fsk-dtr or fsk-rts)";
        return nullptr;
    }
    const int fd = ::open(settings.fskPort.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error = systemError("cannot open the FSK port " + settings.fskPort);
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK); // writes wait for the UART
    if (settings.method == TxMethod::Fsk) {
        if (!setUartFrames(fd, baud, error)) {
            ::close(fd);
            return nullptr;
        }
        return std::make_unique<UartLine>(fd);
    }
    // Mark to start with: the keyed line low (high when reversed).
    const int line = settings.method == TxMethod::FskDtr ? TIOCM_DTR : TIOCM_RTS;
    int bits = line;
    if (::ioctl(fd, settings.fskReverse ? TIOCMBIS : TIOCMBIC, &bits) < 0) {
        error = systemError("cannot key the FSK port " + settings.fskPort);
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<TimedLine>(fd, line, settings.fskReverse, baud);
}

} // namespace engineio
