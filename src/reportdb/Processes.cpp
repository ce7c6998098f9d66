#include "reportdb/Processes.h"

#include "reportdb/SqliteUtil.h"

namespace reportdb {

struct ProcessState {
    int id = 0;
    QString commandName;
    std::mutex mutex;
    std::optional<int> remaining;
    bool terminated = false;
    // The connection of the statement that runs in the process, so that
    // terminating it interrupts a step that is under way. Guarded by `mutex`:
    // a reporter detaches before its connection can be closed.
    sqlite3* handle = nullptr;
};

ProcessReporter::ProcessReporter(std::shared_ptr<ProcessState> state, sqlite3* handle)
    : state_(std::move(state)) {
    std::lock_guard lock(state_->mutex);
    state_->handle = handle;
}

ProcessReporter::~ProcessReporter() { detach(); }

ProcessReporter::ProcessReporter(ProcessReporter&& other) noexcept : state_(std::move(other.state_)) {}

ProcessReporter& ProcessReporter::operator=(ProcessReporter&& other) noexcept {
    if (this != &other) {
        detach();
        state_ = std::move(other.state_);
    }
    return *this;
}

void ProcessReporter::detach() {
    if (!state_) return;
    std::lock_guard lock(state_->mutex);
    state_->handle = nullptr;
    state_.reset();
}

int ProcessReporter::id() const { return state_ ? state_->id : 0; }

void ProcessReporter::setRemaining(int remaining) {
    if (!state_) return;
    std::lock_guard lock(state_->mutex);
    state_->remaining = remaining;
}

bool ProcessReporter::terminated() const {
    if (!state_) return false;
    std::lock_guard lock(state_->mutex);
    return state_->terminated;
}

void ProcessReporter::throwIfTerminated() const {
    if (terminated())
        throw SqlError(QStringLiteral("The data calculation process %1 was terminated").arg(state_->id));
}

int ProcessTable::create(const QString& commandName) {
    auto state = std::make_shared<ProcessState>();
    state->commandName = commandName;
    std::lock_guard lock(mutex_);
    state->id = ++lastId_;
    processes_[state->id] = state;
    return state->id;
}

bool ProcessTable::exists(int id) const {
    std::lock_guard lock(mutex_);
    return processes_.count(id) != 0;
}

std::optional<int> ProcessTable::remaining(int id) const {
    std::shared_ptr<ProcessState> state;
    {
        std::lock_guard lock(mutex_);
        const auto it = processes_.find(id);
        if (it == processes_.end()) return std::nullopt;
        state = it->second;
    }
    std::lock_guard lock(state->mutex);
    return state->remaining;
}

bool ProcessTable::terminate(int id) {
    std::shared_ptr<ProcessState> state;
    {
        std::lock_guard lock(mutex_);
        const auto it = processes_.find(id);
        if (it == processes_.end()) return false;
        state = it->second;
    }
    std::lock_guard lock(state->mutex);
    state->terminated = true;
    if (state->handle) sqlite3_interrupt(state->handle);
    return true;
}

bool ProcessTable::drop(int id) {
    if (!terminate(id)) return false;
    std::lock_guard lock(mutex_);
    return processes_.erase(id) != 0;
}

ProcessReporter ProcessTable::attach(int id, sqlite3* handle) {
    std::shared_ptr<ProcessState> state;
    {
        std::lock_guard lock(mutex_);
        const auto it = processes_.find(id);
        if (it != processes_.end()) state = it->second;
    }
    if (!state) throw SqlError(QStringLiteral("The data calculation process %1 does not exist").arg(id));
    return ProcessReporter(std::move(state), handle);
}

}  // namespace reportdb
