#include "app/HostClient.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QThread>
#include <vector>

namespace app {

HostClient::HostClient() : socket_(std::make_unique<QLocalSocket>()) {
    hostHandle_ = QCoreApplication::applicationPid();
    QObject::connect(socket_.get(), &QLocalSocket::readyRead, socket_.get(), [this] { onReadyRead(); });
    QObject::connect(socket_.get(), &QLocalSocket::disconnected, socket_.get(), [this] { onDisconnected(); });
}

HostClient::~HostClient() {
    // No handler may run while the members are torn down.
    socket_->disconnect();
}

bool HostClient::connectToTool(int sessionId, int timeoutMs, QString* error) {
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        // The tool makes its folder when it starts: look again each time.
        QString why;
        const QString path = hostChannelPath(sessionId, false, &why);
        if (!path.isEmpty()) {
            socket_->connectToServer(path);
            if (socket_->waitForConnected(
                    std::min<qint64>(1000, std::max<qint64>(1, deadline.remainingTime()))))
                return true;
            why = socket_->errorString();
            socket_->abort();
        }
        if (deadline.hasExpired()) {
            if (error) *error = why;
            return false;
        }
        QThread::msleep(100);
    }
}

bool HostClient::isConnected() const { return socket_->state() == QLocalSocket::ConnectedState; }

std::optional<HostReply> HostClient::replyOf(const QByteArray& line) {
    const auto message = parseHostMessage(line);
    if (!message) return std::nullopt;
    HostReply reply;
    reply.toolHandle = message->wParam;
    reply.code = int(message->lParam & 0xFFFF);
    reply.answer = int(message->lParam >> 16);
    return reply;
}

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
    return replyOf(socket_->readLine());
}

bool HostClient::waitForDisconnected(int timeoutMs) {
    if (socket_->state() == QLocalSocket::UnconnectedState) return true;
    return socket_->waitForDisconnected(timeoutMs);
}

bool HostClient::post(int code) {
    if (!isConnected()) return false;
    pending_.push_back(code);
    socket_->write(formatHostMessage(hostHandle_, code));
    socket_->flush();
    return true;
}

void HostClient::setReplyHandler(std::function<void(const HostReply&)> handler) {
    onReply_ = std::move(handler);
}

void HostClient::setDisconnectedHandler(std::function<void(const std::vector<int>&)> handler) {
    onDisconnected_ = std::move(handler);
}

void HostClient::onReadyRead() {
    // send() reads its reply itself.
    if (!onReply_) return;
    while (socket_->bytesAvailable() > 0) {
        if (!lines_.append(socket_->readAll())) {
            socket_->abort();
            return;
        }
        while (const auto line = lines_.takeLine()) {
            const auto reply = replyOf(*line);
            if (!reply) continue;
            if (!pending_.empty()) pending_.pop_front();
            onReply_(*reply);
        }
    }
}

void HostClient::onDisconnected() {
    const std::vector<int> unanswered(pending_.begin(), pending_.end());
    pending_.clear();
    if (onDisconnected_) onDisconnected_(unanswered);
}

}  // namespace app
