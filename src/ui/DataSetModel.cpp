#include "ui/DataSetModel.h"

namespace ui {

DataSetModel::DataSetModel(db::DataSet& dataSet, QObject* parent)
    : QAbstractTableModel(parent), dataSet_(&dataSet) {
    mapColumns();
    dataSet_->addListener(this);
}

DataSetModel::~DataSetModel() {
    if (dataSet_) dataSet_->removeListener(this);
}

void DataSetModel::mapColumns() {
    columns_.clear();
    if (!dataSet_) return;
    if (!columnOrder_.isEmpty()) {
        for (const auto& name : columnOrder_) {
            const int f = dataSet_->fieldIndex(name);
            if (f >= 0 && dataSet_->field(f).visible) columns_.push_back(f);
        }
        return;
    }
    for (int f = 0; f < dataSet_->fieldCount(); ++f)
        if (dataSet_->field(f).visible) columns_.push_back(f);
}

void DataSetModel::setColumnOrder(const QStringList& fieldNames) {
    beginResetModel();
    columnOrder_ = fieldNames;
    mapColumns();
    endResetModel();
}

int DataSetModel::fieldAt(int column) const {
    return column >= 0 && column < int(columns_.size()) ? columns_[size_t(column)] : -1;
}

int DataSetModel::columnOf(const QString& fieldName) const {
    if (!dataSet_) return -1;
    const int field = dataSet_->fieldIndex(fieldName);
    const auto it = std::find(columns_.begin(), columns_.end(), field);
    return field < 0 || it == columns_.end() ? -1 : int(it - columns_.begin());
}

int DataSetModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !dataSet_ || resetting_) return 0;
    return dataSet_->recordCount();
}

int DataSetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columns_.size());
}

bool DataSetModel::editable(int field) const {
    if (!dataSet_ || field < 0) return false;
    const db::Field& f = dataSet_->field(field);
    return !f.readOnly && !f.calculated;
}

QVariant DataSetModel::data(const QModelIndex& index, int role) const {
    const int field = fieldAt(index.column());
    if (!dataSet_ || field < 0 || index.row() < 0 || index.row() >= rowCount()) return {};
    const bool isBoolean = dataSet_->field(field).type == db::FieldType::Boolean;
    switch (role) {
        case Qt::DisplayRole:
            // Booleans show as check boxes only.
            if (isBoolean) return {};
            return dataSet_->valueAt(index.row(), field);
        case Qt::EditRole: return dataSet_->valueAt(index.row(), field);
        case Qt::CheckStateRole:
            if (!isBoolean) return {};
            return dataSet_->valueAt(index.row(), field).toBool() ? Qt::Checked : Qt::Unchecked;
        case RowStatusRole: return int(dataSet_->rowStatus(index.row()));
        default: return {};
    }
}

QVariant DataSetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
        const int field = fieldAt(section);
        return field < 0 ? QVariant() : QVariant(dataSet_->field(field).displayLabel);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags DataSetModel::flags(const QModelIndex& index) const {
    const int field = fieldAt(index.column());
    if (!index.isValid() || field < 0) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (editable(field)) {
        if (dataSet_->field(field).type == db::FieldType::Boolean)
            flags |= Qt::ItemIsUserCheckable;
        else
            flags |= Qt::ItemIsEditable;
    }
    return flags;
}

bool DataSetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    const int field = fieldAt(index.column());
    if (!dataSet_ || field < 0 || !editable(field) || index.row() >= rowCount()) return false;
    QVariant newValue = value;
    if (role == Qt::CheckStateRole) {
        if (dataSet_->field(field).type != db::FieldType::Boolean) return false;
        newValue = value.toInt() == Qt::Checked;
    } else if (role != Qt::EditRole) {
        return false;
    }
    db::DataSet& ds = *dataSet_;
    if (!ds.moveTo(index.row()) || !ds.edit()) {
        Q_EMIT editFailed(ds.lastError());
        return false;
    }
    if (!ds.setValue(field, newValue)) {
        const QString message = ds.lastError();
        ds.cancel();
        Q_EMIT editFailed(message);
        return false;
    }
    return ds.post();
}

void DataSetModel::dataSetAboutToBeReset() {
    beginResetModel();
    resetting_ = true;
}

void DataSetModel::dataSetReset() {
    resetting_ = false;
    mapColumns();
    endResetModel();
}

void DataSetModel::rowAboutToBeInserted(int row) { beginInsertRows(QModelIndex(), row, row); }

void DataSetModel::rowInserted(int) { endInsertRows(); }

void DataSetModel::rowAboutToBeRemoved(int row) { beginRemoveRows(QModelIndex(), row, row); }

void DataSetModel::rowRemoved(int) { endRemoveRows(); }

void DataSetModel::rowsChanged(int first, int last) {
    if (columns_.empty()) return;
    Q_EMIT dataChanged(index(first, 0), index(last, int(columns_.size()) - 1));
}

void DataSetModel::currentRowChanged(int row) { Q_EMIT currentRowMoved(row); }

void DataSetModel::dataSetDestroyed() {
    beginResetModel();
    dataSet_ = nullptr;
    columns_.clear();
    endResetModel();
}

}  // namespace ui
