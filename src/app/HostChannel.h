#pragma once
// The local channel over which the host steers the tool. Each message is one
// ASCII line "32768 <wParam> <lParam>"; the host's wParam is its own handle,
// the low 16 bits of lParam the command code. The tool replies on the same
// connection with "32768 <tool handle> <answer * 65536 + code>", where the tool
// handle is its process id.
//
// The socket lives in a folder only its user can enter (see
// hostChannelFolder), so no other user can take or squat the name, and a
// second tool on the same session finds the first one answering and stays
// out instead of taking its channel.

#include "app/HostCommands.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <optional>
#include <unordered_map>

class QLocalServer;
class QLocalSocket;

namespace app {

class AppContext;

// The host keeps one connection and `skyloom-host send` opens a second; a
// message line is a few dozen characters and its answer as short. Anything
// beyond these limits is not a host and is dropped.
inline constexpr int kMaxHostConnections = 8;
inline constexpr qsizetype kMaxHostLineBytes = 256;
inline constexpr qint64 kMaxHostUnreadReplyBytes = 64 * 1024;

struct HostMessage {
    int message = 0;
    long long wParam = 0;
    long long lParam = 0;
};

// Parses "32768 <wParam> <lParam>"; nothing for any other line.
std::optional<HostMessage> parseHostMessage(const QByteArray& line);
QByteArray formatHostMessage(long long wParam, long long lParam);

// Cuts the bytes a connection delivers into lines, refusing a line longer
// than the limit. Knows nothing of sockets, so it is tested (and fuzzed) on
// its own.
class HostLineBuffer {
public:
    explicit HostLineBuffer(qsizetype maxLineBytes = kMaxHostLineBytes);

    // Adds received bytes. Returns false, and stays refused, once a line
    // (counted without its line feed) is longer than the limit.
    bool append(QByteArrayView bytes);
    // The next complete line without its line feed; nothing when no
    // complete line is held or the buffer was refused.
    std::optional<QByteArray> takeLine();
    bool refused() const { return refused_; }
    // Bytes held that no line taken yet has consumed.
    qsizetype heldBytes() const { return buffer_.size() - start_; }

private:
    QByteArray buffer_;
    qsizetype start_ = 0;       // first byte not yet taken
    qsizetype lineLength_ = 0;  // bytes of the line being received
    qsizetype maxLineBytes_;
    bool refused_ = false;
};

// The socket's base name for a session.
QString hostChannelName(int sessionId);

// The folder the channel's socket lives in: XDG_RUNTIME_DIR when it is set,
// else "skyloom-<user id>" below the temporary folder. Either must be a
// folder of the user's own that no one else may enter; with `create` the
// folder below the temporary folder is made (mode 0700) when missing.
// Returns an empty text, with the reason in `error`, when there is no such
// folder. The tool and the host both find the socket through it.
QString hostChannelFolder(bool create, QString* error);
// The full name of a session's channel: the socket's path (on Windows, where
// there is no folder, the pipe's name). Empty, with the reason, as above.
QString hostChannelPath(int sessionId, bool create, QString* error);

class HostChannel : public QObject {
    Q_OBJECT
public:
    enum class ListenResult {
        Listening,
        InUse,   // a live server answers on the session's name
        Failed,  // no private folder, or the system refused
    };

    HostChannel(HostCommandHandler& handler, QObject* parent = nullptr);
    ~HostChannel() override;

    // Listens on the session's name. A socket left behind by a tool that
    // ended is removed; one that a live server answers on is left alone
    // (InUse). Once listening, the server is watched: when the system stops
    // it (no file handles left), the stop is traced and it listens again.
    ListenResult listen(int sessionId, QString* error = nullptr);
    QString serverName() const;
    int connectionCount() const { return int(connections_.size()); }

    // How often the server is checked to be listening still (1 s).
    void setWatchInterval(int ms) { watch_.setInterval(ms); }

Q_SIGNALS:
    // Emitted for every well-formed message, before it is handled.
    void messageReceived(int code);
    // The server had stopped and listens again.
    void listeningAgain();
    // A connection was dropped for breaking the limits.
    void connectionDropped();

private:
    ListenResult openServer(QString* error);
    void checkListening();
    void onNewConnection();
    void onReadyRead(QLocalSocket* socket);
    // Answers one line; false when the connection was dropped meanwhile.
    bool handleLine(QLocalSocket* socket, const QByteArray& line);
    void runQueuedLater();
    void drop(QLocalSocket* socket, const QString& why);
    void forget(QLocalSocket* socket);
    void trace(int level, const QString& text);

    HostCommandHandler& handler_;
    QLocalServer* server_ = nullptr;
    QTimer watch_;
    int sessionId_ = 0;
    bool stopped_ = false;    // the watch saw the server stopped
    bool runPosted_ = false;  // a run of the queued codes is on its way
    QString lastRestartError_;
    std::unordered_map<QLocalSocket*, HostLineBuffer> connections_;
};

// Tells the user why the tool does not start when its channel cannot be
// opened, and traces it. The words are in the session's language files, so
// the session is read for them (its own errors are shown as at start-up).
void showHostChannelRefusal(AppContext& context, HostChannel::ListenResult result, const QString& reason);

}  // namespace app
