#include "db/AsyncExecutor.h"

#include "db/Connection.h"

#include <atomic>

namespace db {

namespace {
constexpr int kDefaultTimeoutSeconds = 86400;
}  // namespace

struct AsyncExecutor::Job {
    std::shared_ptr<Connection> connection;
    std::vector<Command> commands;
    bool transaction = false;
    Result result;
    int failedIndex = -1;
    // Set before the connection is interrupted; once set, no command of the
    // run starts (the interrupt itself ends only the command it meets).
    std::atomic<bool> cancelled{false};

    void run();
    void cancel() {
        cancelled = true;
        connection->interrupt();
    }
    Result execute(Command& command) {
        return cancelled ? Result::failure(QStringLiteral("interrupted")) : connection->execute(command);
    }
};

namespace {
bool returnedNonZero(const Command& command) {
    const Parameter* value = command.returnValueParameter();
    return value && !value->isNull() && value->value.toInt() != 0;
}
}  // namespace

void AsyncExecutor::Job::run() {
    if (!transaction) {
        result = execute(commands.front());
        return;
    }
    QString error;
    if (!connection->beginTransaction(&error)) {
        result = Result::failure(error);
        failedIndex = 0;
        return;
    }
    for (size_t i = 0; i < commands.size(); ++i) {
        result = execute(commands[i]);
        if (!result.ok() || returnedNonZero(commands[i])) {
            failedIndex = int(i);
            break;
        }
    }
    if (failedIndex >= 0) {
        connection->rollback(nullptr);
    } else if (!connection->commit(&error)) {
        connection->rollback(nullptr);
        result = Result::failure(error);
        failedIndex = int(commands.size()) - 1;
    }
}

AsyncExecutor::AsyncExecutor(QObject* parent) : QObject(parent) {
    timeout_.setSingleShot(true);
    connect(&timeout_, &QTimer::timeout, this, [this] {
        timedOut_ = true;
        cancel();
    });
}

AsyncExecutor::~AsyncExecutor() {
    if (job_) job_->cancel();
    joinWorker();
}

void AsyncExecutor::joinWorker() {
    if (worker_.joinable()) worker_.join();
}

bool AsyncExecutor::execute(const Connection& connection, const Command& command) {
    return start(connection, {command}, false, false);
}

bool AsyncExecutor::open(const Connection& connection, const Command& command) {
    return start(connection, {command}, true, false);
}

bool AsyncExecutor::execute(SharedConnection& connection, const Command& command) {
    return start(connection, {command}, false, false);
}

bool AsyncExecutor::open(SharedConnection& connection, const Command& command) {
    return start(connection, {command}, true, false);
}

bool AsyncExecutor::executeAll(SharedConnection& connection, const std::vector<Command>& commands) {
    if (commands.empty()) {
        errorText_ = QStringLiteral("There is nothing to run");
        return false;
    }
    return start(connection, commands, false, true);
}

bool AsyncExecutor::start(SharedConnection& connection, std::vector<Command> commands, bool wantRows,
                          bool transaction) {
    if (isRunning()) {
        errorText_ = QStringLiteral("Another statement is still running");
        return false;
    }
    QString error;
    if (!connection.connect(&error)) {
        errorText_ = error;
        outcome_ = Outcome::None;
        return false;
    }
    return start(*connection.get(), std::move(commands), wantRows, transaction);
}

bool AsyncExecutor::start(const Connection& connection, std::vector<Command> commands, bool wantRows,
                          bool transaction) {
    if (isRunning()) {
        errorText_ = QStringLiteral("Another statement is still running");
        return false;
    }
    joinWorker();
    QString error;
    std::unique_ptr<Connection> sibling = connection.openSibling(&error);
    command_ = commands.front();
    commands_ = commands;
    failedIndex_ = -1;
    result_ = Result();
    cancelRequested_ = false;
    timedOut_ = false;
    wantRows_ = wantRows;
    if (!sibling) {
        errorText_ = error.isEmpty() ? QStringLiteral("No connection for the background statement") : error;
        outcome_ = Outcome::None;
        return false;
    }
    errorText_.clear();
    auto job = std::make_shared<Job>();
    job->connection = std::move(sibling);
    job->commands = std::move(commands);
    job->transaction = transaction;
    job_ = job;
    outcome_ = Outcome::Running;

    const int timeout = job->commands.front().timeoutSeconds;
    const int seconds = timeout > 0 ? timeout : kDefaultTimeoutSeconds;
    timeoutMs_ = qint64(seconds) * 1000;
    clock_.start();
    timeout_.start(std::chrono::seconds(seconds));
    worker_ = std::thread([this, job] {
        job->run();
        // Queued: runs on the executor's thread; dropped if it was destroyed.
        QMetaObject::invokeMethod(
            this, [this, job] { complete(job); }, Qt::QueuedConnection);
    });
    return true;
}

void AsyncExecutor::cancel() {
    if (!job_ || cancelRequested_) return;
    cancelRequested_ = true;
    job_->cancel();
}

void AsyncExecutor::complete(const std::shared_ptr<Job>& job) {
    if (job != job_) return;
    timeout_.stop();
    joinWorker();
    job_.reset();
    failedIndex_ = job->failedIndex;
    commands_ = std::move(job->commands);
    command_ = commands_[size_t(failedIndex_ >= 0 ? failedIndex_ : int(commands_.size()) - 1)];
    result_ = std::move(job->result);
    if (result_.ok() && wantRows_ && result_.resultSets.empty()) {
        result_.error = QStringLiteral("The statement returned no rows");
    }
    if (result_.ok()) {
        // A cancel that came too late does not undo what was done.
        outcome_ = Outcome::Completed;
    } else {
        errorText_ = result_.error;
        // The backend may apply the command's time-out itself, a moment earlier.
        if (clock_.elapsed() >= timeoutMs_) timedOut_ = true;
        outcome_ = timedOut_ ? Outcome::TimedOut : cancelRequested_ ? Outcome::Cancelled : Outcome::Failed;
    }
    Q_EMIT finished(outcome_ == Outcome::Completed);
}

const ResultSet& AsyncExecutor::rows() const {
    return result_.resultSets.empty() ? noRows_ : result_.resultSets.front();
}

}  // namespace db
