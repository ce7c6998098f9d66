#include "reportdb/Server.h"

#include "reportdb/EmbeddedConnection.h"
#include "reportdb/Jobs.h"
#include "reportdb/Schema.h"

#include <sqlite3.h>

#include <chrono>
#include <functional>
#include <thread>

namespace reportdb {

namespace {

long long steadyMicroseconds() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

size_t currentThreadKey() { return std::hash<std::thread::id>{}(std::this_thread::get_id()); }

}  // namespace

Server::Server(QString path, QString versionText, std::shared_ptr<const ProcedureRegistry> registry,
               JobClock clock)
    : path_(std::move(path)), versionText_(std::move(versionText)), registry_(std::move(registry)) {
    jobs_ = std::make_unique<JobRunner>(path_, *this, std::move(clock));
}

Server::~Server() {
    jobs_->stop();
    if (spare_) sqlite3_close_v2(spare_);
}

void Server::wakeJobs() { jobs_->wake(); }

void Server::noteWriterWaiting() {
    lastWriterThread_ = currentThreadKey();
    lastWriterWait_ = steadyMicroseconds();
}

void Server::yieldToWaitingWriters() {
    // A waiting writer retries every millisecond; while one has tried very
    // recently, leave the lock free for it (for a few rounds at most).
    constexpr long long kRecentMicroseconds = 2000;
    for (int round = 0; round < 20; ++round) {
        if (lastWriterThread_ == currentThreadKey()) return;
        if (steadyMicroseconds() - lastWriterWait_ > kRecentMicroseconds) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

std::shared_ptr<Server> Server::open(const QString& path, QString* error,
                                     std::shared_ptr<const ProcedureRegistry> registry, JobClock clock) {
    sqlite3* db = openDatabaseHandle(path, OpenMode::Existing, error);
    if (!db) return nullptr;
    QString message;
    QString version;
    bool ready = false;
    if (sqlite3_db_readonly(db, "main") == 1) {
        // A file we may not write is used as it is, if it needs no upgrade.
        const auto steps = migrationSteps();
        ready = schemaVersion(db) == steps.back().number;
        if (!ready) message = QStringLiteral("the file is read-only and its schema needs an upgrade");
    } else {
        // The log only once the file has proved to be ours and is up to date.
        ready = applyMigrations(db, &message) && useWriteAheadLog(db, &message);
    }
    if (ready) version = readVersionText(db, &message);
    if (version.isEmpty()) {
        sqlite3_close_v2(db);
        if (error) *error = QStringLiteral("The database '%1' cannot be used: %2").arg(path, message);
        return nullptr;
    }
    if (!registry) registry = standardRegistry();
    std::shared_ptr<Server> server(new Server(path, version, std::move(registry), std::move(clock)));
    server->spare_ = db;
    server->jobs_->start();
    return server;
}

std::unique_ptr<db::Connection> Server::connect(QString* error) { return connectEmbedded(error); }

std::unique_ptr<EmbeddedConnection> Server::connectEmbedded(QString* error) {
    sqlite3* db = nullptr;
    {
        std::lock_guard lock(spareMutex_);
        std::swap(db, spare_);
    }
    if (!db) db = openDatabaseHandle(path_, OpenMode::Existing, error);
    if (!db) return nullptr;
    return std::make_unique<EmbeddedConnection>(shared_from_this(), db);
}

}  // namespace reportdb
