// A Ptt object on its own, not through the keyer: destroyed while keyed, it releases the
// radio. Against rigctld's dummy rig with CAT PTT, and a pseudo-terminal whose RTS and DTR the
// modem-line shim (loaded into this program by LD_PRELOAD) answers and records.
#include "Ptt.h"

#include "ModemLineLog.h"
#include "Rigctld.h"

#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <optional>
#include <pty.h>
#include <sys/ioctl.h>
#include <unistd.h>

using namespace engineio;

TEST(Ptt, DestroyedWhileKeyedReleasesTheCatPtt)
{
    Rigctld rigctld;
    ASSERT_TRUE(rigctld.start()) << "rigctld does not start";
    PttSettings settings;
    settings.method = PttMethod::Cat;
    settings.port = rigctld.address().toStdString();
    settings.hamlibModel = radio::RigctldModel;
    {
        Ptt ptt(settings);
        ASSERT_TRUE(ptt.ready()) << ptt.error();
        ASSERT_TRUE(ptt.set(true)) << ptt.error();
        ASSERT_EQ(rigctld.ptt(), 1) << "keyed";
    }
    EXPECT_EQ(rigctld.ptt(), 0) << "a destroyed Ptt left the radio transmitting";
}

namespace {

// A pseudo-terminal whose modem lines the shim answers for, its calls logged to a file.
class ShimmedPort {
public:
    ShimmedPort()
    {
        char name[128] = {};
        if (::openpty(&controller_, &device_, name, nullptr, nullptr) != 0)
            return;
        name_ = name;
        log_ = folder_.filePath("lines.log");
        ::setenv("TOLMFSK_SHIM_DEVICE", name, 1);
        ::setenv("TOLMFSK_SHIM_LOG", log_.toLocal8Bit().constData(), 1);
    }
    ~ShimmedPort()
    {
        ::unsetenv("TOLMFSK_SHIM_DEVICE");
        ::unsetenv("TOLMFSK_SHIM_LOG");
        ::close(controller_);
        ::close(device_);
    }
    // The lines as they stand (TIOCM_ bits); nothing when no shim answers for the port.
    std::optional<int> lines() const
    {
        int bits = 0;
        if (::ioctl(device_, TIOCMGET, &bits) != 0)
            return std::nullopt;
        return bits;
    }

    std::string name_;
    QString log_;

private:
    QTemporaryDir folder_;
    int controller_ = -1, device_ = -1;
};

class SerialPtt : public ::testing::TestWithParam<PttMethod> {};

} // namespace

TEST_P(SerialPtt, DestroyedWhileKeyedDropsItsLine)
{
    const PttMethod method = GetParam();
    const int line = method == PttMethod::Rts ? TIOCM_RTS : TIOCM_DTR;
    ShimmedPort port;
    ASSERT_FALSE(port.name_.empty());
    ASSERT_TRUE(port.lines().has_value())
        << "run with LD_PRELOAD naming libmodemlineshim.so (ctest does): a pseudo-terminal has "
           "no modem lines of its own";
    PttSettings settings;
    settings.method = method;
    settings.port = port.name_;
    {
        Ptt ptt(settings);
        ASSERT_TRUE(ptt.ready()) << ptt.error();
        ASSERT_TRUE(ptt.set(true)) << ptt.error();
        ASSERT_EQ(port.lines().value_or(0), line) << "keyed on its line alone";
    }
    EXPECT_EQ(port.lines().value_or(-1), 0) << "a destroyed Ptt left its line raised";
    const auto calls = readModemLineLog(port.log_);
    ASSERT_FALSE(calls.empty());
    const auto last = std::find_if(calls.rbegin(), calls.rend(),
                                   [](const ModemLineCall &c) { return c.op != "GET"; });
    ASSERT_NE(last, calls.rend());
    EXPECT_EQ(last->op, "BIC") << "released by the Ptt itself, not left to the port's close";
    EXPECT_EQ(last->linesAfter, 0);
}

INSTANTIATE_TEST_SUITE_P(Destroyed, SerialPtt, ::testing::Values(PttMethod::Rts, PttMethod::Dtr),
                         [](const auto &info) {
                             return std::string(info.param == PttMethod::Rts ? "Rts" : "Dtr");
                         });
