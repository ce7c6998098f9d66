#include "app/HostChannel.h"

#include "app/AppContext.h"
#include "app/SessionReader.h"
#include "app/TraceLog.h"
#include "text/TextTables.h"
#include "ui/Prompts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#endif

namespace app {

namespace {

// Texts of Message.txt for a tool that cannot open its channel.
constexpr int kTextChannelInUse = 9050;
constexpr int kTextChannelFailed = 9051;
constexpr int kTextChannelCaption = 9052;

// How long a live server may take to accept the probe's connection.
constexpr int kProbeTimeoutMs = 1000;
constexpr qint64 kReadChunkBytes = 4096;

enum class SocketState { Absent, Stale, Live, Unusable };

#ifdef Q_OS_UNIX
QString systemError() { return QString::fromLocal8Bit(std::strerror(errno)); }

// A folder that is the user's own and closed to everyone else. `follow`
// accepts a symbolic link to such a folder (XDG_RUNTIME_DIR is the user's
// session's own setting); below the shared temporary folder a link could
// lead anywhere and is refused.
bool isPrivateFolder(const QString& path, bool follow, QString* error) {
    struct stat st {};
    const QByteArray name = QFile::encodeName(path);
    if ((follow ? ::stat(name.constData(), &st) : ::lstat(name.constData(), &st)) != 0) {
        *error = QStringLiteral("The folder %1 cannot be used: %2").arg(path, systemError());
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        *error = QStringLiteral("%1 is not a folder").arg(path);
        return false;
    }
    if (st.st_uid != ::geteuid()) {
        *error = QStringLiteral("The folder %1 belongs to another user").arg(path);
        return false;
    }
    if ((st.st_mode & 077) != 0) {
        *error = QStringLiteral("The folder %1 is open to other users (mode %2)")
                     .arg(path, QString::number(st.st_mode & 0777, 8));
        return false;
    }
    return true;
}
#endif

QString channelPath(const QString& folder, int sessionId) {
    return folder.isEmpty() ? hostChannelName(sessionId) : folder + u'/' + hostChannelName(sessionId);
}

// What is found under the channel's path.
SocketState probe(const QString& path, QString* error) {
#ifdef Q_OS_UNIX
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0) return SocketState::Absent;
    if (!S_ISSOCK(st.st_mode)) {
        *error = QStringLiteral("%1 exists and is not a socket").arg(path);
        return SocketState::Unusable;
    }
#endif
    QLocalSocket socket;
    socket.connectToServer(path);
    if (socket.waitForConnected(kProbeTimeoutMs)) {
        socket.abort();
        *error = QStringLiteral("Another program answers on %1").arg(path);
        return SocketState::Live;
    }
    switch (socket.error()) {
        case QLocalSocket::ConnectionRefusedError: return SocketState::Stale;
        case QLocalSocket::ServerNotFoundError: return SocketState::Absent;
        default:
            *error = QStringLiteral("%1 cannot be checked: %2").arg(path, socket.errorString());
            return SocketState::Unusable;
    }
}

}  // namespace

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

HostLineBuffer::HostLineBuffer(qsizetype maxLineBytes) : maxLineBytes_(maxLineBytes) {}

bool HostLineBuffer::append(QByteArrayView bytes) {
    if (refused_) return false;
    for (const char c : bytes) {
        if (c == '\n') {
            lineLength_ = 0;
        } else if (++lineLength_ > maxLineBytes_) {
            refused_ = true;
            buffer_.clear();
            start_ = 0;
            return false;
        }
    }
    // Taken lines are dropped from the front only now and then, so that a
    // burst of many short lines costs no more than one pass.
    if (start_ > 0 && start_ >= buffer_.size() / 2) {
        buffer_.remove(0, start_);
        start_ = 0;
    }
    buffer_.append(bytes);
    return true;
}

std::optional<QByteArray> HostLineBuffer::takeLine() {
    if (refused_) return std::nullopt;
    const qsizetype end = buffer_.indexOf('\n', start_);
    if (end < 0) return std::nullopt;
    QByteArray line = buffer_.mid(start_, end - start_);
    start_ = end + 1;
    return line;
}

QString hostChannelName(int sessionId) {
    return QStringLiteral("SQL_Report_ProfileAdministrator.%1").arg(sessionId);
}

QString hostChannelFolder(bool create, QString* error) {
    QString why;
#ifdef Q_OS_UNIX
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty()) {
        if (isPrivateFolder(runtime, true, &why)) return runtime;
    } else {
        const QString own = QDir::tempPath() + QStringLiteral("/skyloom-") + QString::number(::geteuid());
        if (create && ::mkdir(QFile::encodeName(own).constData(), 0700) != 0 && errno != EEXIST) {
            why = QStringLiteral("The folder %1 cannot be created: %2").arg(own, systemError());
        } else if (isPrivateFolder(own, false, &why)) {
            return own;
        }
    }
#else
    // Named pipes have no folder; the server restricts the pipe to the user.
    Q_UNUSED(create);
    return QString();
#endif
    if (error) *error = why;
    return QString();
}

QString hostChannelPath(int sessionId, bool create, QString* error) {
    QString why;
    const QString folder = hostChannelFolder(create, &why);
#ifdef Q_OS_UNIX
    if (folder.isEmpty()) {
        if (error) *error = why;
        return QString();
    }
#endif
    return channelPath(folder, sessionId);
}

HostChannel::HostChannel(HostCommandHandler& handler, QObject* parent)
    : QObject(parent), handler_(handler), server_(new QLocalServer(this)) {
#ifndef Q_OS_UNIX
    server_->setSocketOptions(QLocalServer::UserAccessOption);
#endif
    connect(server_, &QLocalServer::newConnection, this, &HostChannel::onNewConnection);
    watch_.setInterval(1000);
    connect(&watch_, &QTimer::timeout, this, &HostChannel::checkListening);
}

HostChannel::~HostChannel() = default;

HostChannel::ListenResult HostChannel::listen(int sessionId, QString* error) {
    watch_.stop();
    server_->close();
    sessionId_ = sessionId;
    stopped_ = false;
    QString why;
    const ListenResult result = openServer(&why);
    if (result == ListenResult::Listening)
        watch_.start();
    else if (error)
        *error = why;
    return result;
}

HostChannel::ListenResult HostChannel::openServer(QString* error) {
    const QString path = hostChannelPath(sessionId_, true, error);
    if (path.isEmpty()) return ListenResult::Failed;
    switch (probe(path, error)) {
        case SocketState::Live: return ListenResult::InUse;
        case SocketState::Unusable: return ListenResult::Failed;
        case SocketState::Stale:
            // Left behind by a tool that ended without closing it.
            if (!QLocalServer::removeServer(path)) {
                *error = QStringLiteral("The stale socket %1 cannot be removed").arg(path);
                return ListenResult::Failed;
            }
            break;
        case SocketState::Absent: break;
    }
    if (server_->listen(path)) return ListenResult::Listening;
    *error = server_->errorString();
    // Another tool may have started on the same session meanwhile.
    QString ignored;
    if (server_->serverError() == QAbstractSocket::AddressInUseError &&
        probe(path, &ignored) == SocketState::Live)
        return ListenResult::InUse;
    return ListenResult::Failed;
}

QString HostChannel::serverName() const { return server_->fullServerName(); }

void HostChannel::checkListening() {
    if (server_->isListening()) return;
    // The server closes itself (and removes its socket) when accepting fails,
    // typically because the process has no file handle left.
    if (!stopped_) {
        stopped_ = true;
        lastRestartError_.clear();
        trace(int(TraceLevel::Info),
              QStringLiteral("Host channel: the server stopped listening (%1)").arg(server_->errorString()));
    }
    QString why;
    if (openServer(&why) == ListenResult::Listening) {
        stopped_ = false;
        trace(int(TraceLevel::Info), QStringLiteral("Host channel: listening again on %1").arg(serverName()));
        Q_EMIT listeningAgain();
    } else if (why != lastRestartError_) {
        lastRestartError_ = why;
        trace(int(TraceLevel::Info), QStringLiteral("Host channel: cannot listen again: %1").arg(why));
    }
}

void HostChannel::onNewConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        if (connections_.size() >= std::size_t(kMaxHostConnections)) {
            trace(int(TraceLevel::Warning),
                  QStringLiteral("Host channel: more than %1 connections; the new one is closed")
                      .arg(kMaxHostConnections));
            socket->abort();
            socket->deleteLater();
            Q_EMIT connectionDropped();
            continue;
        }
        connections_.emplace(socket, HostLineBuffer());
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] { forget(socket); });
    }
}

void HostChannel::onReadyRead(QLocalSocket* rawSocket) {
    QPointer<QLocalSocket> socket(rawSocket);
    while (socket && socket->bytesAvailable() > 0) {
        const auto it = connections_.find(socket.data());
        if (it == connections_.end()) return;
        if (!it->second.append(socket->read(kReadChunkBytes))) {
            drop(socket, QStringLiteral("a line longer than %1 bytes").arg(kMaxHostLineBytes));
            return;
        }
        while (socket) {
            const auto held = connections_.find(socket.data());
            if (held == connections_.end()) return;
            const auto line = held->second.takeLine();
            if (!line) break;
            if (!handleLine(socket, *line)) return;
        }
    }
}

void HostChannel::runQueuedLater() {
    // Codes that open a window run after their answer went out, from the
    // event loop, so the lines that follow are read while the window is up.
    if (runPosted_ || !handler_.hasQueued()) return;
    runPosted_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            runPosted_ = false;
            handler_.runNextQueued([this] { runQueuedLater(); });
        },
        Qt::QueuedConnection);
}

bool HostChannel::handleLine(QLocalSocket* socket, const QByteArray& line) {
    const auto message = parseHostMessage(line);
    if (!message) return true;
    const int code = int(message->lParam & 0xFFFF);
    Q_EMIT messageReceived(code);
    const auto answer =
        handler_.handle(code, [socket] { return socket->state() == QLocalSocket::ConnectedState; });
    runQueuedLater();
    if (!answer) return true;
    socket->write(formatHostMessage(QCoreApplication::applicationPid(), *answer));
    socket->flush();
    if (socket->bytesToWrite() > kMaxHostUnreadReplyBytes) {
        drop(socket, QStringLiteral("its answers are not read"));
        return false;
    }
    return true;
}

void HostChannel::drop(QLocalSocket* socket, const QString& why) {
    trace(int(TraceLevel::Warning), QStringLiteral("Host channel: connection dropped: ") + why);
    forget(socket);
    socket->abort();
    Q_EMIT connectionDropped();
}

void HostChannel::forget(QLocalSocket* socket) {
    if (connections_.erase(socket) == 0) return;
    socket->disconnect(this);
    socket->deleteLater();
}

void HostChannel::trace(int level, const QString& text) { handler_.trace(level, text); }

void showHostChannelRefusal(AppContext& context, HostChannel::ListenResult result, const QString& reason) {
    context.trace().Trace(TraceLevel::Info, QStringLiteral("Host channel: ") + reason);
    SessionData& session = context.session();
    if (!ReadSession(session, context.prompts())) return;
    text::TextTables& texts = context.texts();
    texts.setLocation(session.SysDir, session.Language);
    texts.load(text::Slot::Messages, QString::fromLatin1(text::kMessageFile));
    const QString text =
        result == HostChannel::ListenResult::InUse
            ? texts.message(kTextChannelInUse) + QStringLiteral(" (SessionId = %1)").arg(session.SessionId)
            : texts.message(kTextChannelFailed) + QStringLiteral(" (") + reason + u')';
    context.prompts().message(ui::Icon::Error, text, texts.message(kTextChannelCaption));
}

}  // namespace app
