#pragma once
// The one interface to a reporting database. A backend implements
// Connection; the windows only ever see this interface.

#include "db/Value.h"

#include <QString>
#include <functional>
#include <memory>

namespace db {

class Connection {
public:
    virtual ~Connection() = default;

    // Runs a command on the calling thread. Output parameters and
    // "@ReturnValue" are written back into `command.parameters`.
    virtual Result execute(Command& command) = 0;

    // Explicit transactions; while one is open, procedure calls join it.
    virtual bool beginTransaction(QString* error = nullptr) = 0;
    virtual bool commit(QString* error = nullptr) = 0;
    virtual bool rollback(QString* error = nullptr) = 0;
    virtual bool inTransaction() const = 0;

    // Aborts the statement running on this connection; given while none
    // runs, it aborts the next one. It holds until the execute() it meets
    // has returned, so one that comes just before a statement starts is not
    // lost. Safe from any thread.
    virtual void interrupt() = 0;

    // A new, independent connection to the same database (for worker threads).
    virtual std::unique_ptr<Connection> openSibling(QString* error = nullptr) const = 0;

    // The database's name as a report would show it.
    virtual QString databaseName() const = 0;
};

// The text with the value of every password key of a connection string
// (Password, PWD) replaced by "***", wherever such a key appears in it: for
// whatever is shown or logged.
QString maskPasswords(const QString& text);

// Opens a connection from a connection string; returns null and sets `error`
// when the provider is unknown or the database cannot be opened.
using ConnectionFactory =
    std::function<std::unique_ptr<Connection>(const QString& connectionString, QString* error)>;

// One of the program's shared connections (`Database`, `Database2`): keeps the
// connection string and default database, and connects on demand.
class SharedConnection {
public:
    explicit SharedConnection(QString name, ConnectionFactory factory = {});

    const QString& name() const { return name_; }
    void setFactory(ConnectionFactory factory) { factory_ = std::move(factory); }
    void setConnectionString(const QString& text) { connectionString_ = text; }
    const QString& connectionString() const { return connectionString_; }
    void setDefaultDatabase(const QString& text) { defaultDatabase_ = text; }
    const QString& defaultDatabase() const { return defaultDatabase_; }

    bool connect(QString* error = nullptr);
    void close();
    bool isConnected() const { return connection_ != nullptr; }

    // The live connection; null while not connected.
    Connection* get() const { return connection_.get(); }
    // Runs a command, connecting first when needed.
    Result execute(Command& command);

private:
    QString name_;
    ConnectionFactory factory_;
    QString connectionString_;
    QString defaultDatabase_;
    std::unique_ptr<Connection> connection_;
};

}  // namespace db
