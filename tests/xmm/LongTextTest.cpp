// A text of any length goes to the engine whole and in order: longer than one link message
// holds, made before the engine has greeted, and into the real engine's transmit buffer.
#include "DataBlocks.h"
#include "EngineLinkProtocol.h"
#include "FolderVariable.h"
#include "ProcessEngineSide.h"
#include "SwitchWords.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A text whose every stretch is different, so that a lost, doubled or swapped piece shows.
QString numberedText(int characters)
{
    QString text;
    for (int i = 0; text.size() < characters; ++i)
        text += QString::number(i).rightJustified(6, '0') + ' ';
    text.truncate(characters);
    return text;
}

// An engine side whose engine is the recording engine, under the engine's own name.
class RecordedLinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFile::link(QCoreApplication::applicationDirPath() + "/recording-engine",
                                beside.filePath("tolmfsk-engine")));
        qputenv("TOLMFSK_RECORD_FILE", beside.filePath("texts").toLocal8Bit());
        side.setBesideDir(beside.path());
    }
    void TearDown() override { qunsetenv("TOLMFSK_RECORD_FILE"); }

    QByteArray recorded()
    {
        side.stop(); // quit: the recording engine has read everything before it
        QFile file(beside.filePath("texts"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir beside;
    xmm::ProcessEngineSide side;
};

} // namespace

TEST_F(RecordedLinkTest, AHundredThousandCharactersArriveWholeAndInOrder)
{
    side.start("MMTTY.EXE -m");
    ASSERT_TRUE(QTest::qWaitFor([&] { return side.isConnected(); }, 5000));
    const QString text = numberedText(100000);
    side.sendText(text);
    side.sendText("K");
    EXPECT_EQ(recorded(), text.toLatin1() + "K");
}

TEST_F(RecordedLinkTest, ALongTextMadeBeforeTheHelloIsHeldWholeAndInOrder)
{
    side.start("MMTTY.EXE -m");
    const QString text = numberedText(10000);
    side.sendText(text); // the engine has not greeted yet
    ASSERT_TRUE(QTest::qWaitFor([&] { return side.isConnected(); }, 5000));
    EXPECT_EQ(recorded(), text.toLatin1());
}

namespace {

// The real engine, on its demo signal, in a configuration folder of its own.
class RealEngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir(config.path()).mkpath("tolmfsk");
        QFile ini(config.filePath("tolmfsk/engine.ini"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[audio]\nsource=demo\n");
        ini.close();
        QObject::connect(&side, &xmm::EngineSide::statusRecord, [&](const std::int32_t *r) {
            record.assign(r, r + r[enginelink::StatusFieldCount]);
        });
    }
    void TearDown() override { side.stop(); }
    // A status record asked for now (or one of those the engine sends anyway).
    bool askStatus()
    {
        record.clear();
        side.postCommand(enginelink::CmdRequestParameters, 0);
        return QTest::qWaitFor([&] { return !record.empty(); }, 3000);
    }

    FolderVariable config{"XDG_CONFIG_HOME"};
    xmm::ProcessEngineSide side;
    std::vector<std::int32_t> record;
};

} // namespace

// START's switch word and Reconnect's tones are sent before the new engine has greeted: they
// are held and reach it, in order, once it has.
TEST_F(RealEngineTest, RequestsMadeWhileTheEngineStartsReachIt)
{
    side.start("MMTTY.EXE -m");
    ASSERT_FALSE(side.isConnected());
    side.setSwitch(enginelink::SwitchAtc);
    side.setSwitch(enginelink::switchOff(enginelink::SwitchBitAfc));
    side.postCommand(enginelink::CmdMarkHz, 1500);
    side.postCommand(enginelink::CmdSpaceHz, 1800);
    side.setSwitch(enginelink::SwitchResetAll);
    ASSERT_TRUE(QTest::qWaitFor([&] { return side.isConnected(); }, 6000));
    // A record the engine sent before it had read the requests may come first.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return askStatus() && record[enginelink::StatusMarkHz] == 1500; }, 5000));
    EXPECT_EQ(record[enginelink::StatusSpaceHz], 1800);
    EXPECT_EQ(record[enginelink::StatusSwitchWord], 0) << "ATC off by the reset, AFC left off";
}

// The real engine keeps all of it in its transmit buffer (status field 12) and goes on running.
TEST_F(RealEngineTest, TheRealEngineTakesAHundredThousandCharacters)
{
    std::int16_t lost = -1;
    QObject::connect(&side, &xmm::EngineSide::engineDisconnected,
                     [&](std::int16_t status) { lost = status; });
    side.start("MMTTY.EXE -m");
    ASSERT_TRUE(QTest::qWaitFor([&] { return side.isConnected(); }, 6000));
    QString text;
    while (text.size() < 100000)
        text += "THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 0123456789 ";
    text.truncate(100000);
    side.sendText(text);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return !record.empty() && record[enginelink::StatusTxBuffered] == 100000; }, 5000));
    EXPECT_EQ(lost, -1) << "the engine ended";
    EXPECT_TRUE(side.isConnected());
}
