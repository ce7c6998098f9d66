// The allocation grid's rules on grids filled by hand, as tables: the cell
// rule of a click, the normal-operation correction of both variants,
// switching rows off, the maps built after loading, a save taken as the
// stored state, moving a category's rows and the grid written to and taken
// from an allocation file; the model's pictures and the two-sided view's
// input; the save lists of the changed rows and their split into calls.

#include "AllocationTestSupport.h"
#include "categorization/AllocationGrid.h"
#include "categorization/AllocationSaveLists.h"
#include "categorization/OvcDbTableCategory.h"
#include "db/DataSet.h"

#include <gtest/gtest.h>
#include <QBrush>
#include <QScrollBar>
#include <set>
#include <string>

using categorization::AllocationCellState;
using categorization::AllocationFile;
using categorization::AllocationGrid;
using categorization::AllocationGridModel;
using categorization::AllocationVariant;
using categorization::kDeratingAllocation;
using categorization::kEventAllocation;
using categorization::OvcDbTableCategory;
using namespace allocation_test;
namespace af = categorization::allocation_field;

namespace {

using Click = AllocationGrid::ClickOutcome;
using Toggle = AllocationGrid::ToggleOutcome;
using categorization::allocationListText;
using categorization::AllocationSaveCall;
using categorization::buildAllocationSaveCalls;
using categorization::kMaxSaveListLength;
constexpr int N = kNormal, U = kUtility, M = kManufacturer;

// Cell states as letters: '-' not allocated, 'N' new, 'R' removed, 'K' kept.
std::vector<int> states(const std::string& letters) {
    std::vector<int> cells;
    for (char c : letters) cells.push_back(int(std::string("-NRK").find(c)));
    return cells;
}

struct Grid {
    explicit Grid(const AllocationVariant& variant = kEventAllocation) : grid(dataSet, variant) {}

    // Opens the grid as the window does after a load; true when corrected.
    bool load(const std::vector<GridRow>& rows, bool iec = false, db::ResultSet src = {},
              bool editable = true, const QStringList& titles = kTitles) {
        grid.reset();
        grid.setEditable(editable);
        dataSet.setRows(gridRows(grid.variant(), rows, titles));
        return grid.prepare(categories(), std::move(src), iec);
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

// Code 0 allocated correctly, code 5 to Manufacturer, code 7 to nothing,
// code 9 switched off while still allocated.
const std::vector<GridRow> kRows{
    {100, 0, 10, "System OK", 1, false, states("K--")},
    {105, 5, 11, "Pitch fault", 3, false, states("--K")},
    {107, 7, 12, "Yaw error", 0, false, states("---")},
    {109, 9, 14, "Old code", 3, true, states("--K")},
};

// Code 0 (or derating mode 0) with its category and cells.
GridRow zero(int category, const std::string& cells) {
    return {0, 0, 21, "Zero", category, false, states(cells)};
}

// Code 0 in Normal Operation, 5 kept and 6 newly in Manufacturer, 7 taken
// out of Manufacturer, 9 switched off but still in Manufacturer.
const std::vector<GridRow> kMoveRows{
    {100, 0, 10, "System OK", 1, false, states("K--")}, {105, 5, 11, "Pitch fault", 3, false, states("--K")},
    {106, 6, 12, "Yaw fault", 3, false, states("--N")}, {107, 7, 13, "Old", 0, false, states("--R")},
    {109, 9, 14, "Off", 3, true, states("--K")},
};

}  // namespace

TEST(AllocationGrid, ClicksFollowTheCellRule) {
    using enum AllocationGrid::ClickOutcome;
    struct Case {
        const char* what;
        std::vector<std::pair<int, int>> clicks;  // row, field
        int row;                                  // looked at afterwards
        std::string cells;
        qlonglong category;
        Click last;
        bool editable = true;
    };
    const Case cases[] = {
        {"a loaded allocation moves", {{1, U}}, 1, "-NR", 2, Changed},
        {"back to the loaded cell", {{1, U}, {1, M}}, 1, "--K", 3, Changed},
        {"the allocated cell takes it away", {{1, M}}, 1, "--R", 0, Changed},
        {"and gives it back", {{1, M}, {1, M}}, 1, "--K", 3, Changed},
        {"an unallocated row", {{2, U}}, 2, "-N-", 2, Changed},
        {"a new allocation moves", {{2, U}, {2, N}}, 2, "N--", 1, Changed},
        {"and is taken back", {{2, N}, {2, N}}, 2, "---", 0, Changed},
        {"a switched-off row takes none, its category goes", {{3, U}}, 3, "--R", 0, SwitchedOff},
        {"the title", {{2, af::kTitle}}, 2, "---", 0, Ignored},
        {"no such row", {{4, U}}, 2, "---", 0, Ignored},
        {"no row", {{-1, U}}, 2, "---", 0, Ignored},
        {"no such field", {{0, 9}}, 0, "K--", 1, Ignored},
        {"read-only", {{2, U}}, 2, "---", 0, Ignored, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Grid g;
        ASSERT_FALSE(g.load(kRows, false, {}, c.editable));
        Click last = Ignored;
        for (const auto& [row, field] : c.clicks) last = g.grid.clickCell(row, field);
        EXPECT_EQ(last, c.last);
        EXPECT_EQ(g.cells(c.row), c.cells);
        EXPECT_EQ(g.category(c.row), c.category);
        EXPECT_EQ(g.grid.isAllocated(c.row), c.category != 0);
        // A row clicked back to what was loaded holds no change.
        const bool changed = c.cells.find_first_of("NR") != std::string::npos;
        EXPECT_EQ(g.dataSet.rowStatus(c.row), changed ? db::RowStatus::Modified : db::RowStatus::Unchanged);
    }
}

TEST(AllocationGrid, NormalOperationIsCorrectedOnLoading) {
    // Corrected: allocated to category 1 in its column, every other cell off,
    // and not taken as stored (the database does not hold it yet).
    struct Corrected {
        const char* what;
        const AllocationVariant& variant;
        std::vector<GridRow> rows;
        bool iec;
        int row;
    };
    const GridRow stop{200, 3, 20, "Stop", 3, false, states("--K")};
    const GridRow noise{4, 0, 41, "Noise", 0, false, states("---")};
    GridRow second = zero(2, "-K-");  // only the first code 0 counts
    second.allocationId = 22;
    GridRow mode0 = zero(2, "-K-");  // a derating mode 0 is found by its id
    mode0.number = 9;
    const Corrected corrected[] = {
        {"code 0 elsewhere", kEventAllocation, {stop, zero(2, "-K-"), second}, false, 1},
        {"category 1 without its cell", kEventAllocation, {zero(1, "---")}, false, 0},
        {"its cell with another category", kEventAllocation, {zero(3, "K--")}, false, 0},
        {"derating, for IEC too", kDeratingAllocation, {noise, mode0}, true, 1},
    };
    for (const Corrected& c : corrected) {
        SCOPED_TRACE(c.what);
        Grid g(c.variant);
        EXPECT_TRUE(g.load(c.rows, c.iec));
        EXPECT_TRUE(g.grid.hasNormalOperationRow());
        EXPECT_EQ(g.cells(c.row), "N--");
        EXPECT_EQ(g.category(c.row), 1);
        EXPECT_EQ(g.dataSet.changeCount(), 1);
        EXPECT_EQ(g.grid.storedField(21), 0);
    }
    // Left as read.
    struct Kept {
        const char* what;
        const AllocationVariant& variant;
        GridRow row;
        bool iec;
        bool editable;
        bool hasRow;
        QStringList titles = kTitles;
    };
    const QStringList noNormal{"Utility", "Other"};
    const Kept kept[] = {
        {"correct already", kEventAllocation, zero(1, "K--"), false, true, true},
        {"IEC reporting", kEventAllocation, zero(2, "-K-"), true, true, false},
        {"read-only", kEventAllocation, zero(2, "-K-"), false, false, true},
        {"no normal-operation column", kEventAllocation, zero(2, "K-"), false, true, true, noNormal},
        {"derating, its cell set", kDeratingAllocation, zero(5, "K--"), false, true, true},
    };
    for (const Kept& c : kept) {
        SCOPED_TRACE(c.what);
        Grid g(c.variant);
        EXPECT_FALSE(g.load({c.row}, c.iec, {}, c.editable, c.titles));
        EXPECT_EQ(g.grid.hasNormalOperationRow(), c.hasRow);
        EXPECT_FALSE(g.dataSet.hasChanges());
    }
}

TEST(AllocationGrid, SwitchingRowsOffAndTheViews) {
    using enum AllocationGrid::ToggleOutcome;
    struct Case {
        const char* what;
        bool collapsed;
        bool editable;
        int row;
        Toggle outcome;
        bool switchedOff;
    };
    const Case cases[] = {
        {"collapsed view", true, true, 2, Ignored, false},
        {"read-only", false, false, 2, Ignored, false},
        {"allocated", false, true, 1, Refused, false},
        {"unallocated", false, true, 2, Toggled, true},
        {"switched off, allocated: back on", false, true, 3, Toggled, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Grid g;
        g.load(kRows, false, {}, c.editable);
        g.grid.setCollapsed(c.collapsed);
        EXPECT_EQ(g.grid.toggleSwitchOff(c.row), c.outcome);
        EXPECT_EQ(g.grid.isSwitchedOff(c.row), c.switchedOff);
    }
    // A row switched off stays in view until the view is applied.
    Grid g;
    g.load(kRows);
    g.grid.setCollapsed(true);
    EXPECT_EQ(g.dataSet.recordCount(), 3);
    g.grid.setCollapsed(false);
    ASSERT_EQ(g.grid.toggleSwitchOff(2), Toggled);
    EXPECT_EQ(g.dataSet.recordCount(), 4);
    g.grid.setCollapsed(true);
    EXPECT_EQ(g.dataSet.recordCount(), 2);
}

TEST(AllocationGrid, StoredAndColumnMapsAndResponsibleSources) {
    Grid g;
    // Several cells above 1: the last one counts as stored.
    std::vector<GridRow> rows = kRows;
    rows.push_back({108, 8, 13, "Grid loss", 2, false, states("-KR")});
    ASSERT_FALSE(g.load(
        rows, false,
        sources({{12, "Grid operator", 1}, {13, "Owner", 2}, {13, "Grid operator", 1}, {99, "x", 9}})));
    for (const auto& [id, field] : {std::pair{10, N}, std::pair{11, M}, std::pair{12, 0}, std::pair{13, M}})
        EXPECT_EQ(g.grid.storedField(id), field) << id;
    EXPECT_EQ(g.grid.categoryOfField(U), 2);
    EXPECT_EQ(g.grid.categoryOfField(M), 3);

    // Titles name their responsible sources; those rows count as changed.
    EXPECT_EQ(g.dataSet.valueAt(2, af::kTitle).toString(), "Yaw error Grid operator (1)");
    EXPECT_EQ(g.dataSet.valueAt(4, af::kTitle).toString(), "Grid loss Owner (2) Grid operator (1)");
    EXPECT_EQ(g.dataSet.changeCount(), 2);

    // A column without a category of that title maps to none.
    Grid other;
    other.grid.setEditable(true);
    other.dataSet.setRows(gridRows(kEventAllocation, kRows));
    other.grid.prepare(categories({{1, "Normal Operation"}, {3, "Manufacturer"}}), {}, false);
    EXPECT_EQ(other.grid.clickCell(2, U), Click::Changed);
    EXPECT_EQ(other.category(2), 0);

    // The derating grid has no sources: its titles stay as read.
    Grid derating(kDeratingAllocation);
    derating.load({{3, 3, 41, "Noise mode 1", 0, false, states("---")}}, false, sources({{41, "Owner", 2}}));
    EXPECT_FALSE(derating.dataSet.hasChanges());
}

TEST(AllocationGrid, AcceptSavedMakesTheSavedStateTheStoredOne) {
    Grid g;
    g.load(kRows);
    g.grid.clickCell(1, U);  // Manufacturer -> Utility
    g.grid.clickCell(2, N);  // none -> Normal Operation
    g.grid.setCollapsed(true);
    g.grid.acceptSaved();
    EXPECT_FALSE(g.dataSet.hasChanges());
    EXPECT_EQ(g.dataSet.recordCount(), 3);  // the view stays collapsed
    EXPECT_EQ(g.cells(1), "-K-");
    EXPECT_EQ(g.cells(2), "K--");
    // The next clicks work against the saved state.
    g.grid.clickCell(1, M);
    EXPECT_EQ(g.cells(1), "-RN");
}

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
        g.load(kMoveRows, true);
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
    g.load(rows, true, src());
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
           true, src());
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

TEST(AllocationGridModel, PicturesColoursAndTheRowIndicator) {
    Grid g;
    g.load(kRows);
    g.grid.clickCell(1, U);
    AllocationGridModel model(g.dataSet);
    const auto index = [&](int row, int field) {
        return model.index(row, model.columnOf(g.dataSet.field(field).name));
    };
    // Four states, four pictures; no text, no editing in place.
    std::set<qint64> pictures;
    for (const auto& [row, field] : {std::pair{1, U}, std::pair{1, M}, std::pair{0, N}, std::pair{1, N}}) {
        const QModelIndex cell = index(row, field);
        EXPECT_EQ(cell.data(AllocationGridModel::CellStateRole).toInt(), int(g.grid.cellState(row, field)));
        pictures.insert(cell.data(Qt::DecorationRole).value<QPixmap>().cacheKey());
        EXPECT_FALSE(cell.data(Qt::DisplayRole).isValid());
        EXPECT_FALSE(model.flags(cell) & Qt::ItemIsEditable);
    }
    EXPECT_EQ(pictures.size(), 4u);

    // Switched off: red number and title, a marked row indicator without a number.
    for (int row : {0, 3}) {
        SCOPED_TRACE(row);
        for (int field : {af::kNumber, af::kTitle})
            EXPECT_EQ(index(row, field).data(Qt::ForegroundRole).value<QBrush>().color() == Qt::red,
                      row == 3);
        EXPECT_EQ(model.headerData(row, Qt::Vertical, Qt::DecorationRole).isValid(), row == 3);
        EXPECT_FALSE(model.headerData(row, Qt::Vertical, Qt::DisplayRole).isValid());
    }
    // The indicator follows a switch.
    QSignalSpy header(&model, &QAbstractItemModel::headerDataChanged);
    g.grid.setCollapsed(false);
    g.grid.toggleSwitchOff(3);
    EXPECT_FALSE(header.isEmpty());
    EXPECT_FALSE(model.headerData(3, Qt::Vertical, Qt::DecorationRole).isValid());
}

// Presses, Space and the row indicator through the windows are tested there;
// here what the two-sided view adds.
TEST(OvcDbTableCategory, TwoSidesThatScrollTogether) {
    Grid g;
    std::vector<GridRow> rows = kRows;
    for (int i = 0; i < 300; ++i)
        rows.push_back({1000 + i, 100 + i, 5000 + i, "More", 0, false, states("---")});
    g.load(rows);
    AllocationGridModel model(g.dataSet);
    OvcDbTableCategory table;
    table.setModel(&model);
    int clicks = 0;
    QObject::connect(&table, &OvcDbTableCategory::cellActivated, [&](int row, int field) {
        ++clicks;
        g.grid.clickCell(row, field);
    });
    table.resize(700, 300);
    table.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&table));
    const auto center = [&](QTableView* view, int row, int field) {
        const QModelIndex index = model.index(row, model.columnOf(g.dataSet.field(field).name));
        view->scrollTo(index);
        return view->visualRect(index).center();
    };

    // One model and one selection on both sides: category cells on the
    // right only, number and title on the left only, also after a filter.
    EXPECT_EQ(table.fixedView()->selectionModel(), table.cellView()->selectionModel());
    const auto split = [&] {
        for (int c = 0; c < model.columnCount(); ++c) {
            const bool category = AllocationGrid::isCategoryField(model.fieldAt(c));
            EXPECT_EQ(table.fixedView()->isColumnHidden(c), category) << c;
            EXPECT_EQ(table.cellView()->isColumnHidden(c), !category) << c;
        }
    };
    split();
    g.grid.setCollapsed(true);
    split();
    g.grid.setCollapsed(false);
    // A quick second click counts as well; the title does not allocate.
    const QPoint cell = center(table.cellView(), 2, U);
    QTest::mouseClick(table.cellView()->viewport(), Qt::LeftButton, {}, cell);
    QTest::mouseDClick(table.cellView()->viewport(), Qt::LeftButton, {}, cell);
    EXPECT_EQ(clicks, 2);
    const int before = clicks;
    QTest::mouseClick(table.fixedView()->viewport(), Qt::LeftButton, {},
                      center(table.fixedView(), 2, af::kTitle));
    EXPECT_EQ(clicks, before);

    // Both sides scroll together; a press far down reaches its row.
    table.cellView()->verticalScrollBar()->setValue(200);
    EXPECT_EQ(table.fixedView()->verticalScrollBar()->value(), 200);
    table.fixedView()->verticalScrollBar()->setValue(20);
    EXPECT_EQ(table.cellView()->verticalScrollBar()->value(), 20);
    QTest::mouseClick(table.cellView()->viewport(), Qt::LeftButton, {}, center(table.cellView(), 280, U));
    EXPECT_EQ(g.cells(280), "-N-");
}

namespace {

void setRow(db::DataSet& dataSet, int row, const QVariant& category, const QVariant& disabled) {
    ASSERT_TRUE(dataSet.moveTo(row));
    ASSERT_TRUE(dataSet.edit());
    ASSERT_TRUE(dataSet.setValue(af::kCategory, category));
    ASSERT_TRUE(dataSet.setValue(af::kDisabled, disabled));
    ASSERT_TRUE(dataSet.post());
}

QStringList entries(const std::vector<AllocationSaveCall>& calls, QString AllocationSaveCall::*list) {
    QStringList all;
    for (const auto& call : calls) all += (call.*list).split(u',');
    return all;
}

}  // namespace

TEST(AllocationSaveLists, ChangedRowsGiveThreeLists) {
    db::DataSet dataSet;
    dataSet.setRows(gridRows(kEventAllocation, {{1, 1, 16, "a", 2, false, {0, 3, 0}},
                                                {2, 2, 17, "b", QVariant(), false, {0, 0, 0}},
                                                {3, 3, 18, "c", 3, false, {0, 0, 3}},
                                                {4, 4, 19, "d", 0, false, {0, 0, 0}}}));
    // Nothing changed: no call at all.
    EXPECT_TRUE(buildAllocationSaveCalls(dataSet).empty());

    // 17 allocated to category 4; 18 unallocated (null) and switched off.
    setRow(dataSet, 1, 4, false);
    setRow(dataSet, 2, QVariant(), true);
    // Changed and changed back: not sent.
    setRow(dataSet, 3, 5, false);
    setRow(dataSet, 3, 0, false);
    auto calls = buildAllocationSaveCalls(dataSet);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ((QStringList{calls[0].allocationIds, calls[0].categoryIds, calls[0].disabledFlags}),
              (QStringList{"17,18", "4,0", "0,1"}));

    // Rows out of the view are sent too.
    dataSet.setFilter([](const db::RowView& row) { return !row.value(af::kDisabled).toBool(); });
    calls = buildAllocationSaveCalls(dataSet);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].allocationIds, "17,18");

    QStringList texts;
    for (const QVariant& value :
         {QVariant(), QVariant(QString()), QVariant(true), QVariant(false), QVariant(qlonglong(12345))})
        texts << allocationListText(value);
    EXPECT_EQ(texts, (QStringList{"0", "0", "1", "0", "12345"}));
}

TEST(AllocationSaveLists, LargeChangesAreSplitWithinTheLimit) {
    std::vector<GridRow> rows;
    for (int i = 0; i < 5000; ++i) rows.push_back({i, i, 1000000 + i, "code", 0, false, {0, 0, 0}});
    db::DataSet dataSet;
    dataSet.setRows(gridRows(kEventAllocation, rows));
    for (int i = 0; i < 5000; ++i) setRow(dataSet, i, 10 + i % 7, i % 3 == 0);

    const auto calls = buildAllocationSaveCalls(dataSet);
    // 5,000 ids of 7 digits need 40,000 characters: at least five calls.
    ASSERT_GE(calls.size(), 5u);
    for (const auto& call : calls) {
        EXPECT_LE(call.allocationIds.size(), kMaxSaveListLength);
        EXPECT_LE(call.categoryIds.size(), kMaxSaveListLength);
        EXPECT_LE(call.disabledFlags.size(), kMaxSaveListLength);
        // A row's three values travel together.
        EXPECT_EQ(call.allocationIds.count(u','), call.categoryIds.count(u','));
        EXPECT_EQ(call.allocationIds.count(u','), call.disabledFlags.count(u','));
        EXPECT_FALSE(call.allocationIds.endsWith(u','));
    }
    const QStringList ids = entries(calls, &AllocationSaveCall::allocationIds);
    const QStringList categoriesSent = entries(calls, &AllocationSaveCall::categoryIds);
    const QStringList flags = entries(calls, &AllocationSaveCall::disabledFlags);
    ASSERT_EQ(ids.size(), 5000);
    for (int i = 0; i < 5000; ++i) {
        ASSERT_EQ(ids[i], QString::number(1000000 + i));
        ASSERT_EQ(categoriesSent[i], QString::number(10 + i % 7));
        ASSERT_EQ(flags[i], i % 3 == 0 ? "1" : "0");
    }

    // The limit is exact: "17,18,19" is 8 characters.
    db::DataSet small;
    small.setRows(gridRows(kEventAllocation, {{1, 1, 17, "", 0, false, {0, 0, 0}},
                                              {2, 2, 18, "", 0, false, {0, 0, 0}},
                                              {3, 3, 19, "", 0, false, {0, 0, 0}},
                                              {4, 4, 20, "", 0, false, {0, 0, 0}}}));
    for (int i = 0; i < 4; ++i) setRow(small, i, 1, false);
    const auto split = buildAllocationSaveCalls(small, 8);
    ASSERT_EQ(split.size(), 2u);
    EXPECT_EQ((QStringList{split[0].allocationIds, split[1].allocationIds, split[1].categoryIds}),
              (QStringList{"17,18,19", "20", "1"}));
}
