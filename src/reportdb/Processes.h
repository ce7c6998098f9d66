#pragma once
// Data calculation processes: a statement that is wrapped into a process
// reports how much work remains and can be terminated from another
// connection. The state lives in the Server (not in a table), so the status
// is visible at once without waiting for the running statement's
// transaction, and a status call never waits for the write lock.
//
// A procedure that runs in a process is registered with addStepwise,
// declares ProcedureParameter::optional("@ProcessId", FieldType::Integer, {})
// and does its work in steps:
//   ProcessReporter process = context.process(args);
//   process.setRemaining(left);
//   for (...) {
//       context.step([&] { ... one step ... }, &process);
//       process.setRemaining(--left);
//   }
// A terminated process stops the call at its next step boundary (or in the
// step under way, which is rolled back); the call then fails.

#include <sqlite3.h>

#include <QString>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

namespace reportdb {

struct ProcessState;

// What a procedure called with "@ProcessId = n" uses to report. A reporter
// for no process (the call had no @ProcessId) accepts every call and is
// never terminated.
class ProcessReporter {
public:
    ProcessReporter() = default;
    ProcessReporter(std::shared_ptr<ProcessState> state, sqlite3* handle);
    ~ProcessReporter();
    ProcessReporter(ProcessReporter&& other) noexcept;
    ProcessReporter& operator=(ProcessReporter&& other) noexcept;
    ProcessReporter(const ProcessReporter&) = delete;
    ProcessReporter& operator=(const ProcessReporter&) = delete;

    bool active() const { return state_ != nullptr; }
    int id() const;
    // The amount of work still to do, as the status call returns it.
    void setRemaining(int remaining);
    bool terminated() const;
    // Throws SqlError when the process was terminated: called inside a step,
    // it rolls that step back.
    void throwIfTerminated() const;

private:
    void detach();

    std::shared_ptr<ProcessState> state_;
};

class ProcessTable {
public:
    // A new process named after the step it runs; returns its id.
    int create(const QString& commandName);
    bool exists(int id) const;
    // The remaining work last reported; nullopt when the process has not
    // reported yet or does not exist.
    std::optional<int> remaining(int id) const;
    // Marks the process terminated and interrupts the statement that runs
    // in it. False when there is no such process.
    bool terminate(int id);
    // Forgets the process (terminating it first when it still runs). False
    // when there is no such process.
    bool drop(int id);

    // A reporter for a running statement on `handle`; throws SqlError when
    // the process does not exist.
    ProcessReporter attach(int id, sqlite3* handle);

private:
    mutable std::mutex mutex_;
    std::map<int, std::shared_ptr<ProcessState>> processes_;
    int lastId_ = 0;
};

}  // namespace reportdb
