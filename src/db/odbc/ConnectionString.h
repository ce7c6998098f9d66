#pragma once
// Connection strings of the server backend: which backend a session's string
// selects, and its translation into an ODBC string for the FreeTDS driver.

#include <QString>

namespace db::odbc {

enum class Backend { Embedded, Server };

// "Provider=Embedded" (or no provider at all) keeps the embedded database;
// any other provider, "Driver=..." and "DSN=..." name a server.
Backend backendOf(const QString& connectionString);

struct ServerTarget {
    QString odbc;      // the string handed to SQLDriverConnect
    QString server;    // "host", "host,port" or "host\instance": for messages
    QString database;  // empty: the login's default database
    int loginTimeoutSeconds = 60;
};

// Translates an OLE DB string ("Provider=SQLOLEDB.1;Data Source=...;Initial
// Catalog=...;User ID=...;Password=...") into an ODBC string for FreeTDS; a
// string that is already an ODBC string is taken as it stands. Refuses
// integrated (Windows) security, which has no equivalent here.
bool toServerTarget(const QString& connectionString, ServerTarget* target, QString* error);

}  // namespace db::odbc
