#include "db/DataSet.h"

#include "db/Connection.h"
#include "db/Parameters.h"

#include <QDateTime>

namespace db {

namespace {

// Null-aware equality; numbers of different widths compare by value.
bool sameValue(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull()) return a.isNull() && b.isNull();
    return a == b;
}

bool sameRow(const Row& a, const Row& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (!sameValue(a[i], b[i])) return false;
    return true;
}

// Brings a value to the representation of a field of `type`, so changes
// compare and bind like the values that were read.
bool coerce(FieldType type, const QVariant& in, QVariant* out) {
    if (in.isNull()) {
        *out = QVariant();
        return true;
    }
    bool ok = true;
    switch (type) {
        case FieldType::Integer: {
            if (in.typeId() == QMetaType::Bool) {
                *out = QVariant(qlonglong(in.toBool()));
                return true;
            }
            const qlonglong v = in.typeId() == QMetaType::QString ? in.toString().trimmed().toLongLong(&ok)
                                                                  : in.toLongLong(&ok);
            if (ok) *out = QVariant(v);
            return ok;
        }
        case FieldType::Float: {
            const double v =
                in.typeId() == QMetaType::QString ? in.toString().trimmed().toDouble(&ok) : in.toDouble(&ok);
            if (ok) *out = QVariant(v);
            return ok;
        }
        case FieldType::Boolean: *out = QVariant(truthOf(in)); return true;
        case FieldType::String: *out = QVariant(in.toString()); return true;
        default: *out = in; return true;
    }
}

bool textMatches(const QString& have, const QString& want, const LocateOptions& options) {
    const Qt::CaseSensitivity cs = options.caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;
    return options.partialKey ? have.startsWith(want, cs) : have.compare(want, cs) == 0;
}

bool locateMatches(FieldType type, const QVariant& have, const QVariant& want, const LocateOptions& options) {
    if (have.isNull() || want.isNull()) return have.isNull() && want.isNull();
    QVariant converted;
    switch (type) {
        case FieldType::Integer:
            return coerce(type, want, &converted) && have.toLongLong() == converted.toLongLong();
        case FieldType::Float:
            return coerce(type, want, &converted) && have.toDouble() == converted.toDouble();
        case FieldType::Boolean: return truthOf(have) == truthOf(want);
        default: return textMatches(have.toString(), want.toString(), options);
    }
}

}  // namespace

// ---------------------------------------------------------------- RowView

QVariant RowView::value(int field) const { return dataSet_->recordValue(record_, field); }

QVariant RowView::value(const QString& fieldName) const {
    const int field = dataSet_->fieldIndex(fieldName);
    return field < 0 ? QVariant() : value(field);
}

QVariant RowView::originalValue(int field) const {
    if (field < 0 || field >= dataSet_->dataFieldCount_) return value(field);
    return dataSet_->originalOf(record_)[size_t(field)];
}

RowStatus RowView::status() const { return dataSet_->states_[size_t(record_)].status; }

// ---------------------------------------------------------------- DataSet

DataSet::~DataSet() {
    notify([](DataSetListener* l) { l->dataSetDestroyed(); });
}

void DataSet::addListener(DataSetListener* listener) {
    if (listener && std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end())
        listeners_.push_back(listener);
}

void DataSet::removeListener(DataSetListener* listener) {
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

bool DataSet::fail(const QString& message) {
    lastError_ = message;
    return false;
}

void DataSet::resetWith(const std::function<void()>& change) {
    notify([](DataSetListener* l) { l->dataSetAboutToBeReset(); });
    change();
    notify([](DataSetListener* l) { l->dataSetReset(); });
}

void DataSet::changeMany(const std::function<void()>& changes) {
    const DataSetState stateBefore = state_;
    resetWith([&] {
        struct Mute {
            int& count;
            explicit Mute(int& c) : count(c) { ++count; }
            ~Mute() { --count; }
        } mute(muted_);
        changes();
    });
    if (state_ != stateBefore) {
        const DataSetState state = state_;
        notify([state](DataSetListener* l) { l->stateChanged(state); });
    }
    // After a reset a listener follows the current row anew, moved or not.
    notifyCurrent();
}

void DataSet::setState(DataSetState state) {
    if (state_ == state) return;
    state_ = state;
    notify([state](DataSetListener* l) { l->stateChanged(state); });
}

// After a reset the row at the current position may be another one.
void DataSet::notifyCurrent() {
    const int row = current_;
    notify([row](DataSetListener* l) { l->currentRowChanged(row); });
}

void DataSet::setCurrent(int row, bool bof, bool eof) {
    bof_ = bof;
    eof_ = eof;
    if (current_ == row) return;
    current_ = row;
    notify([row](DataSetListener* l) { l->currentRowChanged(row); });
}

// ---------------------------------------------------------------- opening

bool DataSet::open(Connection& connection, Command& command) {
    Result result = connection.execute(command);
    command_ = command;
    if (!result.ok()) {
        close();
        return fail(result.error);
    }
    if (result.resultSets.empty()) {
        close();
        return fail(QStringLiteral("The statement returned no rows"));
    }
    setRows(std::move(result.resultSets.front()));
    return true;
}

bool DataSet::open(SharedConnection& connection, Command& command) {
    QString error;
    if (!connection.connect(&error)) {
        close();
        return fail(error);
    }
    return open(*connection.get(), command);
}

void DataSet::setRows(const ResultSet& rows) { setRows(ResultSet(rows)); }

void DataSet::setRows(ResultSet&& rows) {
    lastError_.clear();
    // Pending edits belong to the rows being replaced.
    if (state_ == DataSetState::Edit || state_ == DataSetState::Insert) {
        editBackup_.clear();
        setState(DataSetState::Browse);
    }
    resetWith([&] { adoptRows(std::move(rows)); });
    setState(DataSetState::Browse);
    notifyCurrent();
}

// The settings a column had when the data set was last open.
const Field* DataSet::rememberedField(const QString& name) const {
    const int index = fieldIndex(name);
    if (index >= 0 && index < dataFieldCount_) return &fields_[size_t(index)];
    for (const Field& f : closedFields_)
        if (f.name.compare(name, Qt::CaseInsensitive) == 0) return &f;
    return nullptr;
}

void DataSet::adoptRows(ResultSet&& rows) {
    std::vector<Field> fields;
    fields.reserve(rows.columns.size() + calculations_.size());
    for (const Column& c : rows.columns) {
        Field f;
        f.name = c.name;
        f.type = c.type;
        f.size = c.size;
        f.displayLabel = c.name;
        if (const Field* o = rememberedField(c.name)) {
            f.displayLabel = o->displayLabel;
            f.visible = o->visible;
            f.readOnly = o->readOnly;
            f.persistent = o->persistent;
        }
        fields.push_back(std::move(f));
    }
    for (int i = dataFieldCount_; i < fieldCount(); ++i) fields.push_back(fields_[size_t(i)]);
    fields_ = std::move(fields);
    dataFieldCount_ = int(rows.columns.size());

    rows_ = std::move(rows.rows);
    for (Row& row : rows_)
        if (row.size() != size_t(dataFieldCount_)) row.resize(size_t(dataFieldCount_));
    states_.assign(rows_.size(), RowState());
    originals_.clear();
    // Booleans may arrive as numbers; keep one representation so edits compare.
    for (int f = 0; f < dataFieldCount_; ++f) {
        if (fields_[size_t(f)].type != FieldType::Boolean) continue;
        for (Row& row : rows_) {
            QVariant& v = row[size_t(f)];
            if (!v.isNull() && v.typeId() != QMetaType::Bool) v = QVariant(truthOf(v));
        }
    }
    rebuildVisible();
    current_ = visible_.empty() ? -1 : 0;
    bof_ = true;
    eof_ = visible_.empty();
}

void DataSet::close() {
    if (!isOpen() && rows_.empty()) return;
    resetWith([this] {
        closedFields_.assign(fields_.begin(), fields_.begin() + dataFieldCount_);
        fields_.erase(fields_.begin(), fields_.begin() + dataFieldCount_);
        dataFieldCount_ = 0;
        rows_.clear();
        states_.clear();
        originals_.clear();
        visible_.clear();
        current_ = -1;
        bof_ = eof_ = true;
    });
    setState(DataSetState::Inactive);
    notifyCurrent();
}

// ---------------------------------------------------------------- fields

int DataSet::fieldIndex(const QString& name) const {
    for (size_t i = 0; i < fields_.size(); ++i)
        if (fields_[i].name.compare(name, Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}

bool DataSet::changeField(const QString& fieldName, const std::function<void(Field&)>& change) {
    const int index = fieldIndex(fieldName);
    if (index < 0) return fail(QStringLiteral("Field '%1' not found").arg(fieldName));
    resetWith([&] { change(fields_[size_t(index)]); });
    return true;
}

bool DataSet::setDisplayLabel(const QString& fieldName, const QString& label) {
    return changeField(fieldName, [&](Field& f) { f.displayLabel = label; });
}

bool DataSet::setVisible(const QString& fieldName, bool visible) {
    return changeField(fieldName, [&](Field& f) { f.visible = visible; });
}

bool DataSet::setReadOnly(const QString& fieldName, bool readOnly) {
    return changeField(fieldName, [&](Field& f) { f.readOnly = readOnly; });
}

bool DataSet::setPersistent(const QString& fieldName, bool persistent) {
    return changeField(fieldName, [&](Field& f) { f.persistent = persistent; });
}

int DataSet::addCalculatedField(const QString& name, FieldType type, Calculation calculation) {
    Field f;
    f.name = name;
    f.type = type;
    f.displayLabel = name;
    f.readOnly = true;
    f.calculated = true;
    f.persistent = false;
    resetWith([&] {
        fields_.push_back(std::move(f));
        calculations_.push_back(std::move(calculation));
    });
    return fieldCount() - 1;
}

// ---------------------------------------------------------------- values

const Row& DataSet::originalOf(int record) const {
    const auto original = originals_.find(record);
    return original == originals_.end() ? rows_[size_t(record)] : original->second;
}

QVariant DataSet::recordValue(int record, int field) const {
    if (record < 0 || field < 0 || field >= fieldCount()) return {};
    if (field < dataFieldCount_) return rows_[size_t(record)][size_t(field)];
    const Calculation& calc = calculations_[size_t(field - dataFieldCount_)];
    return calc ? calc(RowView(this, record)) : QVariant();
}

QVariant DataSet::value(int field) const { return recordValue(currentRecord(), field); }

QVariant DataSet::value(const QString& fieldName) const { return value(fieldIndex(fieldName)); }

QVariant DataSet::valueAt(int row, int field) const {
    if (row < 0 || row >= recordCount()) return {};
    return recordValue(visible_[size_t(row)], field);
}

QVariant DataSet::originalValue(int field) const {
    const int record = currentRecord();
    if (record < 0) return {};
    return RowView(this, record).originalValue(field);
}

RowStatus DataSet::rowStatus(int row) const {
    if (row < 0 || row >= recordCount()) return RowStatus::Unchanged;
    return states_[size_t(visible_[size_t(row)])].status;
}

// ---------------------------------------------------------------- navigation

bool DataSet::checkBrowseMode() {
    if (state_ == DataSetState::Edit || state_ == DataSetState::Insert) return post();
    return true;
}

bool DataSet::moveTo(int row) {
    if (!isOpen() || row < 0 || row >= recordCount()) return false;
    if (!checkBrowseMode()) return false;
    setCurrent(row, false, false);
    return true;
}

void DataSet::first() {
    if (!isOpen() || !checkBrowseMode()) return;
    setCurrent(visible_.empty() ? -1 : 0, true, visible_.empty());
}

void DataSet::last() {
    if (!isOpen() || !checkBrowseMode()) return;
    setCurrent(recordCount() - 1, visible_.empty(), true);
}

void DataSet::next() {
    if (!isOpen() || !checkBrowseMode()) return;
    if (current_ + 1 >= recordCount())
        eof_ = true;
    else
        setCurrent(current_ + 1, false, false);
}

void DataSet::prior() {
    if (!isOpen() || !checkBrowseMode()) return;
    if (current_ <= 0)
        bof_ = true;
    else
        setCurrent(current_ - 1, false, false);
}

bool DataSet::locate(const QString& fieldName, const QVariant& value, LocateOptions options) {
    return locate(QStringList{fieldName}, QVariantList{value}, options);
}

bool DataSet::locate(const QStringList& fieldNames, const QVariantList& values, LocateOptions options) {
    if (!isOpen() || fieldNames.isEmpty() || fieldNames.size() != values.size()) return false;
    std::vector<int> fields;
    for (const QString& name : fieldNames) {
        const int f = fieldIndex(name);
        if (f < 0) return fail(QStringLiteral("Field '%1' not found").arg(name));
        fields.push_back(f);
    }
    for (int row = 0; row < recordCount(); ++row) {
        bool all = true;
        for (size_t i = 0; i < fields.size() && all; ++i)
            all = locateMatches(fields_[size_t(fields[i])].type,
                                recordValue(visible_[size_t(row)], fields[i]), values[qsizetype(i)], options);
        if (all) return moveTo(row);
    }
    return false;
}

// ---------------------------------------------------------------- filter

void DataSet::rebuildVisible() {
    visible_.clear();
    visible_.reserve(rows_.size());
    for (size_t i = 0; i < rows_.size(); ++i) {
        const RowState& r = states_[i];
        if (r.dropped || r.status == RowStatus::Deleted) continue;
        if (filter_ && !filter_(RowView(this, int(i)))) continue;
        visible_.push_back(int(i));
    }
}

void DataSet::setFilter(Filter filter) {
    checkBrowseMode();
    filter_ = std::move(filter);
    refilter();
}

void DataSet::refilter() {
    if (!isOpen()) return;
    checkBrowseMode();
    resetWith([this] {
        rebuildVisible();
        current_ = visible_.empty() ? -1 : 0;
        bof_ = true;
        eof_ = visible_.empty();
    });
    notifyCurrent();
}

// ---------------------------------------------------------------- editing

bool DataSet::edit() {
    if (state_ == DataSetState::Edit || state_ == DataSetState::Insert) return true;
    if (!isOpen()) return fail(QStringLiteral("The data set is closed"));
    if (current_ < 0) return fail(QStringLiteral("There is no current row to edit"));
    editBackup_ = rows_[size_t(currentRecord())];
    setState(DataSetState::Edit);
    return true;
}

bool DataSet::append() {
    if (!isOpen()) return fail(QStringLiteral("The data set is closed"));
    if (!checkBrowseMode()) return false;
    const int row = recordCount();
    rowBeforeInsert_ = current_;
    notify([row](DataSetListener* l) { l->rowAboutToBeInserted(row); });
    rows_.emplace_back(size_t(dataFieldCount_));
    states_.push_back({RowStatus::Inserted, false});
    visible_.push_back(int(rows_.size()) - 1);
    notify([row](DataSetListener* l) { l->rowInserted(row); });
    setState(DataSetState::Insert);
    setCurrent(row, false, false);
    return true;
}

bool DataSet::setValue(const QString& fieldName, const QVariant& value) {
    const int field = fieldIndex(fieldName);
    if (field < 0) return fail(QStringLiteral("Field '%1' not found").arg(fieldName));
    return setValue(field, value);
}

bool DataSet::setValue(int field, const QVariant& value) {
    if (state_ != DataSetState::Edit && state_ != DataSetState::Insert)
        return fail(QStringLiteral("The data set is not in edit or insert mode"));
    if (field < 0 || field >= fieldCount()) return fail(QStringLiteral("No such field"));
    const Field& f = fields_[size_t(field)];
    if (f.calculated || f.readOnly) return fail(QStringLiteral("Field '%1' cannot be modified").arg(f.name));
    QVariant converted;
    if (!coerce(f.type, value, &converted))
        return fail(QStringLiteral("'%1' is not a valid value for field '%2'").arg(value.toString(), f.name));
    rows_[size_t(currentRecord())][size_t(field)] = std::move(converted);
    const int row = current_;
    notify([row](DataSetListener* l) { l->rowsChanged(row, row); });
    return true;
}

bool DataSet::setStoredValue(int row, int field, const QVariant& value) {
    if (!isOpen() || row < 0 || row >= recordCount()) return fail(QStringLiteral("No such row"));
    if (field < 0 || field >= dataFieldCount_) return fail(QStringLiteral("No such field"));
    QVariant converted;
    if (!coerce(fields_[size_t(field)].type, value, &converted))
        return fail(QStringLiteral("'%1' is not a valid value for field '%2'")
                        .arg(value.toString(), fields_[size_t(field)].name));
    const int record = visible_[size_t(row)];
    const auto original = originals_.find(record);
    if (original != originals_.end()) original->second[size_t(field)] = converted;
    if (state_ == DataSetState::Edit && record == currentRecord()) editBackup_[size_t(field)] = converted;
    rows_[size_t(record)][size_t(field)] = std::move(converted);
    // A modified row whose every change is now stored has none left.
    RowState& state = states_[size_t(record)];
    if (state.status == RowStatus::Modified && original != originals_.end() &&
        sameRow(rows_[size_t(record)], original->second)) {
        originals_.erase(original);
        state.status = RowStatus::Unchanged;
    }
    notify([row](DataSetListener* l) { l->rowsChanged(row, row); });
    return true;
}

bool DataSet::post() {
    if (state_ == DataSetState::Edit) {
        const int record = currentRecord();
        RowState& r = states_[size_t(record)];
        if (r.status == RowStatus::Unchanged) {
            if (!sameRow(rows_[size_t(record)], editBackup_)) {
                originals_[record] = std::move(editBackup_);
                r.status = RowStatus::Modified;
            }
        } else if (r.status == RowStatus::Modified) {
            const auto original = originals_.find(record);
            if (original != originals_.end() && sameRow(rows_[size_t(record)], original->second)) {
                originals_.erase(original);
                r.status = RowStatus::Unchanged;
            }
        }
        editBackup_.clear();
    } else if (state_ != DataSetState::Insert) {
        return fail(QStringLiteral("The data set is not in edit or insert mode"));
    }
    setState(DataSetState::Browse);
    const int row = current_;
    notify([row](DataSetListener* l) { l->rowsChanged(row, row); });
    return true;
}

void DataSet::cancel() {
    if (state_ == DataSetState::Edit) {
        rows_[size_t(currentRecord())] = std::move(editBackup_);
        editBackup_.clear();
        setState(DataSetState::Browse);
        const int row = current_;
        notify([row](DataSetListener* l) { l->rowsChanged(row, row); });
    } else if (state_ == DataSetState::Insert) {
        // The new row is always the last one; the cursor goes back to where it was.
        const int row = current_;
        notify([row](DataSetListener* l) { l->rowAboutToBeRemoved(row); });
        visible_.pop_back();
        rows_.pop_back();
        states_.pop_back();
        current_ = std::min(rowBeforeInsert_, recordCount() - 1);
        notify([row](DataSetListener* l) { l->rowRemoved(row); });
        setState(DataSetState::Browse);
        bof_ = eof_ = visible_.empty();
        notifyCurrent();
    }
}

bool DataSet::deleteRow() {
    if (!isOpen()) return fail(QStringLiteral("The data set is closed"));
    if (state_ == DataSetState::Insert) {
        cancel();
        return true;
    }
    if (current_ < 0) return fail(QStringLiteral("There is no current row to delete"));
    if (state_ == DataSetState::Edit) cancel();
    const int row = current_;
    notify([row](DataSetListener* l) { l->rowAboutToBeRemoved(row); });
    RowState& r = states_[size_t(visible_[size_t(row)])];
    if (r.status == RowStatus::Inserted)
        r.dropped = true;
    else
        r.status = RowStatus::Deleted;
    visible_.erase(visible_.begin() + row);
    // The cursor stays at the position, now on the following row.
    current_ = visible_.empty() ? -1 : std::min(row, recordCount() - 1);
    notify([row](DataSetListener* l) { l->rowRemoved(row); });
    bof_ = visible_.empty();
    eof_ = visible_.empty();
    const int now = current_;
    notify([now](DataSetListener* l) { l->currentRowChanged(now); });
    return true;
}

}  // namespace db
