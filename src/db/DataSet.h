#pragma once
// An in-memory record set with a current row, editing, per-row status and a
// batch update that writes the held changes back to one base table. Windows
// keep their edits here until Apply/OK; grids show it through DataSetModel.

#include "db/Value.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <unordered_map>
#include <vector>

namespace db {

class Connection;
class DataSet;
class SharedConnection;

enum class RowStatus { Unchanged, Modified, Inserted, Deleted };
enum class DataSetState { Inactive, Browse, Edit, Insert };

struct Field {
    QString name;
    FieldType type = FieldType::Unknown;
    int size = 0;
    QString displayLabel;  // the grid's column caption
    bool visible = true;
    bool readOnly = false;    // refused by setValue
    bool calculated = false;  // computed from the row, never stored
    bool persistent = true;   // written by updateBatch (false for joined or computed columns)
};

// Read access to one row for filters and calculated fields. Only valid while
// the data set is not modified.
class RowView {
public:
    QVariant value(int field) const;
    QVariant value(const QString& fieldName) const;  // null when there is no such field
    QVariant originalValue(int field) const;         // as last read or written
    RowStatus status() const;

private:
    friend class DataSet;
    RowView(const DataSet* dataSet, int record) : dataSet_(dataSet), record_(record) {}
    const DataSet* dataSet_;
    int record_;
};

// Told about every change, so a model can keep its views current. Rows are
// positions among the visible (filtered, not deleted) rows.
class DataSetListener {
public:
    virtual ~DataSetListener() = default;
    virtual void dataSetAboutToBeReset() {}
    virtual void dataSetReset() {}  // opened, closed, filter or field settings changed
    virtual void rowAboutToBeInserted(int /*row*/) {}
    virtual void rowInserted(int /*row*/) {}
    virtual void rowAboutToBeRemoved(int /*row*/) {}
    virtual void rowRemoved(int /*row*/) {}
    virtual void rowsChanged(int /*first*/, int /*last*/) {}  // values or status
    virtual void currentRowChanged(int /*row*/) {}            // -1: none
    virtual void stateChanged(DataSetState /*state*/) {}
    virtual void dataSetDestroyed() {}
};

struct LocateOptions {
    bool caseInsensitive = false;
    bool partialKey = false;  // a text value matches the start of the field's text
};

class DataSet {
public:
    using Filter = std::function<bool(const RowView&)>;
    using Calculation = std::function<QVariant(const RowView&)>;

    DataSet() = default;
    ~DataSet();
    DataSet(const DataSet&) = delete;
    DataSet& operator=(const DataSet&) = delete;

    // --- Opening ---
    // Runs `command` and opens on its first result set; on failure the data
    // set is closed and lastError() holds the provider's message. The
    // command, with its output parameters, is kept (see command()).
    bool open(Connection& connection, Command& command);
    // The same on a shared connection, connecting it first when needed.
    bool open(SharedConnection& connection, Command& command);
    // Opens on rows read elsewhere (e.g. by the asynchronous executor).
    void setRows(const ResultSet& rows);
    void setRows(ResultSet&& rows);
    void close();
    bool isOpen() const { return state_ != DataSetState::Inactive; }
    const QString& lastError() const { return lastError_; }
    const Command& command() const { return command_; }
    void setCommand(const Command& command) { command_ = command; }

    // --- Fields ---
    // Columns of the result first, then calculated fields. Settings of a
    // field (label, visibility, read-only, persistent) carry over when the
    // data set is opened again (also after close) on a result with a column
    // of the same name.
    int fieldCount() const { return int(fields_.size()); }
    const Field& field(int index) const { return fields_[size_t(index)]; }
    int fieldIndex(const QString& name) const;  // case-insensitive; -1 when absent
    bool setDisplayLabel(const QString& fieldName, const QString& label);
    bool setVisible(const QString& fieldName, bool visible);
    bool setReadOnly(const QString& fieldName, bool readOnly);
    bool setPersistent(const QString& fieldName, bool persistent);
    // A field computed from its row; it stays defined across open and close.
    int addCalculatedField(const QString& name, FieldType type, Calculation calculation);

    // --- Current row and navigation (leaving an edit posts it) ---
    int recordCount() const { return int(visible_.size()); }
    int currentRow() const { return current_; }  // 0-based; -1 when empty
    int recNo() const { return current_ + 1; }   // 1-based; 0 when empty
    bool moveTo(int row);
    void first();
    void next();
    void prior();
    void last();
    bool eof() const { return eof_; }
    bool bof() const { return bof_; }
    // Moves to the first visible row whose fields equal the values; the
    // current row stays when none does.
    bool locate(const QStringList& fieldNames, const QVariantList& values, LocateOptions options = {});
    bool locate(const QString& fieldName, const QVariant& value, LocateOptions options = {});

    // --- Values ---
    QVariant value(int field) const;  // of the current row
    QVariant value(const QString& fieldName) const;
    QVariant valueAt(int row, int field) const;
    QVariant originalValue(int field) const;  // of the current row
    RowStatus rowStatus(int row) const;
    RowStatus currentRowStatus() const { return current_ < 0 ? RowStatus::Unchanged : rowStatus(current_); }
    RowView rowView(int row) const { return RowView(this, visible_[size_t(row)]); }

    // --- Editing ---
    DataSetState state() const { return state_; }
    bool edit();
    bool append();  // a new row at the end, in insert state
    // Only in edit or insert state; the value is converted to the field's type.
    bool setValue(int field, const QVariant& value);
    bool setValue(const QString& fieldName, const QVariant& value);
    // Sets a value of a row as the database holds it already (written by a
    // procedure, say): without editing, and the row's original value takes
    // it too, so it is no held change of its own.
    bool setStoredValue(int row, int field, const QVariant& value);
    bool post();
    void cancel();
    bool deleteRow();  // the current row

    // --- Held changes ---
    bool hasChanges() const;
    int changeCount() const;
    // Every row with a held change (deleted rows included), in storage order.
    std::vector<RowView> changedRows() const;
    // Drops every held change: edits reverted, new rows gone, deleted rows back.
    void cancelBatch();
    // Takes the held changes as written: they become the values as read,
    // deleted rows go.
    void acceptChanges();
    // Writes the held changes to `table` in one transaction, identifying rows
    // by `keyColumns`. A modified row is only written while its changed
    // columns still hold the values read; otherwise, or on any error,
    // nothing is written, the changes stay held and lastError() says why.
    // When the connection already has a transaction open, the batch joins it
    // and the changes stay held: the caller commits and then calls
    // acceptChanges() (a rollback leaves them ready for another try).
    bool updateBatch(Connection& connection, const QString& table, const QStringList& keyColumns);
    bool updateBatch(SharedConnection& connection, const QString& table, const QStringList& keyColumns);

    // Runs `changes` (moves, edits, posts, a filter, acceptChanges) with the
    // listeners told once, as a reset, afterwards instead of row by row: for
    // changes to many rows at once, which a view follows far faster as one
    // reset than as thousands of row changes.
    void changeMany(const std::function<void()>& changes);

    // --- Filter ---
    // Shows only rows the predicate accepts; evaluated now and on refilter(),
    // not on every edit, so an edited row never vanishes under the user.
    void setFilter(Filter filter);
    void clearFilter() { setFilter({}); }
    void refilter();
    bool isFiltered() const { return bool(filter_); }

    // --- Listeners (not owned) ---
    void addListener(DataSetListener* listener);
    void removeListener(DataSetListener* listener);

private:
    friend class RowView;
    struct RowState {
        RowStatus status = RowStatus::Unchanged;
        bool dropped = false;  // inserted and deleted again: ignored everywhere
    };

    QVariant recordValue(int record, int field) const;
    // The values as read: kept apart for modified rows only.
    const Row& originalOf(int record) const;
    bool counts(int record) const {
        return !states_[size_t(record)].dropped && states_[size_t(record)].status != RowStatus::Unchanged;
    }
    int currentRecord() const { return current_ < 0 ? -1 : visible_[size_t(current_)]; }
    void adoptRows(ResultSet&& rows);
    const Field* rememberedField(const QString& name) const;
    void rebuildVisible();
    bool checkBrowseMode();
    void setCurrent(int row, bool bof, bool eof);
    void notifyCurrent();
    void setState(DataSetState state);
    void resetWith(const std::function<void()>& change);
    bool changeField(const QString& fieldName, const std::function<void(Field&)>& change);
    bool fail(const QString& message);
    template <typename F>
    void notify(F&& call);

    std::vector<Field> fields_;
    int dataFieldCount_ = 0;
    std::vector<Field> closedFields_;        // the columns' settings while closed
    std::vector<Calculation> calculations_;  // per calculated field, in field order
    // Rows in storage order (taken over from the result without copying),
    // their states, and the values as read of modified rows by storage index.
    std::vector<Row> rows_;
    std::vector<RowState> states_;
    std::unordered_map<int, Row> originals_;
    std::vector<int> visible_;  // records shown, in storage order
    int current_ = -1;
    bool bof_ = true;
    bool eof_ = true;
    DataSetState state_ = DataSetState::Inactive;
    Row editBackup_;  // the current row's values when the edit began
    int rowBeforeInsert_ = -1;
    Filter filter_;
    Command command_;
    QString lastError_;
    std::vector<DataSetListener*> listeners_;
    int muted_ = 0;  // inside changeMany: listeners hear of it afterwards
};

template <typename F>
void DataSet::notify(F&& call) {
    if (muted_ > 0 || listeners_.empty()) return;
    // A listener may remove itself or another one while being told.
    const std::vector<DataSetListener*> snapshot = listeners_;
    for (DataSetListener* l : snapshot)
        if (std::find(listeners_.begin(), listeners_.end(), l) != listeners_.end()) call(l);
}

}  // namespace db
