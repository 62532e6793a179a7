// The engine's handling of the terminal's commands and switch words, judged by what the engine
// then does: where it listens, how fast it reads, what its squelch lets through, where it
// notches, whether AFC follows, and what it transmits.
#include "EngineCore.h"

#include "Channel.h"
#include "DataBlocks.h"
#include "EngineLinkProtocol.h"
#include "IgnoredEvents.h"
#include "SwitchWords.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace rtty;
using namespace enginelink;

namespace {

struct Recorder : IgnoredEvents {
    std::string text;
    int statusRecords = 0;
    std::vector<bool> transmittingChanges;
    void character(char c) override { text += c; }
    void status(const std::vector<std::int32_t> &) override { ++statusRecords; }
    void transmitting(bool on) override { transmittingChanges.push_back(on); }
};

const std::string Sample = "RYRY CQ DE ZZ9ZZZ THE QUICK BROWN FOX 0123456789 K ";

class EngineCoreTest : public ::testing::Test {
protected:
    // The sample sent clear of noise (20 dB) with one of the channel's settings changed.
    template <typename Change> static std::vector<float> clearSample(Change change)
    {
        channel::Settings s;
        s.snrDb = 20;
        change(s);
        return channel::transmit(Sample, s);
    }
    std::int32_t field(int index) const { return core.statusRecord().at(std::size_t(index)); }

    // Receives audio; gives what was transmitted meanwhile.
    std::vector<float> run(const std::vector<float> &audio)
    {
        std::vector<float> tx(audio.size());
        for (std::size_t at = 0; at < audio.size(); at += 256) {
            const std::size_t n = std::min<std::size_t>(256, audio.size() - at);
            core.process(audio.data() + at, tx.data() + at, n, 0);
        }
        return tx;
    }
    std::vector<float> silence(double seconds)
    {
        return std::vector<float>(std::size_t(seconds * EngineCore::SampleRateHz), 0.0f);
    }

    Recorder events;
    EngineCore core{events};
};

} // namespace

TEST_F(EngineCoreTest, TonesFollowCommandsNineTenTwentySevenAndTwelve)
{
    core.setSwitch(switchOff(SwitchBitAfc));
    core.postCommand(CmdMarkHz, 1500);
    EXPECT_EQ(field(StatusMarkHz), 1500);
    EXPECT_EQ(field(StatusSpaceHz), 1670) << "the shift is kept";
    core.postCommand(CmdSpaceHz, 1800);
    EXPECT_EQ(field(StatusSpaceHz), 1800);
    core.postCommand(CmdMarkAndShift, 1275 | (200 << 16));
    EXPECT_EQ(field(StatusMarkHz), 1275);
    EXPECT_EQ(field(StatusSpaceHz), 1475);
    core.postCommand(CmdBaud, 7500);
    core.postCommand(CmdHamDefaults, 0);
    EXPECT_EQ(field(StatusMarkHz), 2125);
    EXPECT_EQ(field(StatusSpaceHz), 2295);
    EXPECT_EQ(field(StatusBaudX100), 4545);
    // Out of the sound card's range: nothing changes.
    core.postCommand(CmdMarkHz, 0);
    core.postCommand(CmdMarkHz, 9000);
    EXPECT_EQ(field(StatusMarkHz), 2125);
}

TEST_F(EngineCoreTest, TheEngineListensWhereTheTonesAreSet)
{
    const auto audio = clearSample([](channel::Settings &s) { s.markHz = 1275; });
    run(audio);
    EXPECT_EQ(events.text.find("QUICK BROWN"), std::string::npos)
        << "nothing read at 1275 Hz while listening at 2125 Hz: " << events.text;
    events.text.clear();
    core.postCommand(CmdMarkAndShift, 1275 | (170 << 16));
    run(audio);
    EXPECT_NE(events.text.find("THE QUICK BROWN FOX 0123456789"), std::string::npos) << events.text;
}

TEST_F(EngineCoreTest, CommandEightSetsTheSpeed)
{
    const auto audio = clearSample([](channel::Settings &s) { s.baud = 75; });
    core.postCommand(CmdBaud, 7500);
    EXPECT_EQ(field(StatusBaudX100), 7500);
    run(audio);
    EXPECT_NE(events.text.find("THE QUICK BROWN FOX 0123456789"), std::string::npos) << events.text;
    core.postCommand(CmdBaud, 0); // refused
    EXPECT_EQ(field(StatusBaudX100), 7500);
}

TEST_F(EngineCoreTest, TheSquelchLevelAndSwitchKeepNoiseOffThePage)
{
    channel::Settings s;
    s.snrDb = -30; // noise, practically
    s.leadSeconds = 0;
    const auto noise = channel::transmit(std::string(40, ' '), s);
    run(noise);
    EXPECT_GT(events.text.size(), 5u) << "without squelch noise prints";
    events.text.clear();
    core.postCommand(CmdSquelchLevel, 600);
    EXPECT_EQ(field(StatusSquelchLevel), 600);
    core.setSwitch(SwitchSquelch);
    EXPECT_TRUE(field(StatusSwitchWord) & SwitchBitSql);
    run(noise);
    EXPECT_EQ(events.text, "");
    core.setSwitch(switchOff(SwitchBitSql));
    EXPECT_FALSE(field(StatusSwitchWord) & SwitchBitSql);
}

TEST_F(EngineCoreTest, TheNotchSitsWhereCommandTwentyThreeSaysWhileItIsOn)
{
    EXPECT_EQ(field(StatusNotch1Hz), 0) << "off at start";
    core.setSwitch(SwitchNotchOn);
    EXPECT_EQ(field(StatusNotch1Hz), 500) << "where the terminal's notch field starts";
    core.postCommand(CmdNotchHz, 1234);
    EXPECT_EQ(field(StatusNotch1Hz), 1234);
    core.setSwitch(SwitchNotchOff);
    EXPECT_EQ(field(StatusNotch1Hz), 0);
}

TEST_F(EngineCoreTest, AfcFollowsACallerOffFrequencyOnlyWhileItIsOn)
{
    const auto audio = clearSample([](channel::Settings &s) { s.offsetHz = 40; });
    core.setSwitch(switchOff(SwitchBitAfc));
    EXPECT_FALSE(field(StatusSwitchWord) & SwitchOnMark);
    run(audio);
    EXPECT_EQ(field(StatusMarkHz), 2125) << "AFC off: where it was set";
    core.setSwitch(SwitchAfc);
    run(audio);
    EXPECT_NEAR(field(StatusMarkHz), 2165, 5) << "AFC on: on the caller's mark";
}

TEST_F(EngineCoreTest, EverySwitchWordDoesWhatItSays)
{
    struct Case {
        std::int32_t on;
        SwitchBit bit;
    };
    for (const Case c : {Case{SwitchNet, SwitchBitNet}, Case{SwitchAtc, SwitchBitAtc},
                         Case{SwitchTxBandpass, SwitchBitBpf}, Case{SwitchLms, SwitchBitLms},
                         Case{SwitchSquelch, SwitchBitSql}, Case{SwitchReverse, SwitchBitRev},
                         Case{SwitchUnshiftOnSpace, SwitchBitUos}}) {
        core.setSwitch(c.on);
        EXPECT_TRUE(field(StatusSwitchWord) & c.bit) << c.on;
    }
    // Off by name, in any order; 0 takes the most recent one still on.
    core.setSwitch(switchOff(SwitchBitLms));
    EXPECT_FALSE(field(StatusSwitchWord) & SwitchBitLms);
    core.setSwitch(SwitchRelease);
    EXPECT_FALSE(field(StatusSwitchWord) & SwitchBitUos);
    EXPECT_TRUE(field(StatusSwitchWord) & SwitchBitRev);
    core.setSwitch(SwitchNotchOn);
    core.setSwitch(SwitchResetAll);
    EXPECT_EQ(field(StatusSwitchWord), SwitchOnMark) << "everything off but AFC";
    core.setSwitch(switchOff(SwitchBitAfc));
    core.setSwitch(SwitchResetAll);
    EXPECT_EQ(field(StatusSwitchWord), 0) << "AFC keeps its state";
    core.setSwitch(SwitchOnMark | 1024); // names nothing the engine has: no change
    core.setSwitch(1);
    EXPECT_EQ(field(StatusSwitchWord), 0);
}

TEST_F(EngineCoreTest, CommandThreeTransmitsReturnsStopsAndClears)
{
    core.sendText("RY RY");
    EXPECT_EQ(field(StatusTxBuffered), 5);
    core.postCommand(CmdTransmitControl, TxClearBuffer);
    EXPECT_EQ(field(StatusTxBuffered), 0);

    core.sendText("CQ");
    core.postCommand(CmdTransmitControl, TxTransmit);
    EXPECT_EQ(field(StatusTransmitting), 1);
    auto tx = run(silence(0.5));
    EXPECT_GT(*std::max_element(tx.begin(), tx.end()), 0.4f) << "a signal goes out";
    core.postCommand(CmdTransmitControl, TxReceiveAfterSending);
    run(silence(3));
    EXPECT_EQ(field(StatusTransmitting), 0) << "back to receive once the text was sent";
    EXPECT_EQ(events.transmittingChanges, std::vector<bool>({true, false}));

    core.sendText(std::string(100, 'E'));
    core.postCommand(CmdTransmitControl, TxSwitchToTransmit);
    run(silence(0.5));
    core.postCommand(CmdTransmitControl, TxStopNow);
    tx = run(silence(0.05));
    EXPECT_EQ(field(StatusTransmitting), 0) << "stopped within the 5 ms fall";
    EXPECT_EQ(field(StatusTxBuffered), 0) << "the rest dropped";
    EXPECT_EQ(tx.back(), 0.0f);
}

TEST_F(EngineCoreTest, CommandSevenSendsAStatusRecordAtOnce)
{
    const int before = events.statusRecords;
    core.postCommand(CmdRequestParameters, 0);
    EXPECT_EQ(events.statusRecords, before + 1);
    EXPECT_EQ(field(StatusFieldCount), StatusFieldsKnown);
}
