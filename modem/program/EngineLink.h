// The engine's side of the engine link: frames from the terminal on standard input, frames to
// it on standard output (docs/engine-link.md). It greets first, hands the terminal's requests
// to the runner and the runner's events to the terminal. It quits on the terminal's quit
// request, at the end of its input, or on a frame it cannot read.
// Its output never blocks the engine: what the terminal has not read yet waits in a queue of
// at most MaxQueuedBytes of the displays' blocks (spectrum, XY, status), which beyond it are
// dropped, the newest first; characters, PTT, notices and the hello always go into it.
#pragma once

#include "EngineEvents.h"
#include "EngineLinkProtocol.h"
#include "EngineRunner.h"
#include "Frames.h"

#include <QObject>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

class QSocketNotifier;

namespace engineio {

class EngineLink : public QObject, public rtty::EngineEvents {
    Q_OBJECT
public:
    // inFd, outFd: the link's file descriptors (0 and 1 for the terminal's engine).
    EngineLink(int inFd, int outFd, EngineRunner &runner);

    void greet(const std::string &versionText, int demodSampleRate);
    // Called for the set-up command (13).
    std::function<void()> onSetupRequested;
    // Called when the link ends; exitCode 0 for a quit request or the end of input.
    std::function<void(int exitCode, const QString &why)> onFinished;

    void character(char c) override;
    void spectrum(const std::vector<std::int16_t> &values, int rate,
                  std::int32_t overflow) override;
    void xy(const std::vector<std::int32_t> &block) override;
    void status(const std::vector<std::int32_t> &record) override;
    void transmitting(bool on) override;
    // How the engine's edges stand (docs/engine-link.md, notice).
    void notice(bool fault, const std::string &text);

    static constexpr std::size_t MaxQueuedBytes = 256 * 1024; // about 4 s of the displays
    std::size_t queuedBytes() const { return queue_.size() - queueHead_; }
    std::size_t droppedBlocks() const { return dropped_; }

private:
    void readInput();
    void handle(const enginelink::TerminalMessage &message);
    void send(const enginelink::EngineMessage &message);
    void flush();
    void finish(int exitCode, const QString &why);

    int inFd_, outFd_;
    EngineRunner &runner_;
    QSocketNotifier *notifier_;
    QSocketNotifier *writable_; // on while the queue waits for the terminal to read
    std::vector<std::uint8_t> queue_;
    std::size_t queueHead_ = 0; // the first byte of queue_ not yet written
    std::size_t dropped_ = 0;
    wire::FrameReader reader_{enginelink::MaxFrameBytes};
    bool finished_ = false;
};

} // namespace engineio
