#pragma once
// Entry points of the embedded backend: creating a database file and the
// connection factory that the program and the tests hand to db::SharedConnection.

#include "db/Connection.h"
#include "reportdb/ProcedureRegistry.h"

#include <QString>
#include <memory>

namespace reportdb {

// The version text a new database records unless told otherwise.
inline constexpr const char* kDefaultVersionText = "3.28.0.0";

// Creates a new database file with the full schema that records
// `versionText` (procedures whose results depend on the version follow it).
// Fails when the file already exists.
bool createDatabase(const QString& path, const QString& versionText, QString* error);

// Reads "Provider=Embedded;Data Source=<file>" (keys in any case and order,
// values optionally quoted, other keys ignored) into the file path.
bool parseConnectionString(const QString& connectionString, QString* path, QString* error);

// Opens connections from connection strings. Connections to the same file
// share one Server, kept inside the returned factory.
db::ConnectionFactory makeConnectionFactory(std::shared_ptr<const ProcedureRegistry> registry = nullptr);

}  // namespace reportdb
