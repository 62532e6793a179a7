// Runs the GoogleTest cases of a program without windows inside a QCoreApplication, whose
// event loop carries the processes and sockets the tests talk to.
#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
