#include "app/HostChannel.h"

#include <QCoreApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>

namespace app {

std::optional<HostMessage> parseHostMessage(const QByteArray& line) {
    const auto parts = line.trimmed().split(' ');
    if (parts.size() != 3) return std::nullopt;
    bool ok1 = false, ok2 = false, ok3 = false;
    HostMessage m;
    m.message = parts[0].toInt(&ok1);
    m.wParam = parts[1].toLongLong(&ok2);
    m.lParam = parts[2].toLongLong(&ok3);
    if (!ok1 || !ok2 || !ok3 || m.message != kHostMessage) return std::nullopt;
    return m;
}

QByteArray formatHostMessage(long long wParam, long long lParam) {
    return QByteArray::number(kHostMessage) + ' ' + QByteArray::number(wParam) + ' ' +
           QByteArray::number(lParam) + '\n';
}

QString hostChannelName(int sessionId) {
    return QStringLiteral("SQL_Report_ProfileAdministrator.%1").arg(sessionId);
}

HostChannel::HostChannel(HostCommandHandler& handler, QObject* parent) : QObject(parent), handler_(handler) {}

HostChannel::~HostChannel() = default;

bool HostChannel::listen(int sessionId, QString* error) {
    delete server_;
    server_ = new QLocalServer(this);
    const auto name = hostChannelName(sessionId);
    QLocalServer::removeServer(name);
    if (!server_->listen(name)) {
        if (error) *error = server_->errorString();
        return false;
    }
    connect(server_, &QLocalServer::newConnection, this, &HostChannel::onNewConnection);
    return true;
}

QString HostChannel::serverName() const { return server_ ? server_->fullServerName() : QString(); }

void HostChannel::onNewConnection() {
    while (auto* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void HostChannel::onReadyRead(QLocalSocket* rawSocket) {
    // Handling a code may run a modal loop (the session-locked window) in which
    // further lines arrive and are handled; each line is taken off the socket
    // before it is handled, so nesting is safe.
    QPointer<QLocalSocket> socket(rawSocket);
    while (socket && socket->canReadLine()) {
        const auto message = parseHostMessage(socket->readLine());
        if (!message) continue;
        const int code = int(message->lParam & 0xFFFF);
        Q_EMIT messageReceived(code);
        const auto answer = handler_.handle(
            code, [&socket] { return socket && socket->state() == QLocalSocket::ConnectedState; });
        if (answer && socket) {
            socket->write(formatHostMessage(QCoreApplication::applicationPid(), *answer));
            socket->flush();
        }
    }
}

}  // namespace app
