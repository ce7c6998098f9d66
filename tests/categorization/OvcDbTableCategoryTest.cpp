// The allocation grid widget and its model on a grid filled by hand:
// frozen and scrolling columns, clicks and Space through the views, the
// glyph, colour and row-indicator roles.

#include "AllocationTestSupport.h"
#include "categorization/AllocationGrid.h"
#include "categorization/AllocationGridModel.h"
#include "categorization/OvcDbTableCategory.h"

#include <gtest/gtest.h>
#include <QBrush>
#include <QHeaderView>
#include <QPixmap>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <set>

using namespace categorization;
using namespace allocation_test;
namespace af = categorization::allocation_field;

namespace {

struct Fixture {
    explicit Fixture(int extraRows = 0) : grid(dataSet, kEventAllocation), model(dataSet) {
        std::vector<GridRow> rows{{100, 0, 10, "System OK", 1, false, {3, 0, 0}},
                                  {105, 5, 11, "Pitch fault", 3, false, {0, 0, 3}},
                                  {107, 7, 12, "Yaw error", 0, true, {0, 0, 0}}};
        for (int i = 0; i < extraRows; ++i)
            rows.push_back({1000 + i, 100 + i, 5000 + i, "More", 0, false, {0, 0, 0}});
        table.setModel(&model);
        dataSet.setRows(gridRows(kEventAllocation, rows));
        for (int field : {af::kKey, af::kAllocationId, af::kCategory, af::kDisabled})
            dataSet.setVisible(dataSet.field(field).name, false);
        grid.setEditable(true);
        grid.prepare(categories(), {}, false);
        grid.setCollapsed(false);
        QObject::connect(&table, &OvcDbTableCategory::cellActivated,
                         [this](int row, int field) { outcomes.push_back(grid.clickCell(row, field)); });
        QObject::connect(&table, &OvcDbTableCategory::rowIndicatorClicked,
                         [this](int row) { toggles.push_back(grid.toggleSwitchOff(row)); });
        table.resize(700, 300);
        table.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&table));
    }

    // The model column of a field.
    int column(int field) const { return model.columnOf(dataSet.field(field).name); }
    QModelIndex index(int row, int field) const { return model.index(row, column(field)); }
    int state(int row, int field) const {
        return index(row, field).data(AllocationGridModel::CellStateRole).toInt();
    }
    qint64 glyphKey(int row, int field) const {
        return index(row, field).data(Qt::DecorationRole).value<QPixmap>().cacheKey();
    }
    void pressCell(int row, int field) {
        QTableView* view = table.cellView();
        const QRect rect = view->visualRect(index(row, field));
        ASSERT_TRUE(rect.isValid());
        QTest::mousePress(view->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, rect.center());
    }

    db::DataSet dataSet;
    AllocationGrid grid;
    AllocationGridModel model;
    OvcDbTableCategory table;
    std::vector<AllocationGrid::ClickOutcome> outcomes;
    std::vector<AllocationGrid::ToggleOutcome> toggles;
};

}  // namespace

TEST(OvcDbTableCategory, FrozenColumnsAndWidths) {
    Fixture f;
    EXPECT_EQ(f.table.objectName(), "OvcDbTableCategory");
    QTableView* fixed = f.table.fixedView();
    QTableView* cells = f.table.cellView();
    ASSERT_EQ(f.model.columnCount(), 5);
    EXPECT_EQ(fixed->model(), cells->model());
    EXPECT_EQ(fixed->selectionModel(), cells->selectionModel());
    for (int c = 0; c < 5; ++c) {
        const bool category = AllocationGrid::isCategoryField(f.model.fieldAt(c));
        EXPECT_EQ(fixed->isColumnHidden(c), category) << c;
        EXPECT_EQ(cells->isColumnHidden(c), !category) << c;
    }
    const QFontMetrics metrics = cells->horizontalHeader()->fontMetrics();
    EXPECT_EQ(fixed->columnWidth(f.column(af::kTitle)), OvcDbTableCategory::kTitleWidth);
    EXPECT_EQ(fixed->columnWidth(f.column(af::kNumber)), metrics.horizontalAdvance("EventCodeNumber") + 8);
    EXPECT_EQ(cells->columnWidth(f.column(kManufacturer)), metrics.horizontalAdvance("Manufacturer") + 8);
    // Every row has the one fixed height on both sides.
    EXPECT_EQ(fixed->verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
    EXPECT_EQ(cells->rowHeight(2), f.table.rowHeight());
    EXPECT_EQ(fixed->rowHeight(2), f.table.rowHeight());

    // A view's filter resets the model: the layout is kept.
    f.grid.setCollapsed(true);
    EXPECT_EQ(f.model.rowCount(), 2);
    EXPECT_TRUE(fixed->isColumnHidden(f.column(kUtility)));
    EXPECT_FALSE(cells->isColumnHidden(f.column(kUtility)));
    EXPECT_EQ(fixed->columnWidth(f.column(af::kTitle)), OvcDbTableCategory::kTitleWidth);
}

TEST(OvcDbTableCategory, ClicksAndSpaceReachTheCells) {
    Fixture f;
    // Four states, four different pictures.
    f.pressCell(1, kUtility);
    ASSERT_EQ(f.outcomes.size(), 1u);
    EXPECT_EQ(f.outcomes[0], AllocationGrid::ClickOutcome::Changed);
    EXPECT_EQ(f.state(1, kUtility), int(AllocationCellState::New));
    EXPECT_EQ(f.state(1, kManufacturer), int(AllocationCellState::Removed));
    EXPECT_EQ(f.state(0, kNormal), int(AllocationCellState::Kept));
    EXPECT_EQ(f.state(1, kNormal), int(AllocationCellState::NotAllocated));
    const std::set<qint64> keys{f.glyphKey(1, kUtility), f.glyphKey(1, kManufacturer), f.glyphKey(0, kNormal),
                                f.glyphKey(1, kNormal)};
    EXPECT_EQ(keys.size(), 4u);
    EXPECT_FALSE(f.index(1, kUtility).data(Qt::DisplayRole).isValid());
    EXPECT_FALSE(f.model.flags(f.index(1, kUtility)) & Qt::ItemIsEditable);
    EXPECT_EQ(f.table.cellView()->currentIndex(), f.index(1, kUtility));

    // Space allocates the current cell.
    f.table.cellView()->setCurrentIndex(f.index(1, kNormal));
    QTest::keyClick(f.table.cellView(), Qt::Key_Space);
    ASSERT_EQ(f.outcomes.size(), 2u);
    EXPECT_EQ(f.state(1, kNormal), int(AllocationCellState::New));
    EXPECT_EQ(f.state(1, kUtility), int(AllocationCellState::NotAllocated));
    EXPECT_EQ(f.dataSet.valueAt(1, af::kCategory).toInt(), 1);

    // A quick second click arrives as a double click and counts as well.
    const QRect rect = f.table.cellView()->visualRect(f.index(1, kNormal));
    QTest::mouseDClick(f.table.cellView()->viewport(), Qt::LeftButton, {}, rect.center());
    EXPECT_GE(f.outcomes.size(), 3u);

    // Clicks on the number and title do not allocate.
    const size_t before = f.outcomes.size();
    QTest::mousePress(f.table.fixedView()->viewport(), Qt::LeftButton, {},
                      f.table.fixedView()->visualRect(f.index(2, af::kTitle)).center());
    EXPECT_EQ(f.outcomes.size(), before);
}

TEST(OvcDbTableCategory, RowIndicatorAndSwitchedOffRows) {
    Fixture f;
    // Row 2 is switched off: red number and title, marked indicator.
    const QVariant red = f.index(2, af::kTitle).data(Qt::ForegroundRole);
    ASSERT_TRUE(red.isValid());
    EXPECT_EQ(red.value<QBrush>().color(), QColor(Qt::red));
    EXPECT_EQ(f.index(2, af::kNumber).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::red));
    EXPECT_FALSE(f.index(1, af::kTitle).data(Qt::ForegroundRole).isValid());
    EXPECT_FALSE(f.model.headerData(2, Qt::Vertical, Qt::DecorationRole).value<QPixmap>().isNull());
    EXPECT_FALSE(f.model.headerData(1, Qt::Vertical, Qt::DecorationRole).isValid());
    EXPECT_FALSE(f.model.headerData(1, Qt::Vertical, Qt::DisplayRole).isValid());

    // A click on the row indicator toggles the row; the header follows.
    QHeaderView* indicator = f.table.fixedView()->verticalHeader();
    QSignalSpy headerChanged(&f.model, &QAbstractItemModel::headerDataChanged);
    const QPoint at(indicator->width() / 2,
                    indicator->sectionViewportPosition(2) + indicator->sectionSize(2) / 2);
    QTest::mouseClick(indicator->viewport(), Qt::LeftButton, {}, at);
    ASSERT_EQ(f.toggles.size(), 1u);
    EXPECT_EQ(f.toggles[0], AllocationGrid::ToggleOutcome::Toggled);
    EXPECT_FALSE(f.grid.isSwitchedOff(2));
    EXPECT_FALSE(f.index(2, af::kTitle).data(Qt::ForegroundRole).isValid());
    EXPECT_FALSE(headerChanged.isEmpty());
}

TEST(OvcDbTableCategory, BothSidesScrollTogether) {
    Fixture f(2000);
    ASSERT_EQ(f.model.rowCount(), 2003);
    QScrollBar* right = f.table.cellView()->verticalScrollBar();
    QScrollBar* left = f.table.fixedView()->verticalScrollBar();
    ASSERT_GT(right->maximum(), 100);
    right->setValue(1500);
    EXPECT_EQ(left->value(), 1500);
    left->setValue(20);
    EXPECT_EQ(right->value(), 20);
    // A click far down still reaches the right row.
    f.table.cellView()->scrollTo(f.index(1800, kUtility));
    f.pressCell(1800, kUtility);
    EXPECT_EQ(f.state(1800, kUtility), int(AllocationCellState::New));
}
