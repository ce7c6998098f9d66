#pragma once
// One embedded reporting database file as a process sees it: the file, the
// procedures it offers and the connections opened on it.

#include "db/Connection.h"
#include "reportdb/Jobs.h"
#include "reportdb/ProcedureRegistry.h"
#include "reportdb/Processes.h"

#include <QString>
#include <atomic>
#include <memory>
#include <mutex>

struct sqlite3;

namespace reportdb {

class EmbeddedConnection;

class Server : public std::enable_shared_from_this<Server> {
public:
    // Opens an existing reporting database and brings its schema up to
    // date. A missing file is an error (nothing is created); any other file
    // is refused unchanged. Without a registry the standard procedures are
    // used. The server's worker starts at once and resumes the database jobs
    // that were left unfinished.
    // `clock` stands in for the system clock of the worker (tests).
    static std::shared_ptr<Server> open(const QString& path, QString* error,
                                        std::shared_ptr<const ProcedureRegistry> registry = nullptr,
                                        JobClock clock = {});

    // Stops the worker: a job step under way is rolled back and the job is
    // left queued for the next time the database is opened.
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    std::unique_ptr<db::Connection> connect(QString* error = nullptr);
    std::unique_ptr<EmbeddedConnection> connectEmbedded(QString* error = nullptr);

    const QString& path() const { return path_; }
    // The version text the database recorded, as read when it was opened.
    const QString& versionText() const { return versionText_; }
    const ProcedureRegistry& procedures() const { return *registry_; }
    const std::shared_ptr<const ProcedureRegistry>& registry() const { return registry_; }

    ProcessTable& processes() { return processes_; }
    // Tells the worker that a job was queued (after its commit).
    void wakeJobs();

    // Connections of this server wait for the write lock in short rounds
    // and note that they wait; long work calls yieldToWaitingWriters
    // between its steps so that such a writer gets its turn soon.
    void noteWriterWaiting();
    void yieldToWaitingWriters();

private:
    Server(QString path, QString versionText, std::shared_ptr<const ProcedureRegistry> registry,
           JobClock clock);

    QString path_;
    QString versionText_;
    std::shared_ptr<const ProcedureRegistry> registry_;
    ProcessTable processes_;
    std::atomic<long long> lastWriterWait_{0};  // steady clock, microseconds
    std::atomic<size_t> lastWriterThread_{0};
    std::unique_ptr<JobRunner> jobs_;
    // The handle that brought the schema up to date, kept for the first
    // connection: closing the last handle of a file ends its write-ahead log,
    // and the next one would read the schema again.
    std::mutex spareMutex_;
    sqlite3* spare_ = nullptr;
};

}  // namespace reportdb
