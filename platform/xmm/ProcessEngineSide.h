// The engine side that runs the engine as a child process. The program comes from the command
// line (EngineCommandLine); the engine must greet within HelloTimeoutMs or it counts as not
// started. Stopping closes the engine's standard input (its request to quit), then kills it
// after StopGraceMs.
#pragma once

#include "EngineSide.h"

#include <QProcess>
#include <QTimer>

namespace xmm {

class ProcessEngineSide : public EngineSide {
    Q_OBJECT
public:
    static constexpr int HelloTimeoutMs = 5000;
    static constexpr int StopGraceMs = 1500;

    explicit ProcessEngineSide(QObject *parent = nullptr);
    ~ProcessEngineSide() override;

    void start(const QString &commandLine) override;
    void stop() override;
    bool isRunning() const override;

    void postCommand(std::int32_t command, std::int32_t value) override;
    void setSwitch(std::int32_t word) override;
    void setOption(std::int16_t option) override;
    void sendText(const QString &text) override;
    void setPtt(bool on) override;

    QString version() const override { return version_; }
    std::int32_t demSampleFreq() const override { return demSampleFreq_; }
    std::int32_t overflow() const override { return overflow_; }

private:
    void failStart();
    bool terminate();

    QProcess process_;
    QTimer helloTimer_;
    QString version_;
    std::int32_t demSampleFreq_ = 0;
    std::int32_t overflow_ = 0;
    bool ptt_ = true;
};

} // namespace xmm
