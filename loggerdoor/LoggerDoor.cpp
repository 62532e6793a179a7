#include "LoggerDoor.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <functional>
#include <vector>
#include <xmlrpc-c/base.hpp>
#include <xmlrpc-c/registry.hpp>

namespace loggerdoor {

namespace {

using Execute = std::function<void(const xmlrpc_c::paramList &, xmlrpc_c::value *)>;

// One method of the registry, its work a function.
class FunctionMethod : public xmlrpc_c::method {
public:
    FunctionMethod(std::string signature, std::string help, Execute execute)
        : execute_(std::move(execute))
    {
        _signature = std::move(signature);
        _help = std::move(help);
    }
    void execute(const xmlrpc_c::paramList &parameters, xmlrpc_c::value *result) override
    {
        execute_(parameters, result);
    }

private:
    Execute execute_;
};

xmlrpc_c::value bytes(const std::string &text)
{
    return xmlrpc_c::value_bytestring(std::vector<unsigned char>(text.begin(), text.end()));
}

} // namespace

// The methods, by fldigi's names, argument types and results.
class LoggerDoor::Methods {
public:
    explicit Methods(DoorStation &station) : station_(station)
    {
        add("fldigi.name", "s:n", "the program's name",
            [](auto &, auto *r) { *r = xmlrpc_c::value_string("TOLM FSK"); });
        add("fldigi.version", "s:n", "the program's version",
            [](auto &, auto *r) { *r = xmlrpc_c::value_string(Version); });
        add("fldigi.name_version", "s:n", "the program's name and version", [](auto &, auto *r) {
            *r = xmlrpc_c::value_string(std::string("TOLM FSK ") + Version);
        });
        add("fldigi.list", "A:n", "the methods: name, signature and help of each",
            [this](auto &, auto *r) { *r = list(); });
        add("modem.get_name", "s:n", "the modem's name",
            [](auto &, auto *r) { *r = xmlrpc_c::value_string("RTTY"); });
        add("modem.get_names", "A:n", "the modems' names",
            [](auto &, auto *r) { *r = xmlrpc_c::value_array({xmlrpc_c::value_string("RTTY")}); });
        add("main.get_trx_state", "s:n", "RX or TX", [this](auto &, auto *r) {
            *r = xmlrpc_c::value_string(station_.transmitting() ? "TX" : "RX");
        });
        addField("call", "the STATION field", &DoorStation::call, &DoorStation::setCall);
        addField("name", "the NAME field", &DoorStation::name, &DoorStation::setName);
        add("text.get_rx_length", "i:n", "the length of the received text",
            [this](auto &, auto *r) {
                *r = xmlrpc_c::value_int(int(station_.receivedText().size()));
            });
        add("text.get_rx", "6:ii", "the received text from an offset, as many characters as asked",
            [this](auto &p, auto *r) {
                const int start = p.getInt(0, 0);
                const int length = p.getInt(1, 0);
                p.verifyEnd(2);
                const std::string text = station_.receivedText();
                *r = bytes(std::size_t(start) < text.size()
                               ? text.substr(std::size_t(start), std::size_t(length))
                               : std::string());
            });
        add("rx.get_data", "6:n", "the text received since the last call", [this](auto &, auto *r) {
            const std::string text = station_.receivedText();
            // A cleared window starts the count again.
            if (rxRead_ > text.size())
                rxRead_ = 0;
            *r = bytes(text.substr(rxRead_));
            rxRead_ = text.size();
        });
    }

    std::string respond(const std::string &call)
    {
        std::string response;
        registry_.processCall(call, &response);
        return response;
    }

private:
    void add(const std::string &name, const std::string &signature, const std::string &help,
             Execute execute)
    {
        registry_.addMethod(name,
                            xmlrpc_c::methodPtr(new FunctionMethod(signature, help, execute)));
        listed_.push_back({name, signature, help});
    }

    // log.get_<field> and log.set_<field>, for a text field of the station.
    void addField(const std::string &field, const std::string &what,
                  std::string (DoorStation::*get)() const,
                  void (DoorStation::*set)(const std::string &))
    {
        add("log.get_" + field, "s:n", what,
            [this, get](auto &, auto *r) { *r = xmlrpc_c::value_string((station_.*get)()); });
        add("log.set_" + field, "n:s", "sets " + what, [this, set](auto &p, auto *r) {
            const std::string text = p.getString(0);
            p.verifyEnd(1);
            (station_.*set)(text);
            *r = xmlrpc_c::value_nil();
        });
    }

    xmlrpc_c::value list() const
    {
        std::vector<xmlrpc_c::value> entries;
        for (const auto &[name, signature, help] : listed_)
            entries.push_back(
                xmlrpc_c::value_struct({{"name", xmlrpc_c::value_string(name)},
                                        {"signature", xmlrpc_c::value_string(signature)},
                                        {"help", xmlrpc_c::value_string(help)}}));
        return xmlrpc_c::value_array(entries);
    }

    struct Listed {
        std::string name, signature, help;
    };
    DoorStation &station_;
    xmlrpc_c::registry registry_;
    std::vector<Listed> listed_;
    std::size_t rxRead_ = 0;
};

LoggerDoor::LoggerDoor(DoorStation &station, QObject *parent)
    : QObject(parent), station_(station), methods_(std::make_unique<Methods>(station))
{
}

LoggerDoor::~LoggerDoor() = default;

bool LoggerDoor::open(quint16 port)
{
    close();
    server_ = new QTcpServer(this);
    if (!server_->listen(QHostAddress::LocalHost, port)) {
        error_ = server_->errorString();
        delete server_;
        server_ = nullptr;
        return false;
    }
    error_.clear();
    connect(server_, &QTcpServer::newConnection, this, &LoggerDoor::accept);
    return true;
}

void LoggerDoor::close()
{
    delete server_; // its connections are its children
    server_ = nullptr;
}

bool LoggerDoor::isOpen() const
{
    return server_ != nullptr;
}

quint16 LoggerDoor::port() const
{
    return server_ ? server_->serverPort() : 0;
}

std::string LoggerDoor::respond(const std::string &callXml)
{
    return methods_->respond(callXml);
}

void LoggerDoor::accept()
{
    while (QTcpSocket *socket = server_->nextPendingConnection()) {
        socket->setParent(server_);
        auto *deadline = new QTimer(socket);
        deadline->setSingleShot(true);
        deadline->setObjectName("deadline");
        connect(deadline, &QTimer::timeout, socket, &QTcpSocket::abort);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

namespace {

QByteArray httpReply(const QByteArray &status, const QByteArray &body, bool keepOpen)
{
    return "HTTP/1.1 " + status + "\r\nServer: TOLM FSK\r\nContent-Type: text/xml\r\n" +
           "Content-Length: " + QByteArray::number(body.size()) + "\r\n" +
           (keepOpen ? "" : "Connection: close\r\n") + "\r\n" + body;
}

} // namespace

void LoggerDoor::readFrom(QTcpSocket *socket)
{
    auto *deadline = socket->findChild<QTimer *>("deadline");
    for (;;) {
        // A body still coming: its headers were read already.
        const qint64 awaited = socket->property("awaited").toLongLong();
        if (awaited > 0 && socket->bytesAvailable() < awaited)
            return;
        // Bytes of the request under way wait in the socket until it is whole.
        const QByteArray waiting = socket->peek(MaxHeaderBytes + 4);
        const qsizetype headerEnd = waiting.indexOf("\r\n\r\n");
        if (headerEnd < 0) {
            if (waiting.size() > MaxHeaderBytes) {
                socket->write(httpReply("431 Request Header Fields Too Large", {}, false));
                socket->disconnectFromHost();
            } else if (!waiting.isEmpty() && !deadline->isActive()) {
                deadline->start(requestTimeoutMs_);
            }
            return;
        }
        const QList<QByteArray> lines = waiting.left(headerEnd).split('\n');
        const QList<QByteArray> requestLine = lines.front().trimmed().split(' ');
        qint64 length = -1;
        bool keepOpen = requestLine.value(2) != "HTTP/1.0";
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon < 0)
                continue;
            const QByteArray field = lines[i].left(colon).trimmed().toLower();
            const QByteArray value = lines[i].mid(colon + 1).trimmed();
            if (field == "content-length") {
                bool ok = false;
                length = value.toLongLong(&ok);
                if (!ok)
                    length = -2;
            } else if (field == "connection") {
                keepOpen = value.toLower() != "close";
            }
        }
        const auto refuse = [&](const QByteArray &status) {
            socket->write(httpReply(status, {}, false));
            socket->disconnectFromHost();
        };
        if (requestLine.size() != 3 || requestLine[0] != "POST") {
            refuse("405 Method Not Allowed");
            return;
        }
        if (requestLine[1] != "/RPC2" && requestLine[1] != "/") {
            refuse("404 Not Found");
            return;
        }
        if (length < 0) {
            refuse("411 Length Required");
            return;
        }
        if (length > MaxBodyBytes) {
            refuse("413 Content Too Large");
            return;
        }
        const qint64 whole = headerEnd + 4 + length;
        if (socket->bytesAvailable() < whole) {
            socket->setProperty("awaited", whole);
            if (!deadline->isActive())
                deadline->start(requestTimeoutMs_);
            return;
        }
        socket->setProperty("awaited", 0);
        socket->read(headerEnd + 4);
        const QByteArray body = socket->read(length);
        deadline->stop();
        const std::string response = respond(body.toStdString());
        socket->write(httpReply("200 OK", QByteArray::fromStdString(response), keepOpen));
        if (!keepOpen) {
            socket->disconnectFromHost();
            return;
        }
    }
}

} // namespace loggerdoor
