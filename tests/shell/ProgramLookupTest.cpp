// Finding the program a command line names: the engine the terminal starts, the host a
// conversation starts.
#include "ProgramLookup.h"

#include "ShellScript.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(ProgramLookup, TheOriginalsNamesNameOurProgramsInAnyCase)
{
    EXPECT_EQ(shell::programFileName("MMTTY.EXE"), "tolmfsk-engine");
    EXPECT_EQ(shell::programFileName("mmtty.exe"), "tolmfsk-engine");
    EXPECT_EQ(shell::programFileName("ddeserverap"), "tolmfsk-host");
    EXPECT_EQ(shell::programFileName("other"), "other");
}

TEST(ProgramLookup, LooksBesideTheTerminalFirstThenOnThePath)
{
    QTemporaryDir beside, onPath;
    const QString local = writeScript(beside, "tolmfsk-engine", "exit 0\n");
    const QString remote = writeScript(onPath, "tolmfsk-engine", "exit 0\n");

    auto found = shell::resolveCommandLine("MMTTY.EXE -m", beside.path(), {onPath.path()});
    ASSERT_TRUE(found);
    EXPECT_EQ(found->program, local);
    EXPECT_EQ(found->arguments, QStringList({"-m"}));

    found = shell::resolveCommandLine("MMTTY.EXE ", QDir::tempPath() + "/nowhere", {onPath.path()});
    ASSERT_TRUE(found);
    EXPECT_EQ(found->program, remote);
    EXPECT_TRUE(found->arguments.isEmpty());
}

TEST(ProgramLookup, NothingWhenEmptyOrNotFound)
{
    QTemporaryDir empty;
    EXPECT_FALSE(shell::resolveCommandLine("", empty.path(), {empty.path()}));
    EXPECT_FALSE(shell::resolveCommandLine("   ", empty.path(), {empty.path()}));
    EXPECT_FALSE(shell::resolveCommandLine("MMTTY.EXE -m", empty.path(), {empty.path()}));
    // A file that is there but cannot be run is not an engine.
    QFile plain(empty.filePath("tolmfsk-engine"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    EXPECT_FALSE(shell::resolveCommandLine("MMTTY.EXE -m", empty.path(), {}));
}
