// The TCP link control: lets other programs (loggers, remote terminals) reach the terminal over
// TCP on the loopback address, in the framed protocol of docs/tcp-link.md. Each client that has
// said hello gets an index (1..MaxClients); its events arrive as the On... signals, on the UI
// thread, and the Send... operations address one connection by its index. A client that breaks
// the protocol, floods, stalls or stops reading is dropped without disturbing the others.
#pragma once

#include "CallObserver.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

class QTcpServer;
class QTcpSocket;

class TXMMT : public QObject, public xmm::ObservedControl {
    Q_OBJECT
public:
    static constexpr int MaxClients = 8;
    static constexpr int HelloTimeoutMs = 5000;    // to say hello, and to finish a frame
    static constexpr int MaxFramesPerSecond = 400; // FFT, XY and status at 20 a second fit easily
    static constexpr qint64 MaxUnsentBytes = 256 * 1024; // a client that stops reading is dropped

    explicit TXMMT(QObject *parent = nullptr);
    ~TXMMT() override;

    // The port to listen on when activated; 0 picks a free one (tests). The default is fixed.
    void setPort(std::uint16_t port) { port_ = port; }
    // How long a client may take to say hello or to finish a frame it has begun.
    void setHelloTimeout(int ms) { helloTimeoutMs_ = ms; }
    std::uint16_t serverPort() const;

    void setbActive(bool active);
    bool isActive() const;
    int clientCount() const { return int(clients_.size()); }

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
    struct Client;

    void accept();
    void readFrom(std::uint64_t id);
    void drop(std::uint64_t id);
    bool send(std::int16_t nIndex, const std::vector<std::uint8_t> &frame);
    Client *clientById(std::uint64_t id);
    int freeIndex() const;

    std::unique_ptr<QTcpServer> server_;
    std::map<std::uint64_t, std::unique_ptr<Client>> clients_; // by connection id
    std::uint64_t nextId_ = 1;
    std::uint16_t port_;
    int helloTimeoutMs_ = HelloTimeoutMs;
};
