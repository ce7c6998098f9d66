#pragma once
// The host's end of the channel: used by the stand-in host and by tests.
//
// Two ways to talk: send() writes a code and waits for its reply (one
// command, `skyloom-host send`); post() writes a code and returns at once,
// and every reply is handed to the reply handler as it arrives on the event
// loop (relaying what a user types: a command that the tool answers late
// holds back none of those typed after it). Use one way per client.

#include "app/HostChannel.h"

#include <QByteArray>
#include <QString>
#include <deque>
#include <functional>
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

    // Sends a code without waiting; false when not connected.
    bool post(int code);
    // Called on the event loop for each reply to a posted code, in order.
    void setReplyHandler(std::function<void(const HostReply&)> handler);
    // Called once when the connection ends, with the posted codes that got
    // no reply.
    void setDisconnectedHandler(std::function<void(const std::vector<int>& unanswered)> handler);
    // Posted codes still waiting for their reply.
    int pendingCount() const { return int(pending_.size()); }

    // The handle the host announces as its own.
    long long hostHandle() const { return hostHandle_; }

private:
    void onReadyRead();
    void onDisconnected();
    static std::optional<HostReply> replyOf(const QByteArray& line);

    std::unique_ptr<QLocalSocket> socket_;
    long long hostHandle_ = 1;
    HostLineBuffer lines_;
    std::deque<int> pending_;
    std::function<void(const HostReply&)> onReply_;
    std::function<void(const std::vector<int>&)> onDisconnected_;
};

}  // namespace app
