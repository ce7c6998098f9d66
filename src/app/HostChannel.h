#pragma once
// The local channel over which the host steers the tool. Each message is one
// ASCII line "32768 <wParam> <lParam>"; the host's wParam is its own handle,
// the low 16 bits of lParam the command code. The tool replies on the same
// connection with "32768 <tool handle> <answer * 65536 + code>", where the tool
// handle is its process id.

#include "app/HostCommands.h"

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

namespace app {

struct HostMessage {
    int message = 0;
    long long wParam = 0;
    long long lParam = 0;
};

// Parses "32768 <wParam> <lParam>"; nothing for any other line.
std::optional<HostMessage> parseHostMessage(const QByteArray& line);
QByteArray formatHostMessage(long long wParam, long long lParam);

// The name the tool listens on for a session.
QString hostChannelName(int sessionId);

class HostChannel : public QObject {
    Q_OBJECT
public:
    HostChannel(HostCommandHandler& handler, QObject* parent = nullptr);
    ~HostChannel() override;

    // Listens on the session's name, removing a stale socket first.
    bool listen(int sessionId, QString* error = nullptr);
    QString serverName() const;

Q_SIGNALS:
    // Emitted for every well-formed message, before it is handled.
    void messageReceived(int code);

private:
    void onNewConnection();
    void onReadyRead(QLocalSocket* socket);

    HostCommandHandler& handler_;
    QLocalServer* server_ = nullptr;
};

}  // namespace app
