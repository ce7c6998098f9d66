#pragma once
// The allocation grid's rules over its data set, without widgets: the steps
// after loading, the cell rule, a click on a category cell, switching a row
// off and on, the two views, and taking a save as the new stored state.
//
// Rows are positions among the data set's visible rows (as the model shows
// them); fields are the data set's field positions (see allocation_field).

#include "categorization/AllocationFile.h"
#include "categorization/AllocationVariant.h"
#include "db/DataSet.h"

#include <QVariant>
#include <map>
#include <unordered_map>

namespace categorization {

class AllocationGrid {
public:
    enum class ClickOutcome {
        Ignored,      // read-only, no category cell, or no such row
        Changed,      // the row's allocation follows the clicked cell
        SwitchedOff,  // the row is switched off: its allocation was cleared
    };
    enum class ToggleOutcome {
        Ignored,  // collapsed view, or read-only
        Refused,  // an allocated row that is switched on cannot be switched off
        Toggled,
    };

    AllocationGrid(db::DataSet& dataSet, const AllocationVariant& variant);

    const AllocationVariant& variant() const { return variant_; }
    db::DataSet& dataSet() { return dataSet_; }
    const db::DataSet& dataSet() const { return dataSet_; }

    // Forgets the last opening: closes the data set, empties the maps and the
    // result sets, collapsed view, read-only.
    void reset();

    // Clicks and toggles are ignored while the grid is read-only.
    void setEditable(bool editable) { editable_ = editable; }
    bool isEditable() const { return editable_; }

    // The steps after the data set was opened on the load's first result
    // set: the normal-operation correction (only while editable), the stored
    // allocation map, the responsible sources appended to the titles, and
    // the column-to-category map. True when the normal-operation row was
    // corrected, i.e. there is something to save at once.
    bool prepare(db::ResultSet categories, db::ResultSet sources, bool usesIecReporting);

    ClickOutcome clickCell(int row, int field);
    ToggleOutcome toggleSwitchOff(int row);

    // Collapsed: switched-off rows are hidden. Applying a view evaluates the
    // filter once; a row switched off in the expanded view stays until then.
    void setCollapsed(bool collapsed);
    bool isCollapsed() const { return collapsed_; }
    void applyView();

    // After the held changes were written: cells allocated now become the
    // stored allocation (1 -> 3, 2 -> 0), the data set takes its changes as
    // written, and the view is applied again.
    void acceptSaved();

    // Moves every row allocated to `sourceField` (New or Kept) over to
    // `destinationField` by the cell rule; with `keepNormalOperationRow` the
    // row of code 0 stays where it is. Rows outside the view are moved too.
    // Returns the number of rows moved.
    int moveCategory(int sourceField, int destinationField, bool keepNormalOperationRow);

    // The grid as an allocation file: every row whatever the view, under
    // `header` (the variant's empty file) with the loaded categories.
    AllocationFile toFile(AllocationFile header);
    // Applies a file whose categories are resolved: each row takes the first
    // allocation of its key (and, where rows have responsible sources, of
    // its source number), its resolved category and switched-off flag. Rows
    // without one keep their state. Returns the number of rows applied.
    int applyFile(const AllocationFile& file);

    // ResponsibleSourceNumber of the row's first responsible-source row; 0
    // when it has none.
    int sourceNumber(int row) const;

    static bool isCategoryField(int field) { return field >= allocation_field::kFirstCategory; }
    AllocationCellState cellState(int row, int field) const;
    // One of the row's category cells holds New or Kept.
    bool isAllocated(int row) const;
    bool isSwitchedOff(int row) const;
    bool hasNormalOperationRow() const { return normalOperationRow_; }

    // CategoryAllocationId -> category field stored when loaded (0: none).
    int storedField(qlonglong allocationId) const;
    // Category field -> ReportCategoryId of the category titled like it (0: none).
    int categoryOfField(int field) const;
    const std::unordered_map<qlonglong, int>& storedAllocationMap() const { return storedAllocation_; }
    const std::map<int, int>& columnCategoryMap() const { return columnCategory_; }

    // The loaded categories (ReportCategoryId, title) in result order.
    std::vector<std::pair<int, QString>> categoryList() const;

    // The load's second and third result sets, kept for the file export.
    const db::ResultSet& categories() const { return categories_; }
    const db::ResultSet& sources() const { return sources_; }

    static AllocationCellState stateOf(const QVariant& value);

private:
    bool correctNormalOperation(bool usesIecReporting);
    void buildStoredMap();
    void appendResponsibleSources();
    void buildColumnMap();
    void buildSourceNumbers();
    // The cell rule on the current row, which is being edited.
    void setCell(int field, bool on);
    void setCurrentCategoryFromCells();
    int fieldCount() const { return dataSet_.fieldCount(); }

    db::DataSet& dataSet_;
    const AllocationVariant& variant_;
    bool editable_ = false;
    bool collapsed_ = true;
    bool normalOperationRow_ = false;
    std::unordered_map<qlonglong, int> storedAllocation_;
    std::map<int, int> columnCategory_;
    // CategoryAllocationId -> number of its first responsible source.
    std::unordered_map<qlonglong, int> sourceNumbers_;
    db::ResultSet categories_;
    db::ResultSet sources_;
};

}  // namespace categorization
