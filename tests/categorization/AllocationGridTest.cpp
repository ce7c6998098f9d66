// The allocation grid's rules on grids filled by hand: cells, clicks, the
// normal-operation correction of both variants, the maps built after
// loading, switching rows off and the views.

#include "AllocationTestSupport.h"
#include "categorization/AllocationGrid.h"

#include <gtest/gtest.h>

using categorization::AllocationCellState;
using categorization::AllocationGrid;
using categorization::AllocationVariant;
using categorization::kDeratingAllocation;
using categorization::kEventAllocation;
using namespace allocation_test;
namespace af = categorization::allocation_field;

namespace {

using Click = AllocationGrid::ClickOutcome;
using Toggle = AllocationGrid::ToggleOutcome;

struct Grid {
    explicit Grid(const AllocationVariant& variant = kEventAllocation) : grid(dataSet, variant) {}

    // Opens the grid as the window does after a load; true when corrected.
    bool load(const std::vector<GridRow>& rows, bool iec = false, db::ResultSet src = {},
              bool editable = true) {
        grid.reset();
        grid.setEditable(editable);
        dataSet.setRows(gridRows(grid.variant(), rows));
        return grid.prepare(categories(), std::move(src), iec);
    }
    int cell(int row, int field) const { return int(grid.cellState(row, field)); }
    std::vector<int> cells(int row) const {
        return {cell(row, kNormal), cell(row, kUtility), cell(row, kManufacturer)};
    }
    qlonglong category(int row) const { return dataSet.valueAt(row, af::kCategory).toLongLong(); }
    db::RowStatus status(int row) const { return dataSet.rowStatus(row); }

    db::DataSet dataSet;
    AllocationGrid grid;
};

// Code 0 allocated correctly, code 5 to Manufacturer, code 7 to nothing.
const std::vector<GridRow> kRows{
    {100, 0, 10, "System OK", 1, false, {3, 0, 0}},
    {105, 5, 11, "Pitch fault", 3, false, {0, 0, 3}},
    {107, 7, 12, "Yaw error", 0, false, {0, 0, 0}},
};

}  // namespace

TEST(AllocationGrid, ClickSequencesFollowTheCellRule) {
    Grid g;
    ASSERT_FALSE(g.load(kRows));
    EXPECT_TRUE(g.grid.hasNormalOperationRow());

    // Moving a loaded allocation: the loaded cell shows Removed, the new one New.
    EXPECT_EQ(g.grid.clickCell(1, kUtility), Click::Changed);
    EXPECT_EQ(g.cells(1), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(g.category(1), 2);
    EXPECT_EQ(g.status(1), db::RowStatus::Modified);

    // Back to the loaded category: Kept (3), not New, and the row is as read.
    EXPECT_EQ(g.grid.clickCell(1, kManufacturer), Click::Changed);
    EXPECT_EQ(g.cells(1), (std::vector<int>{0, 0, 3}));
    EXPECT_EQ(g.category(1), 3);
    EXPECT_EQ(g.status(1), db::RowStatus::Unchanged);

    // Clicking the allocated cell takes the allocation away.
    EXPECT_EQ(g.grid.clickCell(1, kManufacturer), Click::Changed);
    EXPECT_EQ(g.cells(1), (std::vector<int>{0, 0, 2}));
    EXPECT_EQ(g.category(1), 0);
    EXPECT_FALSE(g.grid.isAllocated(1));
    EXPECT_EQ(g.grid.clickCell(1, kManufacturer), Click::Changed);
    EXPECT_EQ(g.cells(1), (std::vector<int>{0, 0, 3}));

    // A row without a loaded allocation toggles New / not allocated.
    EXPECT_EQ(g.grid.clickCell(2, kUtility), Click::Changed);
    EXPECT_EQ(g.cells(2), (std::vector<int>{0, 1, 0}));
    EXPECT_EQ(g.category(2), 2);
    EXPECT_TRUE(g.grid.isAllocated(2));
    EXPECT_EQ(g.grid.clickCell(2, kNormal), Click::Changed);
    EXPECT_EQ(g.cells(2), (std::vector<int>{1, 0, 0}));
    EXPECT_EQ(g.category(2), 1);
    EXPECT_EQ(g.grid.clickCell(2, kNormal), Click::Changed);
    EXPECT_EQ(g.cells(2), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(g.category(2), 0);
    EXPECT_EQ(g.status(2), db::RowStatus::Unchanged);

    // Only category cells of existing rows react.
    EXPECT_EQ(g.grid.clickCell(2, af::kTitle), Click::Ignored);
    EXPECT_EQ(g.grid.clickCell(3, kUtility), Click::Ignored);
    EXPECT_EQ(g.grid.clickCell(-1, kUtility), Click::Ignored);
    EXPECT_EQ(g.grid.clickCell(0, 9), Click::Ignored);

    // A read-only grid changes nothing.
    g.grid.setEditable(false);
    EXPECT_EQ(g.grid.clickCell(2, kUtility), Click::Ignored);
    EXPECT_EQ(g.cells(2), (std::vector<int>{0, 0, 0}));
}

TEST(AllocationGrid, StoredAndColumnMapsAndResponsibleSources) {
    Grid g;
    // Several cells above 1: the last one counts as stored.
    std::vector<GridRow> rows = kRows;
    rows.push_back({108, 8, 13, "Grid loss", 2, false, {0, 3, 2}});
    ASSERT_FALSE(g.load(
        rows, false,
        sources({{12, "Grid operator", 1}, {13, "Owner", 2}, {13, "Grid operator", 1}, {99, "x", 9}})));
    EXPECT_EQ(g.grid.storedField(10), kNormal);
    EXPECT_EQ(g.grid.storedField(11), kManufacturer);
    EXPECT_EQ(g.grid.storedField(12), 0);
    EXPECT_EQ(g.grid.storedField(13), kManufacturer);
    EXPECT_EQ(g.grid.storedAllocationMap().size(), 4u);

    EXPECT_EQ(g.grid.categoryOfField(kNormal), 1);
    EXPECT_EQ(g.grid.categoryOfField(kUtility), 2);
    EXPECT_EQ(g.grid.categoryOfField(kManufacturer), 3);

    // Titles name their responsible sources; the rows count as changed.
    EXPECT_EQ(g.dataSet.valueAt(2, af::kTitle).toString(), "Yaw error Grid operator (1)");
    EXPECT_EQ(g.dataSet.valueAt(3, af::kTitle).toString(), "Grid loss Owner (2) Grid operator (1)");
    EXPECT_EQ(g.status(2), db::RowStatus::Modified);
    EXPECT_EQ(g.status(1), db::RowStatus::Unchanged);
    EXPECT_EQ(g.dataSet.valueAt(1, af::kTitle).toString(), "Pitch fault");

    // A column without a category of that title maps to none.
    Grid other;
    other.grid.setEditable(true);
    other.dataSet.setRows(gridRows(kEventAllocation, kRows));
    other.grid.prepare(categories({{1, "Normal Operation"}, {3, "Manufacturer"}}), {}, false);
    EXPECT_EQ(other.grid.categoryOfField(kUtility), 0);
    EXPECT_EQ(other.grid.clickCell(2, kUtility), Click::Changed);
    EXPECT_EQ(other.category(2), 0);

    // The derating grid has no sources: its titles stay as read.
    Grid derating(kDeratingAllocation);
    derating.load({{0, 0, 40, "Normal operation", 1, false, {3, 0, 0}},
                   {3, 3, 41, "Noise mode 1", 0, false, {0, 0, 0}}},
                  false, sources({{41, "Owner", 2}}));
    EXPECT_EQ(derating.dataSet.valueAt(1, af::kTitle).toString(), "Noise mode 1");
    EXPECT_FALSE(derating.dataSet.hasChanges());
}

TEST(AllocationGrid, EventNormalOperationCorrection) {
    // Code 0 allocated elsewhere: corrected to category 1, every other cell off.
    {
        Grid g;
        ASSERT_TRUE(g.load({{200, 3, 20, "Stop", 3, false, {0, 0, 3}},
                            {201, 0, 21, "System OK", 2, false, {0, 3, 0}},
                            {202, 0, 22, "Second zero", 2, false, {0, 3, 0}}}));
        EXPECT_TRUE(g.grid.hasNormalOperationRow());
        EXPECT_EQ(g.cells(1), (std::vector<int>{1, 0, 0}));
        EXPECT_EQ(g.category(1), 1);
        EXPECT_EQ(g.status(1), db::RowStatus::Modified);
        // Only the first code 0 is the normal-operation row.
        EXPECT_EQ(g.cells(2), (std::vector<int>{0, 3, 0}));
        // Taken after the correction, the stored map holds nothing for the row.
        EXPECT_EQ(g.grid.storedField(21), 0);
    }
    // Category 1 but the cell not set, and category 1 with a cell set elsewhere.
    {
        Grid g;
        EXPECT_TRUE(g.load({{201, 0, 21, "System OK", 1, false, {0, 0, 0}}}));
        EXPECT_EQ(g.cells(0), (std::vector<int>{1, 0, 0}));
        EXPECT_TRUE(g.load({{201, 0, 21, "System OK", 3, false, {3, 0, 0}}}));
        EXPECT_EQ(g.category(0), 1);
    }
    // Correct already: nothing to save.
    {
        Grid g;
        EXPECT_FALSE(g.load(kRows));
        EXPECT_FALSE(g.dataSet.hasChanges());
    }
    // IEC reporting profiles keep code 0 as it is, and have no such row.
    {
        Grid g;
        EXPECT_FALSE(g.load({{201, 0, 21, "System OK", 2, false, {0, 3, 0}}}, true));
        EXPECT_FALSE(g.grid.hasNormalOperationRow());
        EXPECT_EQ(g.cells(0), (std::vector<int>{0, 3, 0}));
    }
    // A read-only grid is shown as read: a locked profile is not changed.
    {
        Grid g;
        EXPECT_FALSE(g.load({{201, 0, 21, "System OK", 2, false, {0, 3, 0}}}, false, {}, false));
        EXPECT_TRUE(g.grid.hasNormalOperationRow());
        EXPECT_FALSE(g.dataSet.hasChanges());
    }
    // A set without the normal-operation column has no cell to correct.
    {
        Grid g;
        g.grid.setEditable(true);
        g.dataSet.setRows(gridRows(kEventAllocation, {{201, 0, 21, "System OK", 2, false, {3, 0}}},
                                   {"Utility", "Manufacturer"}));
        EXPECT_FALSE(g.grid.prepare(categories(), {}, false));
        EXPECT_FALSE(g.dataSet.hasChanges());
    }
}

TEST(AllocationGrid, DeratingNormalOperationCorrection) {
    // Mode 0 is found by its id, whatever its number, and corrected even for
    // IEC reporting profiles.
    Grid g(kDeratingAllocation);
    ASSERT_TRUE(g.load(
        {{4, 0, 41, "Noise mode", 0, false, {0, 0, 0}}, {0, 9, 40, "Normal operation", 2, false, {0, 3, 0}}},
        true));
    EXPECT_TRUE(g.grid.hasNormalOperationRow());
    EXPECT_EQ(g.cells(1), (std::vector<int>{1, 0, 0}));
    EXPECT_EQ(g.category(1), 1);
    EXPECT_EQ(g.cells(0), (std::vector<int>{0, 0, 0}));

    // "Normal Operation" set: left alone even with another category id.
    EXPECT_FALSE(g.load({{0, 0, 40, "Normal operation", 5, false, {3, 0, 0}}}));
    EXPECT_EQ(g.category(0), 5);
    EXPECT_FALSE(g.dataSet.hasChanges());
}

TEST(AllocationGrid, SwitchingOffAndViews) {
    Grid g;
    std::vector<GridRow> rows = kRows;
    // Switched off in the database while still allocated.
    rows.push_back({109, 9, 14, "Old code", 3, true, {0, 0, 3}});
    g.load(rows);
    g.grid.setCollapsed(true);
    // The collapsed view hides switched-off rows and refuses the toggle.
    ASSERT_EQ(g.dataSet.recordCount(), 3);
    EXPECT_EQ(g.grid.toggleSwitchOff(2), Toggle::Ignored);
    EXPECT_FALSE(g.grid.isSwitchedOff(2));

    g.grid.setCollapsed(false);
    ASSERT_EQ(g.dataSet.recordCount(), 4);
    // An allocated code cannot be switched off.
    EXPECT_EQ(g.grid.toggleSwitchOff(1), Toggle::Refused);
    EXPECT_FALSE(g.grid.isSwitchedOff(1));
    // An unallocated one can, and stays in view until the view is applied.
    EXPECT_EQ(g.grid.toggleSwitchOff(2), Toggle::Toggled);
    EXPECT_TRUE(g.grid.isSwitchedOff(2));
    EXPECT_EQ(g.dataSet.recordCount(), 4);

    // Allocating a switched-off code clears its allocation, category included.
    EXPECT_EQ(g.grid.clickCell(3, kUtility), Click::SwitchedOff);
    EXPECT_EQ(g.cells(3), (std::vector<int>{0, 0, 2}));
    EXPECT_EQ(g.category(3), 0);
    EXPECT_EQ(g.grid.clickCell(2, kUtility), Click::SwitchedOff);
    EXPECT_EQ(g.cells(2), (std::vector<int>{0, 0, 0}));
    // A switched-off row may be switched on, allocated or not.
    EXPECT_EQ(g.grid.toggleSwitchOff(3), Toggle::Toggled);
    EXPECT_FALSE(g.grid.isSwitchedOff(3));

    g.grid.setCollapsed(true);
    EXPECT_EQ(g.dataSet.recordCount(), 3);
    EXPECT_EQ(g.dataSet.valueAt(2, af::kNumber).toInt(), 9);

    // Read-only: no toggles in either view.
    g.grid.setCollapsed(false);
    g.grid.setEditable(false);
    EXPECT_EQ(g.grid.toggleSwitchOff(0), Toggle::Ignored);
}

TEST(AllocationGrid, AcceptSavedMakesTheSavedStateTheStoredOne) {
    Grid g;
    g.load(kRows);
    g.grid.setCollapsed(false);
    g.grid.clickCell(1, kUtility);  // 11: Manufacturer -> Utility
    g.grid.clickCell(2, kNormal);   // 12: none -> Normal Operation
    g.grid.setCollapsed(true);
    g.grid.acceptSaved();
    EXPECT_FALSE(g.dataSet.hasChanges());
    EXPECT_TRUE(g.grid.isCollapsed());
    EXPECT_EQ(g.cells(1), (std::vector<int>{0, 3, 0}));
    EXPECT_EQ(g.cells(2), (std::vector<int>{3, 0, 0}));
    EXPECT_EQ(g.grid.storedField(11), kUtility);
    EXPECT_EQ(g.grid.storedField(12), kNormal);
    // The next click works against the saved state.
    g.grid.clickCell(1, kUtility);
    EXPECT_EQ(g.cells(1), (std::vector<int>{0, 2, 0}));
    g.grid.clickCell(1, kManufacturer);
    EXPECT_EQ(g.cells(1), (std::vector<int>{0, 2, 1}));
}
