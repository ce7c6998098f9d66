#pragma once
// The allocation grid's table model: the number and title of each row
// (red when the row is switched off), then one glyph cell per category. The
// vertical header is the row indicator, marked for switched-off rows. Cells
// are never edited in place: clicks go through AllocationGrid.

#include "categorization/AllocationGlyphs.h"
#include "ui/DataSetModel.h"

namespace categorization {

class AllocationGridModel : public ui::DataSetModel {
    Q_OBJECT

public:
    // The cell's AllocationCellState as an int (category cells only).
    static constexpr int CellStateRole = Qt::UserRole + 2;

    explicit AllocationGridModel(db::DataSet& dataSet, QObject* parent = nullptr);

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    const AllocationGlyphs& glyphs() const { return glyphs_; }

private:
    bool switchedOff(int row) const;

    AllocationGlyphs glyphs_;
};

}  // namespace categorization
