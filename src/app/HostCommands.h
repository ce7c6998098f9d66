#pragma once
// The host's command protocol: which codes are refused while the tool is busy,
// what each code does, and what is answered. Kept free of sockets and windows
// so the table can be tested on its own.

#include <QString>
#include <deque>
#include <functional>
#include <optional>

namespace app {

// Message number of every host message (WM_APP).
inline constexpr int kHostMessage = 0x8000;

enum HostCode : int {
    HostResetA = 1,
    HostCloseA = 2,
    HostCloseB = 3,
    HostResetB = 4,
    HostCloseC = 5,
    HostMinimise = 6,
    HostRestore = 7,
    HostBringToFront = 9,
    HostConnectionLost = 10,
    HostShowSessionLocked = 11,
    HostCloseSessionLocked = 12,
    HostActivityQuery = 20,
};

// What the main window does for the host.
class HostActions {
public:
    virtual ~HostActions() = default;
    virtual void reset() = 0;              // start-up sequence again, session file included
    virtual void close() = 0;              // before-close step, then the close timer
    virtual void showSessionLocked() = 0;  // modal; may return only when the window closes
    virtual void closeSessionLocked() = 0;
    virtual void minimise() = 0;
    virtual void restore() = 0;
    virtual void connectionLost() = 0;     // the closing window, once
    virtual bool wasActiveRecently() = 0;  // activity monitor
    virtual void trace(int level, const char* text) = 0;
};

class HostCommandHandler {
public:
    HostCommandHandler(HostActions& actions, std::function<bool()> isBusy);

    // Handles one code. Returns the second parameter of the reply
    // (answer * 65536 + code), or nothing when the sender is gone.
    // The session-locked window waits for the user, and the host keeps
    // sending on the same connection while it is up: showing and closing it
    // are answered at once and queued, in order, for runQueued().
    std::optional<int> handle(int code, const std::function<bool()>& senderAlive);

    // Carries out the first queued code. The channel calls it from the event
    // loop once the answers went out. `restLater` is called after the code
    // was taken off the queue and before it runs: showing the window runs a
    // modal loop, and the codes after it (closing it) must run from there.
    void runNextQueued(const std::function<void()>& restLater = {});
    bool hasQueued() const { return !queued_.empty(); }

    // Writes to the trace log of whoever carries out the codes.
    void trace(int level, const QString& text);

    static int reply(int answer, int code) { return answer * 65536 + code; }
    static bool allowedWhileBusy(int code);

private:
    HostActions& actions_;
    std::function<bool()> isBusy_;
    std::deque<int> queued_;
};

}  // namespace app
