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
        case HostShowSessionLocked: actions_.showSessionLocked(); break;
        case HostCloseSessionLocked: actions_.closeSessionLocked(); break;
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

}  // namespace app
