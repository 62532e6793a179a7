// The engine side that runs the engine as a child process and speaks the engine link with it
// over its standard input and output (docs/engine-link.md). The engine must greet within
// HelloTimeoutMs or it counts as not started. Stopping asks it to quit, then kills it after
// StopGraceMs. Requests made while it starts are held until it has greeted. A text of any
// length goes to the engine whole, in as many messages as it takes.
//
// It reports the engine gone with the engine link's disconnection statuses (enginelink::
// Disconnection); an engine that broke the link is killed, so none is left behind.
#pragma once

#include "EngineLinkProtocol.h"
#include "EngineSide.h"

#include <QProcess>
#include <QTimer>
#include <vector>

namespace xmm {

class ProcessEngineSide : public EngineSide {
    Q_OBJECT
public:
    static constexpr int HelloTimeoutMs = 5000;
    static constexpr int StopGraceMs = 1500;

    explicit ProcessEngineSide(QObject *parent = nullptr);
    ~ProcessEngineSide() override;

    // Where the engine program is looked for first; the terminal's own folder unless set.
    void setBesideDir(const QString &dir) { besideDir_ = dir; }

    void start(const QString &commandLine) override;
    void stop() override;
    bool isRunning() const override;
    bool isConnected() const { return connected_; }
    qint64 processId() const { return process_.processId(); }

    void postCommand(std::int32_t command, std::int32_t value) override;
    void setSwitch(std::int32_t word) override;
    void setOption(std::int16_t option) override;
    void sendText(const QString &text) override;
    void setPtt(bool on) override;

    QString version() const override { return version_; }
    std::int32_t demSampleFreq() const override { return demSampleFreq_; }
    std::int32_t overflow() const override { return overflow_; }

private:
    void readEngine();
    void send(const std::vector<std::uint8_t> &frame);
    // Ends the engine after a failure and reports it with status.
    void fail(enginelink::Disconnection status);
    // The status of a link that breaks now: before or after the hello.
    enginelink::Disconnection broken() const;
    bool terminate();

    QProcess process_;
    QTimer helloTimer_;
    wire::FrameReader reader_;
    std::vector<std::vector<std::uint8_t>> held_; // requests made before the hello
    std::size_t heldBytes_ = 0;
    QString besideDir_;
    QString version_;
    std::int32_t demSampleFreq_ = 0;
    std::int32_t overflow_ = 0;
    bool ptt_ = true;
    bool connected_ = false;
    bool stopping_ = false;
    unsigned generation_ = 0; // changes whenever the engine is started or ended
};

} // namespace xmm
