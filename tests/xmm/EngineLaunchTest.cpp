// Starting the engine program: what the window shows when there is no engine to start or the
// program never greets.
#include "ProcessEngineSide.h"
#include "RTTYMain.h"
#include "ShellScript.h"
#include "TXMMR.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

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
