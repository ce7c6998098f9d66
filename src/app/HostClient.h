#pragma once
// The host's end of the channel: used by the stand-in host and by tests.

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>

class QLocalSocket;

namespace app {

struct HostReply {
    long long toolHandle = 0;
    int code = 0;
    int answer = 0;
};

class HostClient {
public:
    HostClient();
    ~HostClient();

    // Connects to the tool of a session, retrying until `timeoutMs` passed.
    bool connectToTool(int sessionId, int timeoutMs, QString* error = nullptr);
    bool isConnected() const;
    // Sends a code and waits for its reply; nothing when none came in time.
    std::optional<HostReply> send(int code, int timeoutMs);
    // Waits until the tool closes the connection (it ended).
    bool waitForDisconnected(int timeoutMs);

    // The handle the host announces as its own.
    long long hostHandle() const { return hostHandle_; }

private:
    std::unique_ptr<QLocalSocket> socket_;
    long long hostHandle_ = 1;
};

}  // namespace app
