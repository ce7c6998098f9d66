#include "db/Connection.h"

#include "db/odbc/ConnectionString.h"

namespace db {

SharedConnection::SharedConnection(QString name, ConnectionFactory factory)
    : name_(std::move(name)), factory_(std::move(factory)) {}

bool SharedConnection::connect(QString* error) {
    if (connection_) return true;
    if (!factory_) {
        if (error) *error = QStringLiteral("No database provider is available");
        return false;
    }
    QString message;
    connection_ = factory_(connectionString_, &message);
    if (!connection_) {
        // Whatever a provider says, the user never sees the password.
        if (error)
            *error = message.isEmpty() ? QStringLiteral("The database could not be opened")
                                       : odbc::maskPasswords(message);
        return false;
    }
    return true;
}

void SharedConnection::close() { connection_.reset(); }

Result SharedConnection::execute(Command& command) {
    QString error;
    if (!connect(&error)) return Result::failure(error);
    return connection_->execute(command);
}

}  // namespace db
