// The held changes of a data set: counting, dropping, and the batch update
// that writes them to one base table.
#include "db/Connection.h"
#include "db/DataSet.h"

namespace db {

namespace {

const QString kConflict = QStringLiteral("The row was changed by another user since it was read");

QString quoteIdentifier(const QString& name) {
    QString quoted = name;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

// One statement with its positional values.
struct Statement {
    QString sql;
    Parameters values;
    bool conditions = false;

    void bind(const Field& field, const QVariant& value) {
        Parameter p;
        p.type = field.type;
        p.size = field.size;
        p.value = value;
        values.push_back(std::move(p));
    }
    // "column = ?", or "column IS NULL" where the expected value is NULL.
    void condition(const QString& quotedName, const Field& field, const QVariant& expected) {
        sql += conditions ? QLatin1String(" AND ") : QLatin1String(" WHERE ");
        conditions = true;
        sql += quotedName;
        if (expected.isNull()) {
            sql += QLatin1String(" IS NULL");
        } else {
            sql += QLatin1String(" = ?");
            bind(field, expected);
        }
    }
};

bool sameStoredValue(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull()) return a.isNull() && b.isNull();
    return a == b;
}

}  // namespace

bool DataSet::updateBatch(SharedConnection& connection, const QString& table, const QStringList& keyColumns) {
    QString error;
    if (!connection.connect(&error)) return fail(error);
    return updateBatch(*connection.get(), table, keyColumns);
}

bool DataSet::updateBatch(Connection& connection, const QString& table, const QStringList& keyColumns) {
    if (!isOpen()) return fail(QStringLiteral("The data set is closed"));
    if (!checkBrowseMode()) return false;
    if (keyColumns.isEmpty()) return fail(QStringLiteral("No key columns given for table '%1'").arg(table));
    std::vector<int> keys;
    for (const QString& name : keyColumns) {
        const int f = fieldIndex(name);
        if (f < 0 || f >= dataFieldCount_) return fail(QStringLiteral("Key column '%1' not found").arg(name));
        keys.push_back(f);
    }
    const auto isKey = [&keys](int f) { return std::find(keys.begin(), keys.end(), f) != keys.end(); };
    const QString target = quoteIdentifier(table);
    std::vector<QString> quoted;
    quoted.reserve(size_t(dataFieldCount_));
    for (int f = 0; f < dataFieldCount_; ++f) quoted.push_back(quoteIdentifier(fields_[size_t(f)].name));

    auto whereKey = [&](Statement& s, const Row& original) {
        for (int k : keys) s.condition(quoted[size_t(k)], fields_[size_t(k)], original[size_t(k)]);
    };

    // Deletes first, so a new row may reuse a deleted row's key.
    std::vector<Statement> statements;
    const auto pending = [this](size_t i, RowStatus status) {
        return !states_[i].dropped && states_[i].status == status;
    };
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (!pending(i, RowStatus::Deleted)) continue;
        Statement s;
        s.sql = QStringLiteral("DELETE FROM ") + target;
        whereKey(s, originalOf(int(i)));
        statements.push_back(std::move(s));
    }
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (!pending(i, RowStatus::Modified)) continue;
        const Row& values = rows_[i];
        const Row& original = originalOf(int(i));
        std::vector<int> changed;
        for (int f = 0; f < dataFieldCount_; ++f)
            if (fields_[size_t(f)].persistent && !sameStoredValue(values[size_t(f)], original[size_t(f)]))
                changed.push_back(f);
        if (changed.empty()) continue;
        Statement s;
        s.sql = QStringLiteral("UPDATE ") + target + QStringLiteral(" SET ");
        for (size_t i = 0; i < changed.size(); ++i) {
            const Field& field = fields_[size_t(changed[i])];
            if (i > 0) s.sql += QStringLiteral(", ");
            s.sql += quoted[size_t(changed[i])] + QLatin1String(" = ?");
            s.bind(field, values[size_t(changed[i])]);
        }
        // Optimistic check: the key and every changed column still as read.
        whereKey(s, original);
        for (int f : changed)
            if (!isKey(f)) s.condition(quoted[size_t(f)], fields_[size_t(f)], original[size_t(f)]);
        statements.push_back(std::move(s));
    }
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (!pending(i, RowStatus::Inserted)) continue;
        const Row& values = rows_[i];
        Statement s;
        QStringList columns;
        QStringList marks;
        for (int f = 0; f < dataFieldCount_; ++f) {
            const Field& field = fields_[size_t(f)];
            if (!field.persistent || values[size_t(f)].isNull()) continue;
            columns << quoted[size_t(f)];
            marks << QStringLiteral("?");
            s.bind(field, values[size_t(f)]);
        }
        s.sql =
            QStringLiteral("INSERT INTO ") + target +
            (columns.isEmpty() ? QStringLiteral(" DEFAULT VALUES")
                               : QStringLiteral(" (") + columns.join(QStringLiteral(", ")) +
                                     QStringLiteral(") VALUES (") + marks.join(QStringLiteral(", ")) + u')');
        statements.push_back(std::move(s));
    }

    const bool ownTransaction = !connection.inTransaction();
    QString error;
    if (ownTransaction && !connection.beginTransaction(&error)) return fail(error);
    auto abandon = [&](const QString& message) {
        if (ownTransaction) connection.rollback();
        return fail(message);
    };
    for (Statement& s : statements) {
        Command command;
        command.type = CommandType::Text;
        command.text = s.sql;
        command.parameters = std::move(s.values);
        const Result result = connection.execute(command);
        if (!result.ok()) return abandon(result.error);
        if (result.rowsAffected == 0) return abandon(kConflict);
        // More than one row means the key does not identify a row: never
        // let such a batch change rows the user did not touch.
        if (result.rowsAffected > 1)
            return abandon(QStringLiteral("The key columns do not identify a single row of '%1'").arg(table));
    }
    lastError_.clear();
    if (!ownTransaction) return true;
    if (!connection.commit(&error)) return abandon(error);
    acceptChanges();
    return true;
}

int DataSet::changeCount() const {
    int count = 0;
    for (int i = 0; i < int(states_.size()); ++i)
        if (counts(i)) ++count;
    return count;
}

bool DataSet::hasChanges() const {
    for (int i = 0; i < int(states_.size()); ++i)
        if (counts(i)) return true;
    return false;
}

std::vector<RowView> DataSet::changedRows() const {
    std::vector<RowView> rows;
    for (int i = 0; i < int(states_.size()); ++i)
        if (counts(i)) rows.push_back(RowView(this, int(i)));
    return rows;
}

void DataSet::cancelBatch() {
    if (!isOpen()) return;
    if (state_ == DataSetState::Edit || state_ == DataSetState::Insert) cancel();
    const int oldCurrent = current_;
    resetWith([this, oldCurrent] {
        std::vector<Row> kept;
        kept.reserve(rows_.size());
        for (size_t i = 0; i < rows_.size(); ++i) {
            if (states_[i].dropped || states_[i].status == RowStatus::Inserted) continue;
            const auto original = originals_.find(int(i));
            kept.push_back(std::move(original == originals_.end() ? rows_[i] : original->second));
        }
        rows_ = std::move(kept);
        states_.assign(rows_.size(), RowState());
        originals_.clear();
        rebuildVisible();
        current_ = visible_.empty() ? -1 : std::clamp(oldCurrent, 0, recordCount() - 1);
        bof_ = eof_ = visible_.empty();
    });
    notifyCurrent();
}

// After a successful batch the written values are what the database holds.
void DataSet::acceptChanges() {
    if (!isOpen()) return;
    checkBrowseMode();
    std::vector<Row> kept;
    kept.reserve(rows_.size());
    std::vector<int> newIndex(rows_.size(), -1);
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (states_[i].dropped || states_[i].status == RowStatus::Deleted) continue;
        newIndex[i] = int(kept.size());
        kept.push_back(std::move(rows_[i]));
    }
    rows_ = std::move(kept);
    states_.assign(rows_.size(), RowState());
    originals_.clear();
    for (int& v : visible_) v = newIndex[size_t(v)];
    if (!visible_.empty()) {
        const int last = recordCount() - 1;
        notify([last](DataSetListener* l) { l->rowsChanged(0, last); });
    }
}

}  // namespace db
