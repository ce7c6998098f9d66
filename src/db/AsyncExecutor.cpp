#include "db/AsyncExecutor.h"

#include "db/Connection.h"

namespace db {

namespace {
constexpr int kDefaultTimeoutSeconds = 86400;
// sqlite3_interrupt() and its kind only stop a statement that is running;
// repeating it covers a cancel that arrives just before the statement starts.
constexpr int kReinterruptMs = 50;
}  // namespace

struct AsyncExecutor::Job {
    std::shared_ptr<Connection> connection;
    Command command;
    Result result;
};

AsyncExecutor::AsyncExecutor(QObject* parent) : QObject(parent) {
    timeout_.setSingleShot(true);
    connect(&timeout_, &QTimer::timeout, this, [this] {
        timedOut_ = true;
        cancel();
    });
    reinterrupt_.setInterval(kReinterruptMs);
    connect(&reinterrupt_, &QTimer::timeout, this, [this] {
        if (job_) job_->connection->interrupt();
    });
}

AsyncExecutor::~AsyncExecutor() {
    if (job_) job_->connection->interrupt();
    joinWorker();
}

void AsyncExecutor::joinWorker() {
    if (worker_.joinable()) worker_.join();
}

bool AsyncExecutor::execute(const Connection& connection, const Command& command) {
    return start(connection, command, false);
}

bool AsyncExecutor::open(const Connection& connection, const Command& command) {
    return start(connection, command, true);
}

bool AsyncExecutor::execute(SharedConnection& connection, const Command& command) {
    return start(connection, command, false);
}

bool AsyncExecutor::open(SharedConnection& connection, const Command& command) {
    return start(connection, command, true);
}

bool AsyncExecutor::start(SharedConnection& connection, const Command& command, bool wantRows) {
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
    return start(*connection.get(), command, wantRows);
}

bool AsyncExecutor::start(const Connection& connection, const Command& command, bool wantRows) {
    if (isRunning()) {
        errorText_ = QStringLiteral("Another statement is still running");
        return false;
    }
    joinWorker();
    QString error;
    std::unique_ptr<Connection> sibling = connection.openSibling(&error);
    command_ = command;
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
    job->command = command;
    job_ = job;
    outcome_ = Outcome::Running;

    const int seconds = command.timeoutSeconds > 0 ? command.timeoutSeconds : kDefaultTimeoutSeconds;
    timeoutMs_ = qint64(seconds) * 1000;
    clock_.start();
    timeout_.start(std::chrono::seconds(seconds));
    worker_ = std::thread([this, job] {
        job->result = job->connection->execute(job->command);
        // Queued: runs on the executor's thread; dropped if it was destroyed.
        QMetaObject::invokeMethod(
            this, [this, job] { complete(job); }, Qt::QueuedConnection);
    });
    return true;
}

void AsyncExecutor::cancel() {
    if (!job_ || cancelRequested_) return;
    cancelRequested_ = true;
    job_->connection->interrupt();
    reinterrupt_.start();
}

void AsyncExecutor::complete(const std::shared_ptr<Job>& job) {
    if (job != job_) return;
    timeout_.stop();
    reinterrupt_.stop();
    joinWorker();
    job_.reset();
    command_ = std::move(job->command);
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
