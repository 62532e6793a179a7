// A text of any length goes to the engine whole and in order: longer than one link message
// holds, made before the engine has greeted, and into the real engine's transmit buffer.
#include "DataBlocks.h"
#include "ProcessEngineSide.h"

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

// The real engine keeps all of it in its transmit buffer (status field 12) and goes on running.
TEST(LongTextToTheEngine, TheRealEngineTakesAHundredThousandCharacters)
{
    QTemporaryDir config;
    QDir(config.path()).mkpath("tolmfsk");
    QFile ini(config.filePath("tolmfsk/engine.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[audio]\nsource=demo\n");
    ini.close();
    const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());

    xmm::ProcessEngineSide side;
    std::int32_t buffered = -1;
    QObject::connect(&side, &xmm::EngineSide::statusRecord, [&](const std::int32_t *record) {
        buffered = enginelink::statusField(record, enginelink::StatusTxBuffered, -1);
    });
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
    EXPECT_TRUE(QTest::qWaitFor([&] { return buffered == 100000; }, 5000)) << buffered;
    EXPECT_EQ(lost, -1) << "the engine ended";
    EXPECT_TRUE(side.isConnected());
    side.stop();
    qputenv("XDG_CONFIG_HOME", savedConfig);
}
