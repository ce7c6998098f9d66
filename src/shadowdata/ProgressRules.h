#pragma once
// How the progress window judges a running regeneration at each tick, and
// how its gauge follows the remaining work. No widgets here.

#include <optional>

namespace shadowdata {

// The start statement as the progress window sees it.
enum class StatementState { None, Running, Succeeded, Failed };

enum class PollDecision { Wait, Success, Failure };

// On a job database the statement only queues the job: done as soon as it
// has come back without error.
PollDecision decideJobTick(StatementState statement);

// On older databases the regeneration runs inside the statement and counts
// ReportProfileStatus down to 0; `status` is empty when it could not be read
// and -1 when the profile row is missing. A negative status is a failed
// regeneration. A status of 0 while the statement still runs means it has
// not started counting (or is just finishing), so it is not yet a success.
PollDecision decideDirectTick(StatementState statement, std::optional<int> status);

// The gauge counts the work done: the maximum grows to the largest status
// seen, the position is the maximum minus the remaining work.
struct GaugeState {
    int maximum = 0;
    int position = 0;

    void follow(int remaining);
    void fill();
    void clear() { position = 0; }
};

}  // namespace shadowdata
