#include "categorization/AllocationGridModel.h"

#include "categorization/AllocationGrid.h"
#include "db/Parameters.h"

#include <QBrush>

namespace categorization {

namespace af = allocation_field;

AllocationGridModel::AllocationGridModel(db::DataSet& dataSet, QObject* parent)
    : ui::DataSetModel(dataSet, parent) {
    // The row indicator shows the switched-off mark: it follows the row's values.
    connect(this, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& first, const QModelIndex& last) {
                if (first.isValid() && last.isValid())
                    Q_EMIT headerDataChanged(Qt::Vertical, first.row(), last.row());
            });
}

bool AllocationGridModel::switchedOff(int row) const {
    return dataSet() && db::truthOf(dataSet()->valueAt(row, af::kDisabled));
}

QVariant AllocationGridModel::data(const QModelIndex& index, int role) const {
    const int field = fieldAt(index.column());
    if (!dataSet() || field < 0 || index.row() < 0 || index.row() >= rowCount()) return {};
    if (AllocationGrid::isCategoryField(field)) {
        switch (role) {
            case Qt::DisplayRole: return {};
            case Qt::DecorationRole:
                return glyphs_.cell(AllocationGrid::stateOf(dataSet()->valueAt(index.row(), field)));
            case CellStateRole: return int(AllocationGrid::stateOf(dataSet()->valueAt(index.row(), field)));
            case Qt::TextAlignmentRole: return int(Qt::AlignCenter);
            default: return ui::DataSetModel::data(index, role);
        }
    }
    switch (role) {
        case Qt::ForegroundRole:
            if (switchedOff(index.row())) return QBrush(Qt::red);
            return {};
        case Qt::TextAlignmentRole:
            if (field == af::kNumber) return int(Qt::AlignRight | Qt::AlignVCenter);
            return int(Qt::AlignLeft | Qt::AlignVCenter);
        default: return ui::DataSetModel::data(index, role);
    }
}

QVariant AllocationGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Vertical) {
        // The row indicator carries no number, only the switched-off mark.
        if (role == Qt::DecorationRole && section >= 0 && section < rowCount() && switchedOff(section))
            return glyphs_.switchedOff();
        if (role == Qt::DisplayRole || role == Qt::DecorationRole) return {};
    }
    return ui::DataSetModel::headerData(section, orientation, role);
}

Qt::ItemFlags AllocationGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid() || fieldAt(index.column()) < 0) return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled;
}

}  // namespace categorization
