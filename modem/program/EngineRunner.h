// Runs the signal path on a thread of its own: reads received audio from the input (which
// paces it), applies the terminal's requests between blocks, runs EngineCore, and sends each
// transmission to the output with the transmitter keyed around it: PTT on, a lead of silence,
// the transmission, and PTT off a tail after its last sample has been played; the listener
// hears that a transmission has ended only then (its sound is on the air until it). Its events,
// those of the signal path and those of its edges (sound and PTT), reach the listener on the
// thread that owns the runner (the main thread), through that thread's event loop.
#pragma once

#include "AudioIo.h"
#include "EngineCore.h"
#include "FskLine.h"
#include "PttKeyer.h"

#include <QObject>
#include <atomic>
#include <chrono>
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

    explicit EngineRunner(rtty::EngineEvents &listener);
    ~EngineRunner() override; // stops, releases PTT, closes the sound

    // Replaces the sound (stopping and restarting the thread); the signal path keeps its state.
    void setSound(std::unique_ptr<AudioInput> input, std::unique_ptr<AudioOutput> output);
    // Opens the PTT line or radio the settings name (on a thread of its own) and takes its lead
    // and tail; how it went is reported as an edge change.
    void setPtt(const PttSettings &settings);
    // Keys the radio's FSK input on a serial port as well as sending the audio, when the
    // settings say so; the port is opened at once (and again when a transmission begins at
    // another baud rate), and PTT then goes off only once the last frame has left it. A port that
    // fails is reported as a fault of the PTT edge, and the radio is not keyed while it is not
    // open.
    void setTx(const TxSettings &settings);
    void start();
    void stop(); // the thread ends and PTT is released

    // Runs request on the signal thread before the next block.
    void post(std::function<void(rtty::EngineCore &)> request);
    // The terminal's PTT property: key the transmitter, or send audio without keying.
    void setPttEnabled(bool on);

    // For whoever reports edges: a callback that hands a fault of this edge to the listener on
    // the runner's thread. It may be called on any thread.
    std::function<void(const std::string &)> edgeReporter(rtty::Edge edge);

private:
    class CoreEvents;
    using Clock = std::chrono::steady_clock;
    void run();
    void startSending();
    std::size_t leadSamples() const;
    std::size_t blocksToSend() const;
    void finishSending();
    void releaseWhenDue();
    // Tells the listener that a transmission has started or ended, once each.
    void announce(bool on);
    void openFskLine();
    void closeFskLine(); // the transmitter no longer keys it

    rtty::EngineEvents &listener_;
    std::unique_ptr<CoreEvents> events_;
    std::unique_ptr<rtty::EngineCore> core_;

    std::atomic<bool> pttEnabled_{true};
    std::atomic<int> leadMs_{50}, tailMs_{20};
    // The transmission being sent, and the last one whose sound has all been played (the
    // output's thread writes these).
    bool sending_ = false;
    std::atomic<unsigned> transmission_{0}, played_{0};
    std::atomic<Clock::rep> playedAt_{0};
    std::size_t underrunsBefore_ = 0;
    bool announced_ = false; // the listener was told a transmission started, and not yet its end
    bool underrunReported_ = false;

    // Declared after what the output's thread touches and destroyed before it; the keyer goes
    // last, so that no thread can key it once it is gone.
    PttKeyer keyer_;
    std::unique_ptr<AudioInput> input_;
    std::unique_ptr<AudioOutput> output_;
    // The FSK line (signal thread only); its thread reports the last frame sent, so it goes
    // before everything it touches.
    TxSettings tx_;
    std::unique_ptr<FskLine> fsk_;
    double fskBaud_ = 0;
    bool fskFaultReported_ = false;

    std::mutex requestsMutex_;
    std::vector<std::function<void(rtty::EngineCore &)>> requests_;
    std::atomic<bool> quit_{false};
    std::thread thread_;
};

} // namespace engineio
