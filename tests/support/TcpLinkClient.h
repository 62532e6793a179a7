// A tiny reference client of the TCP link for the tests: connects, says hello, sends frames and
// collects the terminal's frames while the test's event loop runs.
#pragma once

#include "Frames.h"
#include "TcpLinkProtocol.h"

#include <QTcpSocket>
#include <QTest>
#include <vector>

class TcpLinkClient {
public:
    explicit TcpLinkClient(quint16 port)
    {
        QObject::connect(&socket, &QTcpSocket::readyRead, [this] {
            const QByteArray bytes = socket.readAll();
            reader.feed(std::span(reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                                  std::size_t(bytes.size())));
            while (auto frame = reader.next())
                received.push_back(*frame);
        });
        socket.connectToHost(QHostAddress::LocalHost, port);
    }

    bool waitConnected()
    {
        return QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::ConnectedState; },
                               2000);
    }
    bool waitClosed(int ms = 2000)
    {
        return QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::UnconnectedState; },
                               ms);
    }
    bool waitFrames(std::size_t count, int ms = 2000)
    {
        return QTest::qWaitFor([&] { return received.size() >= count; }, ms);
    }

    void send(const std::vector<std::uint8_t> &bytes)
    {
        socket.write(reinterpret_cast<const char *>(bytes.data()), qint64(bytes.size()));
        socket.flush();
    }
    void sendRaw(const QByteArray &bytes)
    {
        socket.write(bytes);
        socket.flush();
    }
    void hello() { send(tcplink::clientHelloFrame()); }
    void sendChar(std::int16_t code) { send(tcplink::clientShortFrame(tcplink::ClientChar, code)); }

    // The i16 value of received frame i.
    std::int16_t shortValue(std::size_t i) const
    {
        return std::int16_t(received.at(i).payload.at(0) | (received.at(i).payload.at(1) << 8));
    }

    QTcpSocket socket;
    wire::FrameReader reader{tcplink::MaxFrameBytes};
    std::vector<wire::Frame> received;
};
