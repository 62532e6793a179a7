// Finding and starting the engine program: the command-line resolution, and what the window
// shows when there is no engine to start or the program never greets.
#include "EngineCommandLine.h"
#include "ProcessEngineSide.h"
#include "RTTYMain.h"
#include "TXMMR.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Writes an executable shell script into dir.
QString writeScript(const QTemporaryDir &dir, const QString &name, const QByteArray &body)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n" + body);
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

} // namespace

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

TEST(EngineLaunch, StartWithoutAnEngineProgramShowsInvokingFailed)
{
    QTemporaryDir emptyPath;
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", emptyPath.path().toLocal8Bit());
    {
        TForm1 form;
        auto side = std::make_unique<xmm::ProcessEngineSide>();
        side->setBesideDir(emptyPath.path());
        form.XMMR->setEngineSide(std::move(side));
        form.Button3->click();
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return form.statusPanelText(0) == "MMTTY invoking failed."; }, 2000));
    }
    qputenv("PATH", savedPath);
}

TEST(EngineLaunch, AProgramThatNeverGreetsIsStoppedAndReportedAfterTheBound)
{
    QTemporaryDir dir;
    const QString pidFile = dir.filePath("pid");
    writeScript(dir, "silent-engine",
                "echo $$ > " + pidFile.toLocal8Bit() + "\nexec /bin/sleep 60\n");
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", dir.path().toLocal8Bit());

    xmm::ProcessEngineSide side;
    QSignalSpy disconnected(&side, &xmm::EngineSide::engineDisconnected);
    QElapsedTimer clock;
    clock.start();
    side.start("silent-engine");
    EXPECT_TRUE(side.isRunning());
    ASSERT_TRUE(disconnected.wait(xmm::ProcessEngineSide::HelloTimeoutMs + 3000));
    EXPECT_GE(clock.elapsed(), xmm::ProcessEngineSide::HelloTimeoutMs - 100);
    EXPECT_EQ(disconnected.first().first().value<std::int16_t>(), 2);
    EXPECT_FALSE(side.isRunning());
    qputenv("PATH", savedPath);
}

TEST(EngineLaunch, StopEndsTheProgramWithoutAReport)
{
    QTemporaryDir dir;
    writeScript(dir, "lingering", "exec /bin/sleep 60\n");
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", dir.path().toLocal8Bit());
    xmm::ProcessEngineSide side;
    QSignalSpy disconnected(&side, &xmm::EngineSide::engineDisconnected);
    side.start("lingering");
    ASSERT_TRUE(QTest::qWaitFor([&] { return side.isRunning(); }, 1000));
    side.stop();
    EXPECT_FALSE(side.isRunning());
    QTest::qWait(50);
    EXPECT_EQ(disconnected.count(), 0);
    qputenv("PATH", savedPath);
}
