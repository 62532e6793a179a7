// LD_PRELOAD shim that gives a pseudo-terminal the modem lines it lacks, and records what a
// program does with them. For the device named by TOLMFSK_SHIM_DEVICE it answers TIOCMBIS,
// TIOCMBIC, TIOCMSET and TIOCMGET itself (the lines start raised, as Linux raises DTR and RTS
// when a port opens) and appends a line per call to the file named by TOLMFSK_SHIM_LOG:
//
//   <CLOCK_MONOTONIC ns> <BIS|BIC|SET|GET> <bits asked> <DTR and RTS after: 0..3, DTR 1, RTS 2>
//   <CLOCK_MONOTONIC ns> TCSETS2 <c_cflag asked> <c_ospeed asked>   (passed on to the device)
//
// Every other ioctl goes to the C library.
#include <asm/termbits.h>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <limits.h>
#include <mutex>
#include <sys/ioctl.h>
#include <time.h>
#include <unistd.h>

namespace {

std::mutex mutex;
int lines = TIOCM_DTR | TIOCM_RTS;

bool isShimmed(int fd)
{
    const char *device = std::getenv("TOLMFSK_SHIM_DEVICE");
    if (!device || !*device)
        return false;
    char link[64], target[PATH_MAX], wanted[PATH_MAX];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = ::readlink(link, target, sizeof target - 1);
    if (n <= 0 || !::realpath(device, wanted))
        return false;
    target[n] = '\0';
    return std::strcmp(target, wanted) == 0;
}

// The time a call was made: taken first thing, before the shim's own work.
thread_local timespec calledAt{};

void recordLine(const char *op, int first, int second)
{
    const char *path = std::getenv("TOLMFSK_SHIM_LOG");
    if (!path)
        return;
    const timespec now = calledAt;
    char text[96];
    const int length =
        std::snprintf(text, sizeof text, "%lld %s %d %d\n",
                      (long long)now.tv_sec * 1000000000LL + now.tv_nsec, op, first, second);
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd >= 0) {
        (void)!::write(fd, text, std::size_t(length));
        ::close(fd);
    }
}

void record(const char *op, int bits)
{
    recordLine(op, bits, ((lines & TIOCM_DTR) ? 1 : 0) | ((lines & TIOCM_RTS) ? 2 : 0));
}

} // namespace

extern "C" int ioctl(int fd, unsigned long request, ...)
{
    ::clock_gettime(CLOCK_MONOTONIC, &calledAt);
    va_list arguments;
    va_start(arguments, request);
    void *argument = va_arg(arguments, void *);
    va_end(arguments);
    const bool modemLines =
        request == TIOCMBIS || request == TIOCMBIC || request == TIOCMSET || request == TIOCMGET;
    if (modemLines && isShimmed(fd)) {
        std::lock_guard lock(mutex);
        int *bits = static_cast<int *>(argument);
        switch (request) {
        case TIOCMBIS:
            lines |= *bits;
            record("BIS", *bits);
            break;
        case TIOCMBIC:
            lines &= ~*bits;
            record("BIC", *bits);
            break;
        case TIOCMSET:
            lines = *bits;
            record("SET", *bits);
            break;
        default:
            *bits = lines;
            record("GET", lines);
            break;
        }
        return 0;
    }
    // The serial settings asked of the device, passed on: the flags and the output rate.
    if (request == TCSETS2 && isShimmed(fd)) {
        std::lock_guard lock(mutex);
        const auto *settings = static_cast<const termios2 *>(argument);
        recordLine("TCSETS2", int(settings->c_cflag), int(settings->c_ospeed));
    }
    using Ioctl = int (*)(int, unsigned long, void *);
    static const auto next = reinterpret_cast<Ioctl>(::dlsym(RTLD_NEXT, "ioctl"));
    return next(fd, request, argument);
}
