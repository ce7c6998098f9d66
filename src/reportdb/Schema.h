#pragma once
// The database schema as numbered migration steps, applied in order when a
// database is opened. A step is never changed once released: later changes
// are new steps at the end.

#include <sqlite3.h>

#include <QString>
#include <span>

namespace reportdb {

struct MigrationStep {
    int number;                                  // 1, 2, 3, ... in order; stored in PRAGMA user_version
    const char* title;                           // what the step adds
    const char* sql;                             // run as one script; may be null when `apply` does the work
    bool (*apply)(sqlite3* db, QString* error);  // optional, runs after `sql`
};

std::span<const MigrationStep> migrationSteps();

// Applies the steps the database has not seen yet, each in its own
// transaction. A database newer than this program is refused.
bool applyMigrations(sqlite3* db, QString* error);
// Same, for an explicit list of steps (tests).
bool applyMigrations(sqlite3* db, std::span<const MigrationStep> steps, QString* error);

int schemaVersion(sqlite3* db);

// Whether the file open on `db` is a reporting database: it records a
// migration step or has the version table. Only reads; `error` says what the
// file is instead.
bool isReportingDatabase(sqlite3* db, QString* error);

// Switches the file to the write-ahead log that concurrent readers rely on.
bool useWriteAheadLog(sqlite3* db, QString* error);

// The version text the database records in TDatabaseVersion.
QString readVersionText(sqlite3* db, QString* error = nullptr);
bool writeVersionText(sqlite3* db, const QString& versionText, QString* error);

}  // namespace reportdb
