// The engine link control: starts the engine program named by InvokeCommand and drives it.
// Operations and properties forward to an EngineSide; the side's events come back as the
// control's On... signals, on the UI thread. Results of operations are true when the request
// was handed to a running engine.
//
// The control keeps the engine's functions as the window's toggle buttons (TXMMBtn with an
// EngineSwitch) show them: a release (SetSwitch(0)) made by a button's click switches off that
// button's own function, and each time an engine connects it is told the state of every such
// button and the notch frequency last set, so that a new engine starts where the window is.
#pragma once

#include "CallObserver.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

namespace xmm {
class EngineSide;
}

class TXMMR : public QObject, public xmm::ObservedControl {
    Q_OBJECT
public:
    explicit TXMMR(QObject *parent = nullptr);
    ~TXMMR() override;

    // Replaces the engine side (the control takes ownership); the running engine, if any, is
    // stopped.
    void setEngineSide(std::unique_ptr<xmm::EngineSide> side);
    xmm::EngineSide *engineSide() const { return side_.get(); }

    bool PostCommand(std::int32_t command, std::int32_t value);
    bool SetSwitch(std::int32_t word);
    bool SetOption(std::int16_t option);
    bool SendText(const QString &text);

    void setbActive(bool active);
    void setInvokeCommand(const QString &commandLine);
    QString verMMTTY() const;
    std::int32_t OverFlow() const;
    std::int32_t smpDemFreq() const;
    void setPTT(bool on);

signals:
    void OnConnected();
    void OnDisconnected(std::int16_t status);
    void OnCharRcvd(std::int16_t bChar);
    void OnPttEvent(std::int16_t btx);
    void OnNotifyFFT(const std::int16_t *pFFT, std::int16_t size, std::int16_t sampfreq);
    void OnNotifyXY(const std::int32_t *pXY);
    void OnNotifyNMMR(const std::int32_t *pNMMR);
    // How the engine's sound and PTT stand (docs/engine-link.md, notice).
    void OnNotice(std::int16_t fault, const QString &text);

private:
    void bindSide();
    // The word for the engine: a button's release names its function.
    std::int32_t engineWord(std::int32_t word) const;
    // Tells a newly connected engine what the window's buttons show.
    void syncEngine();

    std::unique_ptr<xmm::EngineSide> side_;
    QString invokeCommand_;
    std::optional<std::int32_t> notchHz_; // the last notch frequency sent
};
