// The engine's side of the engine link: what TXMMR drives and listens to. The terminal's TXMMR
// talks to a real engine program through ProcessEngineSide; tests put a fake in its place.
// Every signal must be emitted on the UI thread.
#pragma once

#include <QObject>
#include <QString>
#include <cstdint>

namespace xmm {

class EngineSide : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Starts the program that commandLine names; later emits engineConnected() once the engine has
    // said hello, or engineDisconnected(2) when it cannot be started or says nothing in time.
    virtual void start(const QString &commandLine) = 0;
    // Stops a running engine; emits engineDisconnected(0) when it cannot be stopped.
    virtual void stop() = 0;
    virtual bool isRunning() const = 0;

    virtual void postCommand(std::int32_t command, std::int32_t value) = 0;
    virtual void setSwitch(std::int32_t word) = 0;
    virtual void setOption(std::int16_t option) = 0;
    virtual void sendText(const QString &text) = 0;
    virtual void setPtt(bool on) = 0;

    virtual QString version() const = 0;            // the engine's version text; empty before hello
    virtual std::int32_t demSampleFreq() const = 0; // the demodulator's sample rate in Hz
    virtual std::int32_t overflow() const = 0;      // clipped samples since the last status record

signals:
    void engineConnected();
    void engineDisconnected(std::int16_t status);
    void charReceived(std::int16_t code);
    void pttChanged(std::int16_t transmitting);
    // Each pointer is valid only while the signal is being delivered.
    void fftBlock(const std::int16_t *values, std::int16_t size, std::int16_t sampleRate);
    void xyBlock(const std::int32_t *block);
    void statusRecord(const std::int32_t *record);
    // How the engine's sound and PTT stand: fault 1 with what is wrong, or 0 when all works
    // again, with the engine's new version text (which version() then gives).
    void engineNotice(std::int16_t fault, const QString &text);
};

} // namespace xmm
