#include "shadowdata/ProgressRules.h"

#include <algorithm>

namespace shadowdata {

PollDecision decideJobTick(StatementState statement) {
    switch (statement) {
        case StatementState::Running: return PollDecision::Wait;
        case StatementState::Failed: return PollDecision::Failure;
        case StatementState::None:
        case StatementState::Succeeded: break;
    }
    return PollDecision::Success;
}

PollDecision decideDirectTick(StatementState statement, std::optional<int> status) {
    if (statement == StatementState::Failed) return PollDecision::Failure;
    const bool running = statement == StatementState::Running;
    if (!status) return running ? PollDecision::Wait : PollDecision::Failure;
    if (*status < 0) return PollDecision::Failure;
    if (*status == 0) return running ? PollDecision::Wait : PollDecision::Success;
    return PollDecision::Wait;
}

void GaugeState::follow(int remaining) {
    maximum = std::max(maximum, remaining);
    position = std::clamp(maximum - remaining, 0, maximum);
}

void GaugeState::fill() {
    maximum = std::max(maximum, 1);
    position = maximum;
}

}  // namespace shadowdata
