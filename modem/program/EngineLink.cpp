#include "EngineLink.h"

#include <QSocketNotifier>
#include <cerrno>
#include <fcntl.h>
#include <type_traits>
#include <unistd.h>
#include <variant>

namespace engineio {

EngineLink::EngineLink(int inFd, int outFd, EngineRunner &runner)
    : inFd_(inFd), outFd_(outFd), runner_(runner),
      notifier_(new QSocketNotifier(inFd, QSocketNotifier::Read, this)),
      writable_(new QSocketNotifier(outFd, QSocketNotifier::Write, this))
{
    connect(notifier_, &QSocketNotifier::activated, this, &EngineLink::readInput);
    // Written as the terminal reads, never waited for.
    const int flags = ::fcntl(outFd_, F_GETFL);
    if (flags >= 0)
        ::fcntl(outFd_, F_SETFL, flags | O_NONBLOCK);
    writable_->setEnabled(false);
    connect(writable_, &QSocketNotifier::activated, this, &EngineLink::flush);
}

void EngineLink::greet(const std::string &versionText, int demodSampleRate)
{
    send(enginelink::Hello{enginelink::Version, versionText, std::int32_t(demodSampleRate)});
}

void EngineLink::readInput()
{
    std::uint8_t bytes[4096];
    const ssize_t got = ::read(inFd_, bytes, sizeof bytes);
    if (got < 0 && (errno == EINTR || errno == EAGAIN))
        return;
    if (got <= 0) {
        finish(0, QStringLiteral("the terminal closed the link"));
        return;
    }
    reader_.feed(std::span(bytes, std::size_t(got)));
    while (auto frame = reader_.next()) {
        const auto message = enginelink::decodeTerminalFrame(*frame);
        if (!message) {
            finish(3, QStringLiteral("malformed message from the terminal"));
            return;
        }
        handle(*message);
        if (finished_)
            return;
    }
    if (reader_.failed())
        finish(3, QStringLiteral("malformed frame from the terminal"));
}

void EngineLink::handle(const enginelink::TerminalMessage &message)
{
    using namespace enginelink;
    std::visit(
        [this](const auto &m) {
            using M = std::decay_t<decltype(m)>;
            if constexpr (std::is_same_v<M, TerminalHelloMsg>) {
                if (m.version != Version)
                    finish(3, QStringLiteral("the terminal speaks link version %1").arg(m.version));
            } else if constexpr (std::is_same_v<M, PostCommandMsg>) {
                if (m.command == CmdSetup) {
                    if (onSetupRequested)
                        onSetupRequested();
                } else {
                    runner_.post([c = m.command, v = m.value](rtty::EngineCore &core) {
                        core.postCommand(c, v);
                    });
                }
            } else if constexpr (std::is_same_v<M, SetSwitchMsg>) {
                runner_.post([w = m.word](rtty::EngineCore &core) { core.setSwitch(w); });
            } else if constexpr (std::is_same_v<M, SetOptionMsg>) {
                runner_.post([o = m.option](rtty::EngineCore &core) { core.setOption(o); });
            } else if constexpr (std::is_same_v<M, SendTextMsg>) {
                runner_.post([t = m.text](rtty::EngineCore &core) { core.sendText(t); });
            } else if constexpr (std::is_same_v<M, SetPttMsg>) {
                runner_.setPttEnabled(m.on);
            } else if constexpr (std::is_same_v<M, QuitMsg>) {
                finish(0, QStringLiteral("the terminal asked the engine to quit"));
            }
        },
        message);
}

void EngineLink::send(const enginelink::EngineMessage &message)
{
    if (finished_)
        return;
    const bool display = std::holds_alternative<enginelink::FftMsg>(message) ||
                         std::holds_alternative<enginelink::XyMsg>(message) ||
                         std::holds_alternative<enginelink::StatusMsg>(message);
    if (display && queuedBytes() >= MaxQueuedBytes) {
        ++dropped_; // the next block shows the displays as they are then
        return;
    }
    const std::vector<std::uint8_t> frame = enginelink::encode(message);
    queue_.insert(queue_.end(), frame.begin(), frame.end());
    flush();
}

void EngineLink::flush()
{
    while (!finished_ && queueHead_ < queue_.size()) {
        const ssize_t wrote =
            ::write(outFd_, queue_.data() + queueHead_, queue_.size() - queueHead_);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            writable_->setEnabled(true); // the terminal has not read what came before
            return;
        }
        if (wrote <= 0) {
            finish(0, QStringLiteral("the terminal is gone"));
            return;
        }
        queueHead_ += std::size_t(wrote);
    }
    writable_->setEnabled(false);
    // What was written goes once it is most of the queue.
    if (queueHead_ > 0 && queueHead_ >= queue_.size() / 2) {
        queue_.erase(queue_.begin(), queue_.begin() + std::ptrdiff_t(queueHead_));
        queueHead_ = 0;
    }
}

void EngineLink::finish(int exitCode, const QString &why)
{
    if (finished_)
        return;
    finished_ = true;
    notifier_->setEnabled(false);
    writable_->setEnabled(false);
    if (onFinished)
        onFinished(exitCode, why);
}

void EngineLink::character(char c)
{
    send(enginelink::CharMsg{std::int16_t(std::uint8_t(c))});
}

void EngineLink::spectrum(const std::vector<std::int16_t> &values, int rate, std::int32_t overflow)
{
    send(enginelink::FftMsg{overflow, std::int16_t(rate), values});
}

void EngineLink::xy(const std::vector<std::int32_t> &block)
{
    send(enginelink::XyMsg{block});
}

void EngineLink::status(const std::vector<std::int32_t> &record)
{
    send(enginelink::StatusMsg{record});
}

void EngineLink::transmitting(bool on)
{
    send(enginelink::PttMsg{std::int16_t(on ? 1 : 0)});
}

void EngineLink::notice(bool fault, const std::string &text)
{
    send(enginelink::NoticeMsg{std::uint8_t(fault ? 1 : 0), text});
}

} // namespace engineio
