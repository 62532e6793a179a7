// Finding the engine program from the command line the terminal writes.
#include "EngineCommandLine.h"

#include "ShellScript.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(EngineCommandLine, TheEngineTokenNamesOurEngineInAnyCase)
{
    EXPECT_EQ(xmm::engineProgramFileName("MMTTY.EXE"), "tolmfsk-engine");
    EXPECT_EQ(xmm::engineProgramFileName("mmtty.exe"), "tolmfsk-engine");
    EXPECT_EQ(xmm::engineProgramFileName("other"), "other");
}

TEST(EngineCommandLine, LooksBesideTheTerminalFirstThenOnThePath)
{
    QTemporaryDir beside, onPath;
    const QString local = writeScript(beside, "tolmfsk-engine", "exit 0\n");
    const QString remote = writeScript(onPath, "tolmfsk-engine", "exit 0\n");

    auto found = xmm::resolveEngineCommandLine("MMTTY.EXE -m", beside.path(), {onPath.path()});
    ASSERT_TRUE(found);
    EXPECT_EQ(found->program, local);
    EXPECT_EQ(found->arguments, QStringList({"-m"}));

    found =
        xmm::resolveEngineCommandLine("MMTTY.EXE ", QDir::tempPath() + "/nowhere", {onPath.path()});
    ASSERT_TRUE(found);
    EXPECT_EQ(found->program, remote);
    EXPECT_TRUE(found->arguments.isEmpty());
}

TEST(EngineCommandLine, NothingWhenEmptyOrNotFound)
{
    QTemporaryDir empty;
    EXPECT_FALSE(xmm::resolveEngineCommandLine("", empty.path(), {empty.path()}));
    EXPECT_FALSE(xmm::resolveEngineCommandLine("   ", empty.path(), {empty.path()}));
    EXPECT_FALSE(xmm::resolveEngineCommandLine("MMTTY.EXE -m", empty.path(), {empty.path()}));
    // A file that is there but cannot be run is not an engine.
    QFile plain(empty.filePath("tolmfsk-engine"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    EXPECT_FALSE(xmm::resolveEngineCommandLine("MMTTY.EXE -m", empty.path(), {}));
}
