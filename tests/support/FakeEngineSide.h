// A fake engine side for the window's tests. It stands in for the engine program, records every
// operation, property write and property read on the window's engine controls in one ordered
// log, and raises the engine's events on request.
#pragma once

#include "CallObserver.h"
#include "EngineSide.h"
#include "TXMMR.h"

#include <QStringList>
#include <memory>

class FakeEngineSide : public xmm::EngineSide, public xmm::CallObserver {
    Q_OBJECT
public:
    QStringList log;   // "<control>.<member>..." entries in order, see xmm::CallObserver
    QStringList texts; // the texts handed to the engine side, as it got them

    QString versionText = QStringLiteral("1.70K test");
    std::int32_t sampleRate = 11025;
    std::int32_t overflowCount = 0;
    bool running = false;

    void controlCalled(const QString &entry) override { log << entry; }

    void start(const QString &) override { running = true; }
    void stop() override { running = false; }
    bool isRunning() const override { return running; }
    void postCommand(std::int32_t, std::int32_t) override {}
    void setSwitch(std::int32_t) override {}
    void setOption(std::int16_t) override {}
    void sendText(const QString &text) override { texts << text; }
    void setPtt(bool) override {}
    QString version() const override { return versionText; }
    std::int32_t demSampleFreq() const override { return sampleRate; }
    std::int32_t overflow() const override { return overflowCount; }

    void raiseConnected() { emit engineConnected(); }
    void raiseDisconnected(std::int16_t status) { emit engineDisconnected(status); }
    void raiseChar(std::int16_t code) { emit charReceived(code); }
    void raiseFft(const std::int16_t *values, std::int16_t size, std::int16_t rate)
    {
        emit fftBlock(values, size, rate);
    }
    void raiseXy(const std::int32_t *block) { emit xyBlock(block); }
    void raiseStatus(const std::int32_t *record) { emit statusRecord(record); }
};

// Puts a new fake behind the engine control (which owns it) and returns it.
inline FakeEngineSide &attachFakeEngineSide(TXMMR &control)
{
    auto side = std::make_unique<FakeEngineSide>();
    FakeEngineSide &fake = *side;
    control.setEngineSide(std::move(side));
    return fake;
}
