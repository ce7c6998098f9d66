#pragma once
// Runs one long statement on a worker thread with its own connection, so the
// user-interface thread keeps processing events. Completion is reported on
// the thread that owns the executor (queued), which works under a nested
// QEventLoop as well as in the main loop.

#include "db/Value.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <thread>
#include <vector>

namespace db {

class Connection;
class SharedConnection;

class AsyncExecutor : public QObject {
    Q_OBJECT

public:
    enum class Outcome { None, Running, Completed, Failed, Cancelled, TimedOut };

    explicit AsyncExecutor(QObject* parent = nullptr);
    // Cancels a running execution and waits for the worker to end; a
    // statement that had not started yet does not start.
    ~AsyncExecutor() override;

    // Starts `command` on a new connection to the database of `connection`.
    // The command's time-out is applied (0: 86400 seconds). Returns false,
    // with errorText(), when an execution is running or no connection could
    // be opened; finished() follows only a successful start.
    bool execute(const Connection& connection, const Command& command);
    // The same for opening a data set: the statement must return rows; its
    // first result set is then available from rows().
    bool open(const Connection& connection, const Command& command);
    // The same on one of the program's shared connections, connecting it first when needed.
    bool execute(SharedConnection& connection, const Command& command);
    bool open(SharedConnection& connection, const Command& command);
    // Runs `commands` one after the other in one transaction: all of them are
    // written or none. The run stops and rolls back at the first command that
    // fails or returns a non-zero "@ReturnValue"; command() is then that
    // command, otherwise the last. The time-out applies to the whole run.
    bool executeAll(SharedConnection& connection, const std::vector<Command>& commands);

    bool isRunning() const { return outcome_ == Outcome::Running; }
    // Asks the worker connection to stop the statement. The outcome is
    // Cancelled unless the statement had already completed.
    void cancel();

    // The state of the last execution, valid after finished().
    Outcome outcome() const { return outcome_; }
    // cancel() was called during the last execution (even if it came too late).
    bool cancelRequested() const { return cancelRequested_; }
    bool succeeded() const { return outcome_ == Outcome::Completed; }
    // The provider's error description (or why nothing started).
    const QString& errorText() const { return errorText_; }
    // The command as run, with output parameters and "@ReturnValue".
    const Command& command() const { return command_; }
    // Every command of the last run (one unless executeAll), as run.
    const std::vector<Command>& commands() const { return commands_; }
    // The index of the command that stopped an executeAll run, or -1.
    int failedIndex() const { return failedIndex_; }
    const Result& result() const { return result_; }
    // The first result set of the last execution (empty when there was none).
    const ResultSet& rows() const;

Q_SIGNALS:
    // `ok`: completed without error (a return value is the caller's to judge).
    void finished(bool ok);

private:
    struct Job;
    bool start(const Connection& connection, std::vector<Command> commands, bool wantRows, bool transaction);
    bool start(SharedConnection& connection, std::vector<Command> commands, bool wantRows, bool transaction);
    void complete(const std::shared_ptr<Job>& job);
    void joinWorker();

    std::shared_ptr<Job> job_;
    std::thread worker_;
    QTimer timeout_;
    QElapsedTimer clock_;
    qint64 timeoutMs_ = 0;
    Outcome outcome_ = Outcome::None;
    bool wantRows_ = false;
    bool cancelRequested_ = false;
    bool timedOut_ = false;
    QString errorText_;
    Command command_;
    std::vector<Command> commands_;
    int failedIndex_ = -1;
    Result result_;
    const ResultSet noRows_;
};

}  // namespace db
