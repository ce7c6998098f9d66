#include "support/TempDatabase.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

namespace testing_support {

namespace {

// Writing the demo takes far longer than copying it, and ctest runs every
// test in a process of its own. So each test program writes the demo once
// per set of options, next to itself, and every test copies that file. The
// name carries the program's build time, so a rebuilt program (whose demo
// generator may have changed) writes its own and removes the old ones.
QString demoTemplate(const reportdb::demo::Options& options, QString* error) {
    const QFileInfo program(QCoreApplication::applicationFilePath());
    const QString stamp = QString::number(program.lastModified().toMSecsSinceEpoch());
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(QStringLiteral("%1|%2|%3|%4|%5")
                     .arg(options.versionText)
                     .arg(options.turbineCount)
                     .arg(options.rawDataDays)
                     .arg(options.sampleMinutes)
                     .arg(options.seed)
                     .toUtf8());
    QDir folder(program.absolutePath() + QStringLiteral("/demo-templates"));
    if (!folder.exists() && !folder.mkpath(QStringLiteral("."))) {
        if (error) *error = QStringLiteral("Cannot create ") + folder.path();
        return {};
    }
    const QString prefix = program.fileName() + u'-';
    const QString name =
        prefix + stamp + u'-' + QString::fromLatin1(hash.result().toHex().left(16)) + QStringLiteral(".db");
    const QString path = folder.filePath(name);
    if (QFileInfo::exists(path)) return path;

    for (const QString& old : folder.entryList({prefix + QStringLiteral("*.db")}, QDir::Files))
        if (!old.startsWith(prefix + stamp + u'-')) folder.remove(old);
    // Written under a name of its own and renamed, so that a test program
    // running beside this one never copies a half-written file.
    const QString partial =
        folder.filePath(QUuid::createUuid().toString(QUuid::Id128) + QStringLiteral(".part"));
    if (!reportdb::demo::writeDemoDatabase(partial, options, nullptr, error)) return {};
    if (!QFile::rename(partial, path)) {
        QFile::remove(partial);
        if (!QFileInfo::exists(path)) {
            if (error) *error = QStringLiteral("Cannot store the demo template ") + path;
            return {};
        }
    }
    return path;
}

}  // namespace

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
    const QString source = demoTemplate(demo.options, &error_);
    if (source.isEmpty() || !QFile::copy(source, path_) ||
        !QFile::setPermissions(path_, QFile::ReadOwner | QFile::WriteOwner) ||
        !(server_ = reportdb::Server::open(path_, &error_, registry_))) {
        if (error_.isEmpty()) error_ = QStringLiteral("Cannot copy the demo template");
        ADD_FAILURE() << "Demo test database: " << error_.toStdString();
        return;
    }
    versionText_ = server_->versionText();
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
