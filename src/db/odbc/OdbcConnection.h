#pragma once
// A connection to a reporting database on a server, through the ODBC driver
// manager (unixODBC; FreeTDS for SQL Server). The windows send it the same
// texts and procedure commands as the embedded database.

#include "db/Connection.h"
#include "db/odbc/ConnectionString.h"

#include <sql.h>

#include <QString>
#include <atomic>
#include <memory>
#include <mutex>

namespace db::odbc {

class OdbcConnection : public Connection {
public:
    // Connects within the target's login time-out; null with the reason
    // (naming the server, never the password) when that fails.
    static std::unique_ptr<OdbcConnection> open(const ServerTarget& target, QString* error);
    ~OdbcConnection() override;
    OdbcConnection(const OdbcConnection&) = delete;
    OdbcConnection& operator=(const OdbcConnection&) = delete;

    Result execute(Command& command) override;

    bool beginTransaction(QString* error = nullptr) override;
    bool commit(QString* error = nullptr) override;
    bool rollback(QString* error = nullptr) override;
    bool inTransaction() const override { return transaction_; }

    void interrupt() override;
    std::unique_ptr<Connection> openSibling(QString* error = nullptr) const override;
    QString databaseName() const override;

private:
    explicit OdbcConnection(ServerTarget target) : target_(std::move(target)) {}
    bool endTransaction(bool commit, QString* error);

    ServerTarget target_;
    SQLHENV env_ = SQL_NULL_HENV;
    SQLHDBC dbc_ = SQL_NULL_HDBC;
    bool transaction_ = false;
    bool nationalLiterals_ = false;  // SQL Server: text literals as N'...'

    // The statement that runs, for interrupt() from another thread; the
    // mutex keeps it from being freed while it is being cancelled.
    std::mutex runningMutex_;
    SQLHSTMT running_ = SQL_NULL_HSTMT;
    // Set by interrupt() for the command that runs, or the next one when
    // none runs; cleared when that command returns.
    std::atomic<bool> interruptRequested_{false};
};

// Opens server strings (see backendOf) with the ODBC backend and hands every
// other string to `embedded`.
ConnectionFactory withServerBackend(ConnectionFactory embedded);

}  // namespace db::odbc
