#pragma once
// A statement prepared once and run many times within one procedure call or
// one demo subject: for thousands of rows of the same kind, preparing the
// statement per row costs more than running it.

#include "db/Value.h"
#include "reportdb/SqliteUtil.h"

#include <sqlite3.h>

#include <QString>
#include <QVariant>
#include <vector>

namespace reportdb {

class PreparedStatement {
public:
    // Throws SqlError when `sql` is not one valid statement.
    PreparedStatement(sqlite3* db, const QString& sql);

    // Runs the statement with `bindings` in place of its parameters, in
    // order; returns the number of rows it changed. Throws SqlError.
    long long exec(const std::vector<QVariant>& bindings = {});
    // The rows it returns. Throws SqlError.
    db::ResultSet query(const std::vector<QVariant>& bindings = {});
    // The first column of the first row, or a null value when there is none.
    QVariant scalar(const std::vector<QVariant>& bindings = {});

private:
    void bind(const std::vector<QVariant>& bindings);

    sqlite3* db_;
    sqlite::Statement statement_;
};

}  // namespace reportdb
