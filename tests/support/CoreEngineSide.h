// An engine side whose engine is the real signal path (rtty::EngineCore) in this process: it
// "starts" a new engine core, greets on the next turn of the event loop (holding requests made
// before, as the real link does), and applies every request to the core, whose state the test
// then reads. It stands in for the engine program where a test wants the engine's logic
// without sound or a process.
#pragma once

#include "EngineCore.h"
#include "EngineSide.h"
#include "IgnoredEvents.h"

#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

class CoreEngineSide : public xmm::EngineSide {
public:
    void start(const QString &) override
    {
        core_ = std::make_unique<rtty::EngineCore>(events_);
        connected_ = false;
        held_.clear();
        QTimer::singleShot(0, this, [this] {
            if (!core_)
                return;
            connected_ = true;
            for (auto &request : held_)
                request(*core_);
            held_.clear();
            emit engineConnected();
        });
    }
    void stop() override { core_.reset(); }
    bool isRunning() const override { return core_ != nullptr; }

    void postCommand(std::int32_t command, std::int32_t value) override
    {
        apply([=](rtty::EngineCore &c) { c.postCommand(command, value); });
    }
    void setSwitch(std::int32_t word) override
    {
        apply([=](rtty::EngineCore &c) { c.setSwitch(word); });
    }
    void setOption(std::int16_t option) override
    {
        apply([=](rtty::EngineCore &c) { c.setOption(option); });
    }
    void sendText(const QString &text) override
    {
        const std::string latin1 = text.toLatin1().toStdString();
        apply([=](rtty::EngineCore &c) { c.sendText(latin1); });
    }
    void setPtt(bool) override {}
    QString version() const override { return QStringLiteral("engine core"); }
    std::int32_t demSampleFreq() const override { return 11025; }
    std::int32_t overflow() const override { return 0; }

    rtty::EngineCore *core() const { return connected_ ? core_.get() : nullptr; }

private:
    void apply(std::function<void(rtty::EngineCore &)> request)
    {
        if (!core_)
            return;
        if (connected_)
            request(*core_);
        else
            held_.push_back(std::move(request));
    }

    IgnoredEvents events_;
    std::unique_ptr<rtty::EngineCore> core_;
    bool connected_ = false;
    std::vector<std::function<void(rtty::EngineCore &)>> held_;
};
