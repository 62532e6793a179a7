#include "SingleInstance.h"

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

namespace {
constexpr int AnswerMs = 1000;
const QByteArray ComeForward = "forward\n";
} // namespace

QString SingleInstance::socketPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation))
        .filePath(QStringLiteral("tolmfsk-terminal"));
}

bool SingleInstance::handOver()
{
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    if (!socket.waitForConnected(AnswerMs))
        return false;
    socket.write(ComeForward);
    socket.waitForBytesWritten(AnswerMs);
    socket.disconnectFromServer();
    return true;
}

SingleInstance::SingleInstance(std::function<void()> comeForward)
    : comeForward_(std::move(comeForward))
{
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_.listen(socketPath())) {
        // A socket left by a terminal that did not end cleanly: nobody answered on it.
        QLocalServer::removeServer(socketPath());
        server_.listen(socketPath());
    }
    QObject::connect(&server_, &QLocalServer::newConnection, [this] {
        while (QLocalSocket *socket = server_.nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
                if (socket->readAll().contains(ComeForward.trimmed()) && comeForward_)
                    comeForward_();
            });
        }
    });
}
