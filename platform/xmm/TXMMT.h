// The TCP link control: lets other programs (loggers, remote terminals) reach the terminal.
// Each client connection has an index; its events arrive as the On... signals, on the UI
// thread, and the Send... operations address one connection by its index.
#pragma once

#include "CallObserver.h"

#include <QObject>
#include <QString>
#include <cstdint>

class TXMMT : public QObject, public xmm::ObservedControl {
    Q_OBJECT
public:
    explicit TXMMT(QObject *parent = nullptr);
    ~TXMMT() override;

    void setbActive(bool active);
    bool isActive() const { return active_; }

    bool SendChar(std::int16_t nIndex, std::int16_t code);
    bool SendCode(std::int16_t nIndex, std::int16_t code);
    bool SendValue(std::int16_t nIndex, std::int16_t value);

signals:
    void OnConnected(std::int16_t nIndex);
    void OnDisconnected(std::int16_t nIndex);
    void OnCharRcvd(std::int16_t nIndex, std::int16_t bChar);
    void OnPttEvent(std::int16_t nIndex, std::int16_t btx);
    void OnNotifyFFT(std::int16_t nIndex, const std::int16_t *pFFT, std::int16_t size,
                     std::int16_t sampfreq);
    void OnNotifyXY(std::int16_t nIndex, const std::int32_t *pXY);
    void OnNotifyNMMT(std::int16_t nIndex, const std::int32_t *pNMMT);
    void OnGetProfileName(std::int16_t nIndex, std::int16_t nProfile, QString *pStr);

private:
    bool active_ = false;
};
