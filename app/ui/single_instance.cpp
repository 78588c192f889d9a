#include "single_instance.h"

#include <unistd.h>

#include <QDir>
#include <QLocalSocket>

namespace ui {

QString instanceSocketPath() {
    const QByteArray env = qgetenv("OVFC_INSTANCE");
    if (!env.isEmpty()) return QString::fromLocal8Bit(env);
    QString dir = QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR"));
    if (dir.isEmpty() || !QDir(dir).exists()) dir = QDir::tempPath();
    return dir + QStringLiteral("/ovfctest-") + QString::number(::getuid());
}

std::optional<QByteArray> askRunningInstance(const QString& socket, const QByteArray& request,
                                             int timeoutMs) {
    QLocalSocket peer;
    peer.connectToServer(socket);
    if (!peer.waitForConnected(timeoutMs)) return std::nullopt;
    peer.write(request + '\n');
    if (!peer.waitForBytesWritten(timeoutMs)) return std::nullopt;
    QByteArray answer;
    while (!answer.contains('\n')) {
        if (!peer.waitForReadyRead(timeoutMs)) break;
        answer += peer.readAll();
    }
    if (!answer.contains('\n')) return std::nullopt;
    return answer.left(answer.indexOf('\n'));
}

SingleInstance::SingleInstance(QString socket) : socket_(std::move(socket)) {}

SingleInstance::~SingleInstance() {
    if (server_) server_->close();
}

bool SingleInstance::listen(Handler handler) {
    handler_ = std::move(handler);
    // Someone answers: a running instance. Nobody: at most a socket file left behind by a
    // killed one. (Listening binds in place, so of two starts at once only one gets it.)
    {
        QLocalSocket probe;
        probe.connectToServer(socket_);
        if (probe.waitForConnected(1000)) return false;
    }
    server_ = std::make_unique<QLocalServer>();
    if (!server_->listen(socket_)) {
        if (server_->serverError() != QAbstractSocket::AddressInUseError) return false;
        QLocalSocket probe;
        probe.connectToServer(socket_);
        if (probe.waitForConnected(1000)) return false;
        QLocalServer::removeServer(socket_);
        if (!server_->listen(socket_)) return false;
    }
    QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(), [this] {
        while (QLocalSocket* peer = server_->nextPendingConnection()) {
            QObject::connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
            QObject::connect(peer, &QLocalSocket::readyRead, peer, [this, peer] {
                if (!peer->canReadLine()) {
                    // A peer that never ends its line is cut off at a sane length.
                    if (peer->bytesAvailable() > 4096) peer->abort();
                    return;
                }
                const QByteArray request = peer->readLine().trimmed();
                peer->write(handler_(request) + '\n');
                peer->flush();
                peer->disconnectFromServer();
            });
        }
    });
    return true;
}

}  // namespace ui
