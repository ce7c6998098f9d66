// The in-memory data set: navigation, editing and row status, held changes,
// filter, locate and field settings. How it tells its listeners is checked
// through the grid model (tests/ui) with the item-model tester.

#include "db/DataSet.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using db::DataSet;
using db::DataSetState;
using db::FieldType;
using db::RowStatus;
using ::testing::ElementsAre;

// UnitId i, Title "WTG i", Power 1000 * i, Active i % 2 (a number, read as a boolean).
db::ResultSet units(int count = 4) {
    db::ResultSet rs;
    rs.columns = {{"UnitId", FieldType::Integer, 0},
                  {"Title", FieldType::String, 50},
                  {"Power", FieldType::Float, 0},
                  {"Active", FieldType::Boolean, 0}};
    for (int i = 1; i <= count; ++i)
        rs.rows.push_back({qlonglong(i), QStringLiteral("WTG %1").arg(i), 1000.0 * i, qlonglong(i % 2)});
    return rs;
}

std::vector<int> ids(const DataSet& ds) {
    std::vector<int> out;
    for (int row = 0; row < ds.recordCount(); ++row) out.push_back(ds.valueAt(row, 0).toInt());
    return out;
}

TEST(DataSet, NavigationAndReopening) {
    DataSet ds;
    EXPECT_TRUE(ds.eof());
    ds.setRows(units());
    ASSERT_EQ(ds.state(), DataSetState::Browse);
    EXPECT_EQ(ds.fieldIndex(QStringLiteral("title")), 1);
    EXPECT_EQ(ds.valueAt(0, 3), QVariant(true));
    EXPECT_EQ(ds.valueAt(1, 3), QVariant(false));

    std::vector<int> seen;
    for (ds.first(); !ds.eof(); ds.next()) seen.push_back(ds.value(QStringLiteral("UnitId")).toInt());
    EXPECT_THAT(seen, ElementsAre(1, 2, 3, 4));
    EXPECT_EQ(ds.recNo(), 4);
    ds.first();
    ds.prior();
    EXPECT_TRUE(ds.bof() && ds.recNo() == 1);
    ds.next();
    EXPECT_FALSE(ds.bof());
    ds.last();
    EXPECT_TRUE(ds.eof());
    ds.prior();
    EXPECT_FALSE(ds.eof() || ds.value(0).toInt() != 3 || ds.moveTo(4));

    DataSet empty;
    empty.setRows(units(0));
    EXPECT_TRUE(empty.isOpen() && empty.eof() && empty.bof() && empty.recNo() == 0);
    EXPECT_FALSE(empty.edit() || empty.deleteRow());

    // Reopening or closing drops a pending edit with the rows it belonged to.
    ds.edit();
    ds.setValue(1, QStringLiteral("pending"));
    ds.setRows(units());
    EXPECT_EQ(ds.state(), DataSetState::Browse);
    EXPECT_FALSE(ds.valueAt(0, 1) != QStringLiteral("WTG 1") || ds.hasChanges());
    ds.append();
    ds.close();
    EXPECT_EQ(ds.state(), DataSetState::Inactive);
    EXPECT_FALSE(ds.recordCount() + ds.fieldCount() != 0 || ds.append() || ds.edit() || ds.post());
}

TEST(DataSet, EditPostCancelAndRowStatus) {
    DataSet ds;
    ds.setRows(units());
    EXPECT_FALSE(ds.setValue(QStringLiteral("Title"), QStringLiteral("x"))) << "set outside edit";
    ds.moveTo(1);
    ASSERT_TRUE(ds.edit());
    ASSERT_TRUE(ds.setValue(QStringLiteral("Title"), QStringLiteral("Renamed")));
    ds.cancel();
    EXPECT_EQ(ds.value(QStringLiteral("Title")).toString(), QStringLiteral("WTG 2"));
    EXPECT_FALSE(ds.hasChanges());

    ds.edit();
    ds.setValue(QStringLiteral("Title"), QStringLiteral("Renamed"));
    ASSERT_TRUE(ds.post());
    EXPECT_EQ(ds.currentRowStatus(), RowStatus::Modified);
    EXPECT_EQ(ds.originalValue(1).toString(), QStringLiteral("WTG 2"));
    // A second edit that is cancelled keeps the first one.
    ds.edit();
    ds.setValue(QStringLiteral("Power"), 5.0);
    ds.cancel();
    EXPECT_EQ(ds.value(QStringLiteral("Title")).toString(), QStringLiteral("Renamed"));
    EXPECT_DOUBLE_EQ(ds.value(QStringLiteral("Power")).toDouble(), 2000.0);
    EXPECT_EQ(ds.currentRowStatus(), RowStatus::Modified);
    // Back to the values as read: unchanged again.
    ds.edit();
    ds.setValue(QStringLiteral("Title"), QStringLiteral("WTG 2"));
    ds.post();
    EXPECT_EQ(ds.currentRowStatus(), RowStatus::Unchanged);
    // Moving on posts the edit.
    ds.edit();
    ds.setValue(QStringLiteral("UnitId"), 12);
    ds.next();
    EXPECT_EQ(ds.state(), DataSetState::Browse);
    EXPECT_EQ(ds.rowStatus(1), RowStatus::Modified);
    EXPECT_EQ(ds.valueAt(1, 0), QVariant(qlonglong(12)));
    ds.setReadOnly(QStringLiteral("Power"), true);
    ds.edit();
    EXPECT_FALSE(ds.setValue(QStringLiteral("Power"), 1.0));
}

TEST(DataSet, AStoredValueIsNoHeldChange) {
    DataSet ds;
    ds.setRows(units());
    ds.moveTo(1);
    ds.edit();
    ds.setValue(QStringLiteral("Title"), QStringLiteral("Renamed"));
    ds.post();
    // Stored into an unchanged row, and into the changed field of a modified one.
    ASSERT_TRUE(ds.setStoredValue(0, 2, 5.0));
    EXPECT_EQ(ds.rowStatus(0), RowStatus::Unchanged);
    EXPECT_DOUBLE_EQ(ds.valueAt(0, 2).toDouble(), 5.0);
    ASSERT_TRUE(ds.setStoredValue(1, 1, QStringLiteral("Stored")));
    EXPECT_EQ(ds.rowStatus(1), RowStatus::Unchanged);
    EXPECT_FALSE(ds.hasChanges());
    EXPECT_FALSE(ds.setStoredValue(9, 1, QStringLiteral("x"))) << "no such row";
}

TEST(DataSet, ValuesAreBroughtToTheFieldsType) {
    const struct {
        const char* field;
        QVariant given;
        bool taken;
        QVariant stored;
    } table[] = {
        {"UnitId", QStringLiteral(" 12 "), true, qlonglong(12)},
        {"UnitId", QStringLiteral("twelve"), false, {}},
        {"Power", QStringLiteral("2.5"), true, 2.5},
        {"Active", 1, true, true},
        {"Title", QVariant(), true, {}},  // NULL
        {"NoSuchField", 1, false, {}},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.field);
        DataSet ds;
        ds.setRows(units());
        ds.edit();
        EXPECT_EQ(ds.setValue(QLatin1StringView(row.field), row.given), row.taken);
        EXPECT_EQ(ds.lastError().isEmpty(), row.taken);
        const QVariant value = ds.value(QLatin1StringView(row.field));
        if (row.taken) EXPECT_TRUE(row.stored.isValid() ? value == row.stored : value.isNull());
    }
}

TEST(DataSet, AppendDeleteAndCancelBatch) {
    DataSet ds;
    ds.setRows(units());
    ds.moveTo(1);
    // Cancelling an append removes the row and returns to where the cursor was.
    ASSERT_TRUE(ds.append());
    EXPECT_EQ(ds.state(), DataSetState::Insert);
    EXPECT_EQ(ds.currentRow(), 4);
    ds.cancel();
    EXPECT_EQ(ds.recordCount(), 4);
    EXPECT_EQ(ds.currentRow(), 1);

    ds.append();
    ds.setValue(QStringLiteral("UnitId"), 50);
    ASSERT_TRUE(ds.post());
    ds.edit();  // editing a new row keeps it new
    ds.setValue(QStringLiteral("Title"), QStringLiteral("Met mast"));
    ds.post();
    EXPECT_EQ(ds.currentRowStatus(), RowStatus::Inserted);

    // Deleting hides the row and moves to the following one.
    ds.moveTo(0);
    ASSERT_TRUE(ds.deleteRow());
    EXPECT_EQ(ds.value(0).toInt(), 2);
    // A modified row that is deleted is deleted, its originals kept.
    ds.edit();
    ds.setValue(QStringLiteral("Title"), QStringLiteral("changed"));
    ds.post();
    ds.deleteRow();
    // A deleted new row leaves nothing behind; the last row is then current.
    ds.last();
    ds.deleteRow();
    EXPECT_EQ(ds.currentRow(), 1);
    EXPECT_EQ(ids(ds), (std::vector<int>{3, 4}));
    ds.moveTo(0);
    ds.edit();
    ds.setValue(QStringLiteral("Power"), 1.5);
    ds.post();
    std::vector<std::pair<int, RowStatus>> changes;
    for (const db::RowView& r : ds.changedRows()) changes.push_back({r.value(0).toInt(), r.status()});
    EXPECT_THAT(changes, ElementsAre(std::pair{1, RowStatus::Deleted}, std::pair{2, RowStatus::Deleted},
                                     std::pair{3, RowStatus::Modified}));
    EXPECT_EQ(ds.changeCount(), 3);
    EXPECT_EQ(ds.changedRows()[1].originalValue(1).toString(), QStringLiteral("WTG 2"));

    // Deleting in insert state drops the new row.
    ds.append();
    ds.deleteRow();
    EXPECT_EQ(ds.recordCount(), 2);
    EXPECT_EQ(ds.state(), DataSetState::Browse);
    ds.append();
    ds.cancelBatch();
    EXPECT_FALSE(ds.hasChanges());
    EXPECT_EQ(ids(ds), (std::vector<int>{1, 2, 3, 4}));
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(ds.valueAt(row, 1).toString(), QStringLiteral("WTG %1").arg(row + 1));
        EXPECT_EQ(ds.rowStatus(row), RowStatus::Unchanged);
    }
    EXPECT_DOUBLE_EQ(ds.valueAt(2, 2).toDouble(), 3000.0);
}

TEST(DataSet, FilterKeepsHeldChanges) {
    DataSet ds;
    ds.setRows(units(10));
    ds.moveTo(4);
    ds.edit();
    ds.setValue(QStringLiteral("Title"), QStringLiteral("edited"));
    // Setting a filter posts the edit and moves to the first row shown.
    ds.setFilter([](const db::RowView& r) { return r.value(QStringLiteral("UnitId")).toInt() % 2 == 1; });
    EXPECT_EQ(ds.state(), DataSetState::Browse);
    EXPECT_EQ(ids(ds), (std::vector<int>{1, 3, 5, 7, 9}));
    EXPECT_EQ(ds.currentRow(), 0);
    EXPECT_EQ(ds.rowStatus(2), RowStatus::Modified);

    ds.moveTo(1);  // unit 3
    ds.deleteRow();
    ds.append();
    ds.setValue(0, 11);
    ds.post();
    // An edit that no longer matches stays until refiltered.
    ds.moveTo(0);
    ds.edit();
    ds.setValue(0, 100);
    ds.post();
    EXPECT_EQ(ids(ds), (std::vector<int>{100, 5, 7, 9, 11}));
    ds.refilter();
    EXPECT_EQ(ids(ds), (std::vector<int>{5, 7, 9, 11}));

    ds.clearFilter();
    EXPECT_EQ(ids(ds), (std::vector<int>{100, 2, 4, 5, 6, 7, 8, 9, 10, 11}));
    EXPECT_EQ(ds.rowStatus(9), RowStatus::Inserted);
    // A filter may show the pending rows only; deleted rows never show.
    ds.setFilter([](const db::RowView& r) { return r.status() != RowStatus::Unchanged; });
    EXPECT_EQ(ids(ds), (std::vector<int>{100, 5, 11}));
    ds.cancelBatch();
    EXPECT_EQ(ds.currentRow(), -1);
    ds.clearFilter();
    EXPECT_EQ(ds.recordCount(), 10);
}

TEST(DataSet, Locate) {
    const struct {
        QStringList fields;
        QVariantList values;
        db::LocateOptions options;
        int row;  // where it ends; from row 2
        bool found;
    } table[] = {
        {{"Title"}, {"WTG 5"}, {}, 4, true},
        {{"Title"}, {"wtg 5"}, {}, 2, false},  // not found: the cursor stays
        {{"Title"}, {"wtg 5"}, {.caseInsensitive = true}, 4, true},
        {{"title"}, {"WTG 6"}, {}, 5, true},
        {{"Title"}, {"WTG"}, {}, 2, false},
        {{"Title"}, {"WTG"}, {.partialKey = true}, 0, true},
        {{"UnitId"}, {"4"}, {}, 3, true},  // numbers match in any form
        {{"Power"}, {6000}, {}, 5, true},
        {{"Active", "UnitId"}, {false, 2}, {}, 1, true},
        {{"Active", "UnitId"}, {true, 2}, {}, 2, false},
        {{"Nope"}, {1}, {}, 2, false},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.values.first().toString().toStdString());
        DataSet ds;
        ds.setRows(units(6));
        ds.moveTo(2);
        EXPECT_EQ(ds.locate(row.fields, row.values, row.options), row.found);
        EXPECT_EQ(ds.currentRow(), row.row);
    }
    // NULL matches NULL only; a pending edit is posted first.
    DataSet ds;
    ds.setRows(units(6));
    ds.moveTo(1);
    ds.edit();
    ds.setValue(QStringLiteral("Title"), QVariant());
    ds.moveTo(3);
    EXPECT_TRUE(ds.locate(QStringLiteral("Title"), QVariant()));
    EXPECT_EQ(ds.currentRow(), 1);
    EXPECT_EQ(ds.currentRowStatus(), RowStatus::Modified);
}

TEST(DataSet, CalculatedFieldsAndSettingsSurviveReopening) {
    DataSet ds;
    ds.addCalculatedField(QStringLiteral("Label"), FieldType::String, [](const db::RowView& r) {
        return QVariant(r.value(QStringLiteral("Title")).toString() + u'/' + r.value(0).toString());
    });
    ds.setRows(units(2));
    const int label = ds.fieldIndex(QStringLiteral("Label"));
    ASSERT_EQ(label, 4);
    EXPECT_EQ(ds.valueAt(1, label).toString(), QStringLiteral("WTG 2/2"));
    // Follows edits, cannot be set, may be filtered on.
    ds.edit();
    ds.setValue(QStringLiteral("Title"), QStringLiteral("T"));
    EXPECT_EQ(ds.value(label).toString(), QStringLiteral("T/1"));
    EXPECT_FALSE(ds.setValue(label, QStringLiteral("x")));
    ds.setFilter([label](const db::RowView& r) { return r.value(label).toString().startsWith(u'T'); });
    EXPECT_EQ(ds.recordCount(), 1);
    ds.clearFilter();

    ds.setDisplayLabel(QStringLiteral("Title"), QStringLiteral("Unit title"));
    ds.setVisible(QStringLiteral("UnitId"), false);
    ds.setPersistent(QStringLiteral("Power"), false);
    EXPECT_FALSE(ds.setVisible(QStringLiteral("Missing"), false));
    for (bool closeFirst : {false, true}) {
        if (closeFirst) ds.close();
        ds.setRows(units(3));
        EXPECT_EQ(ds.field(1).displayLabel, QStringLiteral("Unit title"));
        EXPECT_FALSE(ds.field(0).visible);
        EXPECT_FALSE(ds.field(2).persistent);
        EXPECT_EQ(ds.valueAt(2, 4).toString(), QStringLiteral("WTG 3/3"));
    }
}

}  // namespace
