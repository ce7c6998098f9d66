// The allocation grid's bulk operations on grids filled by hand: moving a
// category's rows to another category, and the grid written to and taken
// from an allocation file.

#include "AllocationTestSupport.h"
#include "categorization/AllocationGrid.h"

#include <gtest/gtest.h>
#include <string>

using categorization::AllocationFile;
using categorization::AllocationGrid;
using categorization::kEventAllocation;
using namespace allocation_test;
namespace af = categorization::allocation_field;

namespace {

constexpr int N = kNormal, U = kUtility, M = kManufacturer;

std::vector<int> states(const std::string& letters) {
    std::vector<int> cells;
    for (char c : letters) cells.push_back(int(std::string("-NRK").find(c)));
    return cells;
}

struct Grid {
    Grid() : grid(dataSet, kEventAllocation) {}
    void load(const std::vector<GridRow>& rows, db::ResultSet src = {}) {
        grid.reset();
        grid.setEditable(true);
        dataSet.setRows(gridRows(kEventAllocation, rows));
        grid.prepare(categories(), std::move(src), true);
    }
    std::string cells(int row) const {
        std::string letters;
        for (int field : {N, U, M}) letters += "-NRK"[int(grid.cellState(row, field))];
        return letters;
    }
    qlonglong category(int row) const { return dataSet.valueAt(row, af::kCategory).toLongLong(); }

    db::DataSet dataSet;
    AllocationGrid grid;
};

// Code 0 in Normal Operation, 5 kept and 6 newly in Manufacturer, 7 taken
// out of Manufacturer, 9 switched off but still in Manufacturer.
const std::vector<GridRow> kRows{
    {100, 0, 10, "System OK", 1, false, states("K--")}, {105, 5, 11, "Pitch fault", 3, false, states("--K")},
    {106, 6, 12, "Yaw fault", 3, false, states("--N")}, {107, 7, 13, "Old", 0, false, states("--R")},
    {109, 9, 14, "Off", 3, true, states("--K")},
};

}  // namespace

TEST(AllocationGrid, AMoveTakesOnlyTheRowsAllocatedToTheSource) {
    struct Case {
        const char* what;
        int from, to;
        bool keepCodeZero;
        std::vector<std::string> cells;
        int moved;
    };
    const Case cases[] = {
        {"kept and new rows move, removed ones stay", M, U, true, {"K--", "-NR", "-N-", "--R", "-NR"}, 3},
        {"code 0 stays without IEC reporting", N, U, true, {"K--", "--K", "--N", "--R", "--K"}, 0},
        {"code 0 moves with IEC reporting", N, M, false, {"R-N", "--K", "--N", "--R", "--K"}, 1},
        {"an empty source moves nothing", U, N, false, {"K--", "--K", "--N", "--R", "--K"}, 0},
    };
    const qlonglong categoryOf[] = {0, 0, 0, 0, 0, 0, 1, 2, 3};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Grid g;
        g.load(kRows);
        g.grid.setCollapsed(true);
        EXPECT_EQ(g.grid.moveCategory(c.from, c.to, c.keepCodeZero), c.moved);
        // The switched-off row moved too, and the view is the collapsed one again.
        EXPECT_EQ(g.dataSet.recordCount(), 4);
        g.dataSet.clearFilter();
        for (int r = 0; r < 5; ++r) {
            EXPECT_EQ(g.cells(r), c.cells[size_t(r)]) << r;
            const size_t on = c.cells[size_t(r)].find('N');
            if (on != std::string::npos) {
                EXPECT_EQ(g.category(r), categoryOf[N + int(on)]) << r;
            }
        }
    }
}

TEST(AllocationGrid, AFileCarriesTheAllocationByKeyAndResponsibleSource) {
    // Code 5 twice, with responsible sources 1 and 2.
    const std::vector<GridRow> rows{
        {100, 0, 10, "System OK", 1, false, states("K--")},
        {105, 5, 11, "Pitch", 3, false, states("--K")},
        {105, 5, 15, "Pitch", 2, false, states("-K-")},
        {107, 7, 13, "Yaw", 0, true, states("---")},
    };
    const auto src = [] { return sources({{11, "Grid", 1}, {15, "Owner", 2}, {11, "Later", 4}}); };
    Grid g;
    g.load(rows, src());
    AllocationFile file = g.grid.toFile(categorization::eventAllocationFile(QStringLiteral("L")));
    EXPECT_EQ(file.categories.size(), 3u);
    const std::vector<categorization::AllocationFileLine> written{
        {100, 1, 0, 0}, {105, 3, 0, 1}, {105, 2, 0, 2}, {107, 0, 1, 0}};
    EXPECT_EQ(file.allocations, written);

    // Another profile numbers its categories differently; the file's lines
    // for code 5 come in the other order, code 8 has none.
    file.categories = {{70, "Utility", 2}, {80, "Manufacturer", 3}, {90, "Unknown", 0}};
    file.allocations = {{105, 70, 0, 2}, {105, 80, 0, 1}, {107, 80, 0, 5},
                        {105, 90, 1, 1}, {100, 90, 1, 0}, {999, 70, 0, 0}};
    Grid h;
    h.load({rows[0],
            {105, 5, 11, "Pitch", 0, false, states("---")},
            {105, 5, 15, "Pitch", 0, true, states("---")},
            {107, 7, 13, "Yaw", 0, true, states("--K")},
            {108, 8, 16, "Temp", 2, false, states("-K-")}},
           src());
    EXPECT_EQ(h.grid.applyFile(file), 4);
    h.dataSet.clearFilter();
    const std::vector<std::string> cells{"R--", "--N", "-N-", "--K", "-K-"};
    const std::vector<qlonglong> categoriesNow{0, 3, 2, 3, 2};
    for (int r = 0; r < 5; ++r) {
        SCOPED_TRACE(r);
        EXPECT_EQ(h.cells(r), cells[size_t(r)]);
        EXPECT_EQ(h.category(r), categoriesNow[size_t(r)]);
        EXPECT_EQ(h.grid.isSwitchedOff(r), r == 0);
    }
}
