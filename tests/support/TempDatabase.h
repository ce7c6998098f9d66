#pragma once
// A fresh embedded reporting database in a temporary folder, for tests:
// choose its version (and, if needed, its procedures), then take connections,
// the connection string or a connection factory from it.

#include "db/Connection.h"
#include "reportdb/EmbeddedDatabase.h"
#include "reportdb/ProcedureRegistry.h"
#include "reportdb/Server.h"
#include "reportdb/demo/Demo.h"

#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace testing_support {

// Asks TempDatabase for the demo content (written with these options).
struct DemoContent {
    reportdb::demo::Options options;

    // A small park: `turbines` turbines, `days` days of raw data, the
    // database version `version` (empty: the default).
    static DemoContent small(int turbines, int days, const QString& version = {}) {
        DemoContent demo;
        demo.options.versionText = version;
        demo.options.turbineCount = turbines;
        demo.options.rawDataDays = days;
        return demo;
    }
};

class TempDatabase {
public:
    explicit TempDatabase(const QString& versionText = QString::fromLatin1(reportdb::kDefaultVersionText),
                          std::shared_ptr<const reportdb::ProcedureRegistry> registry = nullptr);
    explicit TempDatabase(const DemoContent& demo,
                          std::shared_ptr<const reportdb::ProcedureRegistry> registry = nullptr);

    // False (with the reason in error()) when the database could not be made;
    // the constructor has already reported a test failure then.
    bool isValid() const { return server_ != nullptr; }
    const QString& error() const { return error_; }

    QString folder() const { return dir_.path(); }
    QString path() const { return path_; }
    QString versionText() const { return versionText_; }
    // "Provider=Embedded;Data Source=<file>"
    QString connectionString() const;

    const std::shared_ptr<reportdb::Server>& server() const { return server_; }
    // A new connection; a failure fails the test and returns null.
    std::unique_ptr<db::Connection> connect() const;
    // A factory that opens this database (sharing its server and procedures)
    // for this connection string and fails for any other.
    db::ConnectionFactory factory() const;

    // Runs SQL on a short-lived connection; a failure fails the test.
    db::Result exec(const QString& sql) const;
    // The first column of the first row of `sql`.
    QVariant scalar(const QString& sql) const;

    // Closes the database, as when the program ends: its server stops its
    // background work. Every connection taken before must be gone.
    void close();
    // Opens it again (after close(), or closing it first), as when the
    // program starts.
    void reopen();

private:
    QTemporaryDir dir_;
    QString path_;
    QString versionText_;
    QString error_;
    std::shared_ptr<const reportdb::ProcedureRegistry> registry_;
    std::shared_ptr<reportdb::Server> server_;
};

}  // namespace testing_support
