// The engine's signal path ends cleanly right after a transmission: the output's own thread,
// which reports when the last sound has been played, is gone before anything it reports to,
// and PTT is released. Built with the address and undefined-behaviour sanitizers, which fail
// the test on any use of a destroyed object.
#include "EngineRunner.h"
#include "IgnoredEvents.h"

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
    explicit ThreadedOutput(std::atomic<int> &written) : written_(written)
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
            std::this_thread::sleep_for(15ms); // still playing
            for (auto &played : due)
                played();
            lock.lock();
        }
    }

    std::atomic<int> &written_;
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
