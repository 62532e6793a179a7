// One terminal per user: a second start reaches the first, which comes forward; a socket left
// behind by a terminal that ended badly does not stop the next one.
#include "SingleInstance.h"

#include "FolderVariable.h"
#include "UnixSocket.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

class SingleInstanceTest : public ::testing::Test {
protected:
    FolderVariable runtime{"XDG_RUNTIME_DIR"};
};

} // namespace

TEST_F(SingleInstanceTest, ASecondStartBringsTheFirstForward)
{
    EXPECT_FALSE(SingleInstance::handOver()) << "nobody runs yet";
    int forward = 0;
    SingleInstance first([&] { ++forward; });
    EXPECT_TRUE(SingleInstance::handOver());
    EXPECT_TRUE(QTest::qWaitFor([&] { return forward == 1; }, 2000));
    EXPECT_TRUE(SingleInstance::handOver());
    EXPECT_TRUE(QTest::qWaitFor([&] { return forward == 2; }, 2000));
}

TEST_F(SingleInstanceTest, ASocketLeftBehindDoesNotStopTheNextTerminal)
{
    // A socket bound and closed, as a terminal that was killed leaves it.
    ASSERT_TRUE(leaveStaleSocket(SingleInstance::socketPath().toLocal8Bit()));
    ASSERT_TRUE(QFile::exists(SingleInstance::socketPath()));

    EXPECT_FALSE(SingleInstance::handOver());
    int forward = 0;
    SingleInstance next([&] { ++forward; });
    EXPECT_TRUE(SingleInstance::handOver());
    EXPECT_TRUE(QTest::qWaitFor([&] { return forward == 1; }, 2000));
}
