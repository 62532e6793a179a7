// The engine program's handling of faults at its edges, on fakes that fail on cue: sound that
// is reopened about once a second and paced in real time while it is down, and what the
// engine then says of its sound and PTT.
#include "EngineHealth.h"
#include "ReopeningSound.h"

#include <chrono>
#include <gtest/gtest.h>

using namespace engineio;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

// A device whose reads or writes fail once `failed` is set; reads return at once.
struct FlakyDevice {
    bool failed = false;
    int opened = 0;
    bool opens = true;
};

class FlakyInput : public AudioInput {
public:
    explicit FlakyInput(FlakyDevice &device) : device_(device) {}
    bool read(float *out, std::size_t n) override
    {
        std::fill(out, out + n, device_.failed ? 0.0f : 0.25f);
        return !device_.failed;
    }
    std::string fault() const override { return device_.failed ? "unplugged" : ""; }

private:
    FlakyDevice &device_;
};

class FlakyOutput : public AudioOutput {
public:
    explicit FlakyOutput(FlakyDevice &device) : device_(device) {}
    bool write(const float *, std::size_t) override { return !device_.failed; }
    void whenPlayed(std::function<void()> played) override { played(); }
    std::string fault() const override { return device_.failed ? "unplugged" : ""; }
    bool paced() const override { return true; }

private:
    FlakyDevice &device_;
};

template <typename Device, typename Fake> auto opener(FlakyDevice &device)
{
    return [&device](std::string &error) -> std::unique_ptr<Device> {
        if (!device.opens) {
            error = "no such device";
            return nullptr;
        }
        ++device.opened;
        device.failed = false;
        return std::make_unique<Fake>(device);
    };
}

// A flaky device, and the faults its reopening sound reports.
class FlakySound : public ::testing::Test {
protected:
    template <typename Sound, typename Device, typename Fake>
    Sound open(std::chrono::milliseconds retry)
    {
        return Sound(
            opener<Device, Fake>(device),
            [this](const std::string &fault) { reports.push_back(fault); }, retry);
    }

    FlakyDevice device;
    std::vector<std::string> reports;
};

} // namespace

TEST_F(FlakySound, ALostInputDeviceGivesSilenceAtThePaceOfRealTimeAndIsOpenedAgain)
{
    ReopeningInput input = open<ReopeningInput, AudioInput, FlakyInput>(200ms);
    ASSERT_EQ(input.fault(), "");
    std::vector<float> block(1103); // 0.1 s
    EXPECT_TRUE(input.read(block.data(), block.size()));
    EXPECT_EQ(block[0], 0.25f);

    device.failed = true;
    device.opens = false;
    const auto start = Clock::now();
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(input.read(block.data(), block.size()));
    const auto took = Clock::now() - start;
    // Five blocks of 0.1 s of silence take about half a second: no racing, no stopping.
    EXPECT_GT(took, 450ms);
    EXPECT_LT(took, 700ms);
    EXPECT_EQ(block[0], 0.0f);
    ASSERT_EQ(reports.size(), 1u) << "the loss is reported once";
    EXPECT_EQ(reports[0], "sound input lost: unplugged");
    EXPECT_EQ(input.fault(), "cannot open the sound input: no such device")
        << "and the failed attempts to reopen it say why";

    device.opens = true;
    std::this_thread::sleep_for(250ms);
    EXPECT_TRUE(input.read(block.data(), block.size()));
    EXPECT_EQ(block[0], 0.25f);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[1], "") << "working again";
    EXPECT_EQ(device.opened, 2);
}

// A server that does not answer makes each attempt to open the device wait: the input keeps
// its real-time pace meanwhile, and the engine its displays.
TEST(ReopeningInput, ASlowAttemptToReopenDoesNotHoldUpReading)
{
    FlakyDevice device;
    bool first = true;
    ReopeningInput input(
        [&](std::string &error) -> std::unique_ptr<AudioInput> {
            if (std::exchange(first, false))
                return std::make_unique<FlakyInput>(device);
            std::this_thread::sleep_for(1s);
            error = "the server does not answer";
            return nullptr;
        },
        [](const std::string &) {}, 100ms);
    device.failed = true;
    std::vector<float> block(1103); // 0.1 s
    const auto start = Clock::now();
    for (int i = 0; i < 10; ++i)
        input.read(block.data(), block.size());
    const auto took = Clock::now() - start;
    EXPECT_LT(took, 1400ms) << "a second of reading, without waiting on the attempts";
    EXPECT_GT(took, 900ms);
}

TEST(ReopeningInput, TriesNoMoreThanAboutOnceASecond)
{
    FlakyDevice device;
    device.opens = false;
    int attempts = 0;
    ReopeningInput input(
        [&](std::string &error) -> std::unique_ptr<AudioInput> {
            ++attempts;
            error = "no server";
            return nullptr;
        },
        [](const std::string &) {});
    EXPECT_EQ(input.fault(), "cannot open the sound input: no server");
    std::vector<float> block(2205); // 0.2 s
    for (int i = 0; i < 12; ++i)    // 2.4 s
        input.read(block.data(), block.size());
    EXPECT_GE(attempts, 3); // at start, then after 1 s and 2 s
    EXPECT_LE(attempts, 4);
}

TEST_F(FlakySound, AnOutputDropsWhileLostReportsAndRecoversBetweenBlocks)
{
    ReopeningOutput output = open<ReopeningOutput, AudioOutput, FlakyOutput>(100ms);
    const float samples[4] = {};
    EXPECT_TRUE(output.write(samples, 4));
    EXPECT_TRUE(output.paced());

    device.failed = true;
    output.maintain(); // a failure seen between blocks, with nothing written
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], "sound output lost: unplugged");
    EXPECT_FALSE(output.write(samples, 4));
    EXPECT_FALSE(output.paced()) << "while lost the engine is not held back by it";
    bool played = false;
    output.whenPlayed([&] { played = true; });
    EXPECT_TRUE(played) << "nothing is left to be played: PTT may drop";

    output.maintain(); // too soon to try again
    EXPECT_EQ(device.opened, 1);
    std::this_thread::sleep_for(120ms);
    output.maintain();
    EXPECT_EQ(device.opened, 2);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[1], "");
    EXPECT_TRUE(output.write(samples, 4));
}

// What the greeting says follows what works: never "sound card" for a card that is not heard
// or cannot send.
TEST(EngineHealth, TheGreetingTellsWhatTheOperatorHearsAndSends)
{
    EngineHealth health("sound card", "the sound card", "engine 1.0", "cat");
    health.set(rtty::Edge::SoundInput, "");
    health.set(rtty::Edge::SoundOutput, "");
    EXPECT_EQ(health.greeting(), "sound card, engine 1.0");
    EXPECT_EQ(health.latestFault(), "");

    EXPECT_TRUE(health.set(rtty::Edge::SoundOutput, "cannot open the sound output: no sink"));
    EXPECT_EQ(health.greeting(), "RX ONLY, engine 1.0");
    EXPECT_TRUE(health.set(rtty::Edge::SoundInput, "sound input lost: server gone"));
    EXPECT_EQ(health.greeting(), "NO SOUND, engine 1.0");
    EXPECT_EQ(health.latestFault(), "Sound input lost: server gone") << "the latest first";
    EXPECT_TRUE(health.set(rtty::Edge::SoundOutput, ""));
    EXPECT_EQ(health.greeting(), "NO RX, engine 1.0");
    EXPECT_FALSE(health.set(rtty::Edge::SoundOutput, "")) << "no change, nothing to tell";

    EXPECT_TRUE(health.set(rtty::Edge::Ptt, "localhost:4532: Connection refused"));
    EXPECT_EQ(health.latestFault(), "PTT: localhost:4532: Connection refused");
    health.set(rtty::Edge::Ptt, "");
    EXPECT_EQ(health.latestFault(), "Sound input lost: server gone")
        << "an older fault still standing comes back";
}

TEST(EngineHealth, TheReportSaysOpeningUntilAnEdgeIsKnown)
{
    EngineHealth health("DEMO", "the built-in demo signal", "engine 1.0", "rts");
    health.set(rtty::Edge::SoundInput, "");
    health.set(rtty::Edge::SoundOutput, "");
    EXPECT_EQ(health.report(), "Receiving from the built-in demo signal\nSound input: open\n"
                               "Sound output: open\nPTT (rts): opening\n");
    health.set(rtty::Edge::Ptt, "/dev/ttyUSB0: No such file or directory");
    EXPECT_NE(health.report().find("PTT (rts): /dev/ttyUSB0: No such file or directory"),
              std::string::npos);
    EngineHealth vox("DEMO", "the built-in demo signal", "engine 1.0", "none");
    vox.set(rtty::Edge::Ptt, "");
    EXPECT_NE(vox.report().find("PTT (none): not keyed"), std::string::npos);
}
