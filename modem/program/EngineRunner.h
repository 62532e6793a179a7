// Runs the signal path on a thread of its own: reads received audio from the input (which
// paces it), applies the terminal's requests between blocks, runs EngineCore, writes transmit
// audio to the output and keys the transmitter around it. Its events reach the Listener on the
// thread that owns the runner (the main thread), through that thread's event loop.
#pragma once

#include "AudioIo.h"
#include "EngineCore.h"
#include "Ptt.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace engineio {

class EngineRunner : public QObject {
    Q_OBJECT
public:
    static constexpr std::size_t BlockSamples = 256; // about 23 ms

    struct Listener {
        virtual ~Listener() = default;
        virtual void character(char c) = 0;
        virtual void spectrum(const std::vector<std::int16_t> &values, int rate,
                              std::int32_t overflow) = 0;
        virtual void xy(const std::vector<std::int32_t> &block) = 0;
        virtual void status(const std::vector<std::int32_t> &record) = 0;
        virtual void transmitting(bool on) = 0;
        virtual void pttFailed(const QString &why) = 0;
    };

    explicit EngineRunner(Listener &listener);
    ~EngineRunner() override;

    // Replaces the sound and the keying (stopping and restarting the thread); the signal path
    // keeps its state.
    void setIo(std::unique_ptr<AudioInput> input, std::unique_ptr<AudioOutput> output,
               const PttSettings &ptt);
    void start();
    void stop();

    // Runs request on the signal thread before the next block.
    void post(std::function<void(rtty::EngineCore &)> request);
    // The terminal's PTT property: key the transmitter, or send audio without keying.
    void setPttEnabled(bool on) { pttEnabled_ = on; }

private:
    class CoreEvents;
    void run();
    void key(bool on);

    Listener &listener_;
    std::unique_ptr<CoreEvents> events_;
    std::unique_ptr<rtty::EngineCore> core_;
    std::unique_ptr<AudioInput> input_;
    std::unique_ptr<AudioOutput> output_;
    std::unique_ptr<Ptt> ptt_;
    std::mutex pttMutex_; // the output's thread may release the key
    std::atomic<bool> pttEnabled_{true};
    bool keyed_ = false;
    std::mutex requestsMutex_;
    std::vector<std::function<void(rtty::EngineCore &)>> requests_;
    std::atomic<bool> quit_{false};
    std::thread thread_;
};

} // namespace engineio
