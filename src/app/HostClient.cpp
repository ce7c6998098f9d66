#include "app/HostClient.h"

#include "app/HostChannel.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QThread>

namespace app {

HostClient::HostClient() : socket_(std::make_unique<QLocalSocket>()) {
    hostHandle_ = QCoreApplication::applicationPid();
}

HostClient::~HostClient() = default;

bool HostClient::connectToTool(int sessionId, int timeoutMs, QString* error) {
    QDeadlineTimer deadline(timeoutMs);
    const auto name = hostChannelName(sessionId);
    for (;;) {
        socket_->connectToServer(name);
        if (socket_->waitForConnected(std::min<qint64>(1000, std::max<qint64>(1, deadline.remainingTime()))))
            return true;
        socket_->abort();
        if (deadline.hasExpired()) {
            if (error) *error = socket_->errorString();
            return false;
        }
        QThread::msleep(100);
    }
}

bool HostClient::isConnected() const { return socket_->state() == QLocalSocket::ConnectedState; }

std::optional<HostReply> HostClient::send(int code, int timeoutMs) {
    if (!isConnected()) return std::nullopt;
    socket_->write(formatHostMessage(hostHandle_, code));
    socket_->flush();
    QDeadlineTimer deadline(timeoutMs);
    while (!socket_->canReadLine()) {
        if (deadline.hasExpired()) return std::nullopt;
        socket_->waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())));
        if (!socket_->canReadLine() && socket_->state() != QLocalSocket::ConnectedState) return std::nullopt;
    }
    const auto message = parseHostMessage(socket_->readLine());
    if (!message) return std::nullopt;
    HostReply reply;
    reply.toolHandle = message->wParam;
    reply.code = int(message->lParam & 0xFFFF);
    reply.answer = int(message->lParam >> 16);
    return reply;
}

bool HostClient::waitForDisconnected(int timeoutMs) {
    if (socket_->state() == QLocalSocket::UnconnectedState) return true;
    return socket_->waitForDisconnected(timeoutMs);
}

}  // namespace app
