#include "TXMMT.h"

#include "Frames.h"
#include "TcpLinkProtocol.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <deque>
#include <type_traits>

struct TXMMT::Client {
    std::unique_ptr<QTcpSocket> socket;
    wire::FrameReader reader{tcplink::MaxFrameBytes};
    std::int16_t index = 0;        // 0 until the client has said hello
    QTimer deadline;               // runs while a hello or the rest of a frame is awaited
    QElapsedTimer clock;           // since the connection, for the rate limit
    std::deque<qint64> lastSecond; // when each frame of the last second came, ms on clock
};

TXMMT::TXMMT(QObject *parent) : QObject(parent), ObservedControl(this), port_(tcplink::DefaultPort)
{
}

TXMMT::~TXMMT()
{
    // Sockets go without events: the window that listens is going too.
    for (auto &[id, client] : clients_)
        client->socket->disconnect(this);
}

std::uint16_t TXMMT::serverPort() const
{
    return server_ ? server_->serverPort() : 0;
}

bool TXMMT::isActive() const
{
    return server_ && server_->isListening();
}

void TXMMT::setbActive(bool active)
{
    noteWrite("bActive", xmm::boolText(active));
    if (active) {
        if (isActive())
            return;
        server_ = std::make_unique<QTcpServer>();
        server_->setMaxPendingConnections(MaxClients);
        connect(server_.get(), &QTcpServer::newConnection, this, &TXMMT::accept);
        // A port held by another program leaves the link off; the terminal goes on without it.
        if (!server_->listen(QHostAddress::LocalHost, port_))
            server_.reset();
        return;
    }
    server_.reset();
    while (!clients_.empty())
        drop(clients_.begin()->first);
}

void TXMMT::accept()
{
    while (server_ && server_->hasPendingConnections()) {
        std::unique_ptr<QTcpSocket> socket(server_->nextPendingConnection());
        socket->setParent(nullptr);
        if (int(clients_.size()) >= MaxClients) {
            socket->abort();
            continue;
        }
        const std::uint64_t id = nextId_++;
        auto client = std::make_unique<Client>();
        client->socket = std::move(socket);
        client->clock.start();
        client->deadline.setSingleShot(true);
        client->deadline.setInterval(helloTimeoutMs_);
        connect(&client->deadline, &QTimer::timeout, this, [this, id] { drop(id); });
        connect(client->socket.get(), &QTcpSocket::readyRead, this, [this, id] { readFrom(id); });
        connect(client->socket.get(), &QTcpSocket::disconnected, this, [this, id] { drop(id); });
        connect(client->socket.get(), &QTcpSocket::errorOccurred, this, [this, id] { drop(id); });
        client->deadline.start();
        const std::vector<std::uint8_t> hello = tcplink::serverHelloFrame();
        client->socket->write(reinterpret_cast<const char *>(hello.data()), qint64(hello.size()));
        clients_.emplace(id, std::move(client));
    }
}

TXMMT::Client *TXMMT::clientById(std::uint64_t id)
{
    const auto it = clients_.find(id);
    return it == clients_.end() ? nullptr : it->second.get();
}

int TXMMT::freeIndex() const
{
    for (int index = 1; index <= MaxClients; ++index) {
        bool taken = false;
        for (const auto &[id, client] : clients_)
            taken = taken || client->index == index;
        if (!taken)
            return index;
    }
    return 0;
}

void TXMMT::readFrom(std::uint64_t id)
{
    Client *client = clientById(id);
    if (!client)
        return;
    const QByteArray bytes = client->socket->readAll();
    client->reader.feed(std::span(reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                                  std::size_t(bytes.size())));

    // Each event may run a handler that pumps events or closes the link: the client is looked
    // up again after every one.
    while ((client = clientById(id)) != nullptr) {
        auto frame = client->reader.next();
        if (!frame)
            break;
        // The frames of the last second, whenever it began.
        const qint64 now = client->clock.elapsed();
        while (!client->lastSecond.empty() && now - client->lastSecond.front() >= 1000)
            client->lastSecond.pop_front();
        client->lastSecond.push_back(now);
        const bool flooding = client->lastSecond.size() > std::size_t(MaxFramesPerSecond);
        const auto message = tcplink::decodeClientFrame(*frame);
        const bool helloFirst =
            client->index != 0 || (message && std::holds_alternative<tcplink::Hello>(*message));
        if (!message || !helloFirst || flooding) {
            drop(id);
            return;
        }
        const std::int16_t index = client->index;
        std::visit(
            [&](const auto &m) {
                using M = std::decay_t<decltype(m)>;
                if constexpr (std::is_same_v<M, tcplink::Hello>) {
                    if (index != 0 || m.version != tcplink::Version || freeIndex() == 0) {
                        drop(id);
                        return;
                    }
                    client->index = std::int16_t(freeIndex());
                    emit OnConnected(client->index);
                } else if constexpr (std::is_same_v<M, tcplink::Char>) {
                    emit OnCharRcvd(index, m.code);
                } else if constexpr (std::is_same_v<M, tcplink::Ptt>) {
                    emit OnPttEvent(index, m.transmitting);
                } else if constexpr (std::is_same_v<M, tcplink::Fft>) {
                    emit OnNotifyFFT(index, m.values.data(), std::int16_t(m.values.size()),
                                     m.sampleRate);
                } else if constexpr (std::is_same_v<M, tcplink::Xy>) {
                    emit OnNotifyXY(index, m.block.data());
                } else if constexpr (std::is_same_v<M, tcplink::Status>) {
                    emit OnNotifyNMMT(index, m.record.data());
                } else if constexpr (std::is_same_v<M, tcplink::ProfileRequest>) {
                    QString name;
                    emit OnGetProfileName(index, m.profile, &name);
                    send(index, tcplink::serverProfileNameFrame(m.profile, name.toStdString()));
                }
            },
            *message);
    }
    if ((client = clientById(id)) == nullptr)
        return;
    if (client->reader.failed()) {
        drop(id);
        return;
    }
    // A hello or a frame that has begun must be complete within the bound.
    if (client->index == 0 || client->reader.pending() > 0) {
        if (!client->deadline.isActive())
            client->deadline.start();
    } else {
        client->deadline.stop();
    }
}

void TXMMT::drop(std::uint64_t id)
{
    const auto it = clients_.find(id);
    if (it == clients_.end())
        return;
    std::unique_ptr<Client> client = std::move(it->second);
    clients_.erase(it);
    client->deadline.stop();
    client->socket->disconnect(this);
    client->socket->abort();
    // The socket may be inside one of its own signals: it is deleted once that has returned.
    client->socket.release()->deleteLater();
    if (client->index != 0)
        emit OnDisconnected(client->index);
}

bool TXMMT::send(std::int16_t nIndex, const std::vector<std::uint8_t> &frame)
{
    for (auto &[id, client] : clients_) {
        if (client->index != nIndex || nIndex == 0)
            continue;
        if (client->socket->bytesToWrite() + qint64(frame.size()) > MaxUnsentBytes) {
            const std::uint64_t stalled = id;
            QTimer::singleShot(0, this, [this, stalled] { drop(stalled); });
            return false;
        }
        client->socket->write(reinterpret_cast<const char *>(frame.data()), qint64(frame.size()));
        return true;
    }
    return false;
}

bool TXMMT::SendChar(std::int16_t nIndex, std::int16_t code)
{
    noteCall("SendChar", QStringLiteral("%1, %2").arg(nIndex).arg(code));
    return send(nIndex, tcplink::serverShortFrame(tcplink::ServerChar, code));
}

bool TXMMT::SendCode(std::int16_t nIndex, std::int16_t code)
{
    noteCall("SendCode", QStringLiteral("%1, %2").arg(nIndex).arg(code));
    return send(nIndex, tcplink::serverShortFrame(tcplink::ServerCode, code));
}

bool TXMMT::SendValue(std::int16_t nIndex, std::int16_t value)
{
    noteCall("SendValue", QStringLiteral("%1, %2").arg(nIndex).arg(value));
    return send(nIndex, tcplink::serverShortFrame(tcplink::ServerValue, value));
}
