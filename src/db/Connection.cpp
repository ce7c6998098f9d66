#include "db/Connection.h"

#include <QRegularExpression>

namespace db {

QString maskPasswords(const QString& text) {
    static const QRegularExpression password(
        QStringLiteral("(\\b(?:password|pwd)\\s*=\\s*)(\\{(?:[^}]|\\}\\})*\\}?|\"(?:[^\"]|\"\")*\"?|'(?:[^']|"
                       "'')*'?|[^;]*)"),
        QRegularExpression::CaseInsensitiveOption);
    if (!text.contains(QLatin1String("pw"), Qt::CaseInsensitive) &&
        !text.contains(QLatin1String("password"), Qt::CaseInsensitive))
        return text;
    QString masked = text;
    masked.replace(password, QStringLiteral("\\1***"));
    return masked;
}

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
                                       : maskPasswords(message);
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
