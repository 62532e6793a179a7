// The loggers' door: fldigi's XML-RPC control interface, served over HTTP on the loopback
// address (port 7362, path /RPC2), so that a logger that drives fldigi (TLF, CQRLOG, Xlog,
// Not1MM) drives this station unchanged. It translates; what it reads and changes is the
// station's, through DoorStation, on the thread that runs the door (the UI thread).
//
// HTTP: POST /RPC2 with a body of at most MaxBodyBytes; several requests may follow on one
// connection. A request whose headers or body exceed the bounds, or that is not complete
// within RequestTimeoutMs of its first byte, ends its connection and nothing else. The XML-RPC
// encoding and its faults (unknown method, wrong argument types, malformed XML) are xmlrpc-c's.
#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <string>

class QTcpServer;
class QTcpSocket;

namespace loggerdoor {

// What the door reads and changes. Texts are Latin-1, as the windows hold them.
class DoorStation {
public:
    virtual ~DoorStation() = default;
    virtual std::string call() const = 0; // STATION
    virtual void setCall(const std::string &call) = 0;
    virtual std::string name() const = 0; // NAME
    virtual void setName(const std::string &name) = 0;
    virtual std::string receivedText() const = 0; // the whole receive window
    virtual bool transmitting() const = 0;
};

class LoggerDoor : public QObject {
    Q_OBJECT
public:
    static constexpr quint16 DefaultPort = 7362;
    static constexpr int MaxBodyBytes = 1024 * 1024;
    static constexpr int MaxHeaderBytes = 16 * 1024;
    static constexpr int RequestTimeoutMs = 5000;
    static constexpr const char *Version = "1.0";

    explicit LoggerDoor(DoorStation &station, QObject *parent = nullptr);
    ~LoggerDoor() override;

    // Listens on 127.0.0.1 at port (0: any free one); false with error() when it cannot.
    bool open(quint16 port = DefaultPort);
    void close();
    bool isOpen() const;
    quint16 port() const;
    QString error() const { return error_; }
    // How long a request may take to arrive whole (the tests shorten it).
    void setRequestTimeout(int ms) { requestTimeoutMs_ = ms; }

    // The XML-RPC response to one call's XML, as the door sends it (for the tests and fuzzers).
    std::string respond(const std::string &callXml);

private:
    class Methods;
    void accept();
    void readFrom(QTcpSocket *socket);

    DoorStation &station_;
    std::unique_ptr<Methods> methods_;
    QTcpServer *server_ = nullptr;
    QString error_;
    int requestTimeoutMs_ = RequestTimeoutMs;
};

} // namespace loggerdoor
