#include "app/HostCommands.h"

namespace app {

HostCommandHandler::HostCommandHandler(HostActions& actions, std::function<bool()> isBusy)
    : actions_(actions), isBusy_(std::move(isBusy)) {}

bool HostCommandHandler::allowedWhileBusy(int code) {
    return code == HostMinimise || code == HostRestore || code == HostBringToFront ||
           code == HostConnectionLost;
}

std::optional<int> HostCommandHandler::handle(int code, const std::function<bool()>& senderAlive) {
    if (isBusy_ && isBusy_() && !allowedWhileBusy(code)) {
        if (senderAlive()) return reply(1, code);
        return std::nullopt;
    }

    int answer = 0;
    switch (code) {
        case HostResetA:
        case HostResetB:
            actions_.trace(1, "Reset application");
            actions_.reset();
            break;
        case HostCloseA:
        case HostCloseB:
        case HostCloseC: actions_.close(); break;
        case HostShowSessionLocked:
        case HostCloseSessionLocked: queued_.push_back(code); break;
        case HostMinimise: actions_.minimise(); break;
        case HostRestore: actions_.restore(); break;
        case HostBringToFront:
            actions_.minimise();
            actions_.restore();
            break;
        case HostConnectionLost: actions_.connectionLost(); break;
        case HostActivityQuery: answer = actions_.wasActiveRecently() ? HostActivityQuery : 0; break;
        default: break;
    }

    if (senderAlive()) return reply(answer, code);
    return std::nullopt;
}

void HostCommandHandler::runNextQueued(const std::function<void()>& restLater) {
    if (queued_.empty()) return;
    const int code = queued_.front();
    queued_.pop_front();
    if (restLater && !queued_.empty()) restLater();
    if (code == HostShowSessionLocked)
        actions_.showSessionLocked();
    else
        actions_.closeSessionLocked();
}

void HostCommandHandler::trace(int level, const QString& text) {
    actions_.trace(level, text.toUtf8().constData());
}

}  // namespace app
