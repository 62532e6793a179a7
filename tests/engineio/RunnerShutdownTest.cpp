// The engine's signal path ends cleanly right after a transmission: the output's own thread,
// which reports when the last sound has been played, is gone before anything it reports to,
// and PTT is released. Built with the address and undefined-behaviour sanitizers, which fail
// the test on any use of a destroyed object.
#include "EngineRunner.h"
#include "IgnoredEvents.h"

#include <QTest>
#include <condition_variable>
#include <gtest/gtest.h>
#include <thread>

using namespace engineio;
using namespace std::chrono_literals;

namespace {

// Silence at the pace of real time.
class QuietInput : public AudioInput {
public:
    bool read(float *out, std::size_t n) override
    {
        std::fill(out, out + n, 0.0f);
        std::this_thread::sleep_for(
            std::chrono::microseconds(long(1e6 * double(n) / SampleRateHz)));
        return true;
    }
};

// An output like the sound server's: what is written is played on a thread of its own, which
// says so a little later.
class ThreadedOutput : public AudioOutput {
public:
    explicit ThreadedOutput(std::atomic<int> &written, std::chrono::milliseconds playing = 15ms)
        : written_(written), playing_(playing)
    {
        thread_ = std::thread([this] { run(); });
    }
    ~ThreadedOutput() override
    {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    bool write(const float *, std::size_t) override
    {
        ++written_;
        return true;
    }
    void whenPlayed(std::function<void()> played) override
    {
        {
            std::lock_guard lock(mutex_);
            waiting_.push_back(std::move(played));
        }
        wake_.notify_all();
    }

private:
    void run()
    {
        std::unique_lock lock(mutex_);
        while (!quit_) {
            wake_.wait_for(lock, 5ms);
            if (waiting_.empty())
                continue;
            auto due = std::move(waiting_);
            waiting_.clear();
            lock.unlock();
            std::this_thread::sleep_for(playing_); // still playing
            playedAt = std::chrono::steady_clock::now();
            for (auto &played : due)
                played();
            lock.lock();
        }
    }

public:
    std::atomic<std::chrono::steady_clock::time_point> playedAt{}; // the last report

private:
    std::atomic<int> &written_;
    std::chrono::milliseconds playing_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<std::function<void()>> waiting_;
    bool quit_ = false;
    std::thread thread_;
};

} // namespace

TEST(EngineRunner, EndsRightAfterATransmissionWithNoThreadTouchingWhatIsGone)
{
    for (int round = 0; round < 20; ++round) {
        IgnoredEvents events;
        std::atomic<int> written{0};
        auto runner = std::make_unique<EngineRunner>(events);
        runner->setSound(std::make_unique<QuietInput>(), std::make_unique<ThreadedOutput>(written));
        PttSettings ptt;
        ptt.leadMs = 0;
        ptt.tailMs = 0;
        runner->setPtt(ptt);
        runner->start();
        runner->post([&](rtty::EngineCore &core) {
            core.setSwitch(0); // no AFC: nothing to wait for
            core.postCommand(3, 3);
            core.postCommand(3, 0); // at once: a transmission of a few ms
        });
        while (written < 2)
            std::this_thread::sleep_for(1ms);
        // The output's thread is about to report the end: end everything now, at varying
        // moments around that report.
        std::this_thread::sleep_for(std::chrono::milliseconds(round));
        runner.reset();
    }
}

namespace {

struct TransmissionLog : IgnoredEvents {
    void transmitting(bool on) override { said.push_back({on, std::chrono::steady_clock::now()}); }
    std::vector<std::pair<bool, std::chrono::steady_clock::time_point>> said;
};

} // namespace

// The listener hears that a transmission has ended once its sound has been played and the
// radio released after the tail, not when its last sample was generated: until then it is
// on the air.
TEST(EngineRunner, ATransmissionHasEndedOnlyOnceItsSoundHasBeenPlayed)
{
    TransmissionLog events;
    std::atomic<int> written{0};
    auto output = std::make_unique<ThreadedOutput>(written, 300ms);
    ThreadedOutput &played = *output;
    EngineRunner runner(events);
    runner.setSound(std::make_unique<QuietInput>(), std::move(output));
    PttSettings ptt;
    ptt.tailMs = 40;
    runner.setPtt(ptt);
    runner.start();
    runner.post([](rtty::EngineCore &core) {
        core.setSwitch(0);
        core.transmitter().addText("RY");
        core.postCommand(enginelink::CmdTransmitControl, enginelink::TxTransmit);
        core.postCommand(enginelink::CmdTransmitControl, enginelink::TxReceiveAfterSending);
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return events.said.size() >= 2; }, 5000))
        << events.said.size();
    QTest::qWait(200); // nothing more is said
    ASSERT_EQ(events.said.size(), 2u);
    EXPECT_TRUE(events.said[0].first);
    EXPECT_FALSE(events.said[1].first);
    const auto playedAt = played.playedAt.load();
    ASSERT_NE(playedAt, std::chrono::steady_clock::time_point{}) << "the output never played it";
    EXPECT_GE(events.said[1].second, playedAt + 40ms) << "said to have ended while on the air";
    EXPECT_LT(events.said[1].second, playedAt + 40ms + 200ms) << "and said soon after";

    // Stopped at once, it still went out (the radio keyed for its fall): it is said too.
    runner.post([](rtty::EngineCore &core) {
        core.postCommand(enginelink::CmdTransmitControl, enginelink::TxTransmit);
        core.postCommand(enginelink::CmdTransmitControl, enginelink::TxStopNow);
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return events.said.size() >= 4; }, 5000))
        << events.said.size();
    EXPECT_TRUE(events.said[2].first);
    EXPECT_FALSE(events.said[3].first);
}
