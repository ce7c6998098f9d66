#include "support/TempDatabase.h"

#include <gtest/gtest.h>
#include <QFileInfo>

namespace testing_support {

TempDatabase::TempDatabase(const QString& versionText,
                           std::shared_ptr<const reportdb::ProcedureRegistry> registry)
    : versionText_(versionText), registry_(std::move(registry)) {
    if (!dir_.isValid()) {
        error_ = QStringLiteral("No temporary folder: ") + dir_.errorString();
        ADD_FAILURE() << error_.toStdString();
        return;
    }
    path_ = dir_.filePath(QStringLiteral("reporting.db"));
    if (!reportdb::createDatabase(path_, versionText, &error_) ||
        !(server_ = reportdb::Server::open(path_, &error_, registry_)))
        ADD_FAILURE() << "Test database: " << error_.toStdString();
}

TempDatabase::TempDatabase(const DemoContent& demo,
                           std::shared_ptr<const reportdb::ProcedureRegistry> registry)
    : registry_(std::move(registry)) {
    if (!dir_.isValid()) {
        error_ = QStringLiteral("No temporary folder: ") + dir_.errorString();
        ADD_FAILURE() << error_.toStdString();
        return;
    }
    path_ = dir_.filePath(QStringLiteral("reporting.db"));
    reportdb::demo::Summary summary;
    if (!reportdb::demo::writeDemoDatabase(path_, demo.options, &summary, &error_) ||
        !(server_ = reportdb::Server::open(path_, &error_, registry_))) {
        ADD_FAILURE() << "Demo test database: " << error_.toStdString();
        return;
    }
    versionText_ = summary.versionText;
}

QVariant TempDatabase::scalar(const QString& sql) const {
    const db::Result result = exec(sql);
    if (result.resultSets.empty() || result.resultSets[0].rows.empty()) return {};
    return result.resultSets[0].rows[0].at(0);
}

void TempDatabase::close() {
    std::weak_ptr<reportdb::Server> old = server_;
    server_.reset();
    if (!old.expired()) ADD_FAILURE() << "The test database is still in use; it cannot be closed";
}

void TempDatabase::reopen() {
    if (server_) close();
    if (!(server_ = reportdb::Server::open(path_, &error_, registry_)))
        ADD_FAILURE() << "Test database: " << error_.toStdString();
}

QString TempDatabase::connectionString() const {
    return QStringLiteral("Provider=Embedded;Data Source=") + path_;
}

std::unique_ptr<db::Connection> TempDatabase::connect() const {
    if (!server_) return nullptr;
    QString error;
    auto connection = server_->connect(&error);
    if (!connection) ADD_FAILURE() << "Test database connection: " << error.toStdString();
    return connection;
}

db::ConnectionFactory TempDatabase::factory() const {
    auto server = server_;
    const QString canonical = QFileInfo(path_).canonicalFilePath();
    return [server, canonical](const QString& connectionString,
                               QString* error) -> std::unique_ptr<db::Connection> {
        QString path;
        if (!reportdb::parseConnectionString(connectionString, &path, error)) return nullptr;
        if (!server || QFileInfo(path).canonicalFilePath() != canonical) {
            if (error) *error = QStringLiteral("The database file '%1' does not exist").arg(path);
            return nullptr;
        }
        return server->connect(error);
    };
}

db::Result TempDatabase::exec(const QString& sql) const {
    auto connection = connect();
    if (!connection) return db::Result::failure(QStringLiteral("No connection"));
    db::Command command;
    command.text = sql;
    db::Result result = connection->execute(command);
    if (!result.ok())
        ADD_FAILURE() << "SQL failed: " << result.error.toStdString() << "\n" << sql.toStdString();
    return result;
}

}  // namespace testing_support
