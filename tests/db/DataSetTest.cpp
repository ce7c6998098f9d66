#include "db/DataSet.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using db::DataSet;
using db::DataSetState;
using db::FieldType;
using db::RowStatus;
using ::testing::ElementsAre;

db::ResultSet units(int count = 4) {
    db::ResultSet rs;
    rs.columns = {{QStringLiteral("UnitId"), FieldType::Integer, 0},
                  {QStringLiteral("Title"), FieldType::String, 50},
                  {QStringLiteral("Power"), FieldType::Float, 0},
                  {QStringLiteral("Active"), FieldType::Boolean, 0}};
    for (int i = 1; i <= count; ++i)
        rs.rows.push_back(
            {qlonglong(i), QStringLiteral("WTG %1").arg(i), 1000.0 * i, QVariant(qlonglong(i % 2))});
    return rs;
}

// Records what a data set tells its listeners, and what it looks like then.
class Recorder : public db::DataSetListener {
public:
    explicit Recorder(const DataSet& ds) : ds_(ds) {}
    std::vector<std::string> events;
    void take() { events.clear(); }

    void dataSetAboutToBeReset() override { add("aboutToReset"); }
    void dataSetReset() override { add("reset"); }
    void rowAboutToBeInserted(int row) override { add("aboutToInsert", row); }
    void rowInserted(int row) override { add("inserted", row); }
    void rowAboutToBeRemoved(int row) override { add("aboutToRemove", row); }
    void rowRemoved(int row) override { add("removed", row); }
    void rowsChanged(int first, int last) override { add("changed", first, last); }
    void currentRowChanged(int row) override { add("current", row); }
    void stateChanged(DataSetState s) override { add("state", int(s)); }

private:
    void add(const char* what, int a = -2, int b = -2) {
        std::string text = what;
        if (a != -2) text += " " + std::to_string(a);
        if (b != -2) text += " " + std::to_string(b);
        // Row counts as a listener sees them tell whether it was told before or after.
        text += " n" + std::to_string(ds_.recordCount());
        events.push_back(text);
    }
    const DataSet& ds_;
};

TEST(DataSet, OpenFieldsAndNavigation) {
    DataSet ds;
    EXPECT_FALSE(ds.isOpen());
    EXPECT_TRUE(ds.eof());
    ds.setRows(units());
    ASSERT_TRUE(ds.isOpen());
    EXPECT_EQ(ds.state(), DataSetState::Browse);
    EXPECT_EQ(ds.fieldCount(), 4);
    EXPECT_EQ(ds.fieldIndex(QStringLiteral("title")), 1);
    EXPECT_EQ(ds.field(1).displayLabel, QStringLiteral("Title"));
    EXPECT_EQ(ds.field(1).size, 50);
    // Booleans that arrive as numbers are read as booleans.
    EXPECT_EQ(ds.valueAt(0, 3), QVariant(true));
    EXPECT_EQ(ds.valueAt(1, 3), QVariant(false));

    // The classic loop visits every row once.
    std::vector<qlonglong> seen;
    for (ds.first(); !ds.eof(); ds.next()) seen.push_back(ds.value(QStringLiteral("UnitId")).toLongLong());
    EXPECT_THAT(seen, ElementsAre(1, 2, 3, 4));
    EXPECT_EQ(ds.recNo(), 4);

    ds.first();
    EXPECT_TRUE(ds.bof());
    EXPECT_FALSE(ds.eof());
    ds.prior();
    EXPECT_TRUE(ds.bof());
    EXPECT_EQ(ds.recNo(), 1);
    ds.next();
    EXPECT_FALSE(ds.bof());
    ds.last();
    EXPECT_TRUE(ds.eof());
    EXPECT_EQ(ds.currentRow(), 3);
    ds.prior();
    EXPECT_FALSE(ds.eof());
    EXPECT_EQ(ds.value(0).toInt(), 3);
    EXPECT_FALSE(ds.moveTo(4));
    EXPECT_TRUE(ds.moveTo(0));

    // An empty result: eof and bof at once, no current row.
    DataSet empty;
    db::ResultSet none = units(0);
    empty.setRows(none);
    EXPECT_TRUE(empty.isOpen());
    EXPECT_TRUE(empty.eof());
    EXPECT_TRUE(empty.bof());
    EXPECT_EQ(empty.recNo(), 0);
    EXPECT_FALSE(empty.edit());
    EXPECT_FALSE(empty.deleteRow());

    // Reopening or closing drops a pending edit with the rows it belonged to.
    ds.edit();
    ds.setValue(1, QStringLiteral("pending"));
    ds.setRows(units());
    EXPECT_EQ(ds.state(), DataSetState::Browse);
    EXPECT_EQ(ds.valueAt(0, 1).toString(), QStringLiteral("WTG 1"));
    EXPECT_FALSE(ds.hasChanges());
    ds.append();
    ds.close();
    EXPECT_EQ(ds.state(), DataSetState::Inactive);
    EXPECT_FALSE(ds.isOpen());
    EXPECT_EQ(ds.recordCount(), 0);
    EXPECT_EQ(ds.fieldCount(), 0);
    EXPECT_FALSE(ds.append());
    EXPECT_FALSE(ds.edit());
    EXPECT_FALSE(ds.post());
}

TEST(DataSet, EditPostCancelAndRowStatus) {
    DataSet ds;
    ds.setRows(units());
    // Values can only be set in edit or insert state.
    EXPECT_FALSE(ds.setValue(QStringLiteral("Title"), QStringLiteral("x")));

    ds.moveTo(1);
    ASSERT_TRUE(ds.edit());
    EXPECT_EQ(ds.state(), DataSetState::Edit);
    ASSERT_TRUE(ds.setValue(QStringLiteral("Title"), QStringLiteral("Renamed")));
    EXPECT_EQ(ds.value(QStringLiteral("Title")).toString(), QStringLiteral("Renamed"));
    ds.cancel();
    EXPECT_EQ(ds.value(QStringLiteral("Title")).toString(), QStringLiteral("WTG 2"));
    EXPECT_EQ(ds.currentRowStatus(), RowStatus::Unchanged);
    EXPECT_FALSE(ds.hasChanges());

    ds.edit();
    ds.setValue(QStringLiteral("Title"), QStringLiteral("Renamed"));
    ASSERT_TRUE(ds.post());
    EXPECT_EQ(ds.state(), DataSetState::Browse);
    EXPECT_EQ(ds.currentRowStatus(), RowStatus::Modified);
    EXPECT_EQ(ds.originalValue(1).toString(), QStringLiteral("WTG 2"));

    // A second edit that is cancelled keeps the first one.
    ds.edit();
    ds.setValue(QStringLiteral("Power"), 5.0);
    ds.cancel();
    EXPECT_EQ(ds.value(QStringLiteral("Title")).toString(), QStringLiteral("Renamed"));
    EXPECT_DOUBLE_EQ(ds.value(QStringLiteral("Power")).toDouble(), 2000.0);
    EXPECT_EQ(ds.currentRowStatus(), RowStatus::Modified);

    // Setting the values back to the originals makes the row unchanged again.
    ds.edit();
    ds.setValue(QStringLiteral("Title"), QStringLiteral("WTG 2"));
    ds.post();
    EXPECT_EQ(ds.currentRowStatus(), RowStatus::Unchanged);

    // Values are brought to the field's type; nonsense is refused.
    ds.edit();
    EXPECT_TRUE(ds.setValue(QStringLiteral("UnitId"), QStringLiteral(" 12 ")));
    EXPECT_EQ(ds.value(0), QVariant(qlonglong(12)));
    EXPECT_FALSE(ds.setValue(QStringLiteral("UnitId"), QStringLiteral("twelve")));
    EXPECT_FALSE(ds.lastError().isEmpty());
    EXPECT_TRUE(ds.setValue(QStringLiteral("Power"), QStringLiteral("2.5")));
    EXPECT_EQ(ds.value(2), QVariant(2.5));
    EXPECT_TRUE(ds.setValue(QStringLiteral("Active"), 1));
    EXPECT_EQ(ds.value(3), QVariant(true));
    EXPECT_TRUE(ds.setValue(QStringLiteral("Title"), QVariant()));
    EXPECT_TRUE(ds.value(1).isNull());
    EXPECT_FALSE(ds.setValue(QStringLiteral("NoSuchField"), 1));
    // Moving on posts the edit.
    ds.next();
    EXPECT_EQ(ds.state(), DataSetState::Browse);
    EXPECT_EQ(ds.rowStatus(1), RowStatus::Modified);
    EXPECT_EQ(ds.valueAt(1, 0), QVariant(qlonglong(12)));

    // Read-only and calculated fields refuse values.
    ds.setReadOnly(QStringLiteral("Power"), true);
    ds.edit();
    EXPECT_FALSE(ds.setValue(QStringLiteral("Power"), 1.0));
    ds.cancel();
}

TEST(DataSet, AppendDeleteAndCancelBatch) {
    DataSet ds;
    ds.setRows(units());
    ds.moveTo(1);

    // Cancelling an append removes the row and returns to where the cursor was.
    ASSERT_TRUE(ds.append());
    EXPECT_EQ(ds.state(), DataSetState::Insert);
    EXPECT_EQ(ds.recordCount(), 5);
    EXPECT_EQ(ds.currentRow(), 4);
    ds.cancel();
    EXPECT_EQ(ds.recordCount(), 4);
    EXPECT_EQ(ds.currentRow(), 1);
    EXPECT_FALSE(ds.hasChanges());

    ds.append();
    ds.setValue(QStringLiteral("UnitId"), 50);
    ds.setValue(QStringLiteral("Title"), QStringLiteral("Met mast"));
    ASSERT_TRUE(ds.post());
    EXPECT_EQ(ds.currentRowStatus(), RowStatus::Inserted);
    // Editing a new row keeps it new.
    ds.edit();
    ds.setValue(QStringLiteral("Title"), QStringLiteral("Met mast 1"));
    ds.post();
    EXPECT_EQ(ds.currentRowStatus(), RowStatus::Inserted);

    // Deleting hides the row and moves the cursor to the following one.
    ds.moveTo(0);
    ASSERT_TRUE(ds.deleteRow());
    EXPECT_EQ(ds.recordCount(), 4);
    EXPECT_EQ(ds.value(0).toInt(), 2);
    // A modified row that is deleted is still deleted (its originals kept).
    ds.edit();
    ds.setValue(QStringLiteral("Title"), QStringLiteral("changed"));
    ds.post();
    ds.deleteRow();
    EXPECT_EQ(ds.value(0).toInt(), 3);
    // A deleted new row leaves nothing behind.
    ds.last();
    EXPECT_EQ(ds.value(0).toInt(), 50);
    ds.deleteRow();
    EXPECT_EQ(ds.currentRow(), 1);  // the last row is now current
    EXPECT_EQ(ds.recordCount(), 2);

    ds.moveTo(0);
    ds.edit();
    ds.setValue(QStringLiteral("Power"), 1.5);
    ds.post();
    ASSERT_EQ(ds.changeCount(), 3);
    std::vector<std::pair<int, RowStatus>> changes;
    for (const db::RowView& r : ds.changedRows()) changes.push_back({r.value(0).toInt(), r.status()});
    EXPECT_THAT(changes, ElementsAre(std::pair{1, RowStatus::Deleted}, std::pair{2, RowStatus::Deleted},
                                     std::pair{3, RowStatus::Modified}));
    EXPECT_EQ(ds.changedRows()[1].value(1).toString(), QStringLiteral("changed"));
    EXPECT_EQ(ds.changedRows()[1].originalValue(1).toString(), QStringLiteral("WTG 2"));

    // Deleting in edit state drops the edit; in insert state it drops the new row.
    ds.append();
    ds.deleteRow();
    EXPECT_EQ(ds.recordCount(), 2);
    EXPECT_EQ(ds.state(), DataSetState::Browse);

    ds.append();
    ds.setValue(0, 99);
    ds.cancelBatch();
    EXPECT_EQ(ds.state(), DataSetState::Browse);
    EXPECT_FALSE(ds.hasChanges());
    ASSERT_EQ(ds.recordCount(), 4);
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(ds.valueAt(row, 0).toInt(), row + 1);
        EXPECT_EQ(ds.valueAt(row, 1).toString(), QStringLiteral("WTG %1").arg(row + 1));
        EXPECT_EQ(ds.rowStatus(row), RowStatus::Unchanged);
    }
    EXPECT_DOUBLE_EQ(ds.valueAt(2, 2).toDouble(), 3000.0);
}

TEST(DataSet, FilterKeepsHeldChanges) {
    DataSet ds;
    ds.setRows(units(10));
    ds.moveTo(4);  // unit 5
    ds.edit();
    ds.setValue(QStringLiteral("Title"), QStringLiteral("edited"));
    // Setting a filter posts the edit and moves to the first visible row.
    ds.setFilter([](const db::RowView& r) { return r.value(QStringLiteral("UnitId")).toInt() % 2 == 1; });
    EXPECT_EQ(ds.state(), DataSetState::Browse);
    EXPECT_TRUE(ds.isFiltered());
    ASSERT_EQ(ds.recordCount(), 5);
    EXPECT_EQ(ds.currentRow(), 0);
    EXPECT_EQ(ds.valueAt(2, 1).toString(), QStringLiteral("edited"));
    EXPECT_EQ(ds.rowStatus(2), RowStatus::Modified);

    // Changes made while filtered survive clearing the filter.
    ds.moveTo(1);  // unit 3
    ds.deleteRow();
    ds.append();
    ds.setValue(0, 11);
    ds.post();
    EXPECT_EQ(ds.recordCount(), 5);
    // An edit that no longer matches does not make the row vanish until refiltered.
    ds.moveTo(0);
    ds.edit();
    ds.setValue(0, 100);
    ds.post();
    EXPECT_EQ(ds.recordCount(), 5);
    ds.refilter();
    EXPECT_EQ(ds.recordCount(), 4);

    ds.clearFilter();
    EXPECT_FALSE(ds.isFiltered());
    ASSERT_EQ(ds.recordCount(), 10);  // 10 - deleted unit 3 + new unit 11
    EXPECT_EQ(ds.valueAt(0, 0).toInt(), 100);
    EXPECT_EQ(ds.rowStatus(0), RowStatus::Modified);
    EXPECT_EQ(ds.valueAt(2, 0).toInt(), 4);
    EXPECT_EQ(ds.rowStatus(3), RowStatus::Modified);
    EXPECT_EQ(ds.valueAt(9, 0).toInt(), 11);
    EXPECT_EQ(ds.rowStatus(9), RowStatus::Inserted);

    // A filter can show the pending rows only; deleted rows never show.
    ds.setFilter([](const db::RowView& r) { return r.status() != RowStatus::Unchanged; });
    EXPECT_EQ(ds.recordCount(), 3);
    ds.cancelBatch();
    EXPECT_EQ(ds.recordCount(), 0);
    EXPECT_EQ(ds.currentRow(), -1);
    ds.clearFilter();
    EXPECT_EQ(ds.recordCount(), 10);
}

TEST(DataSet, Locate) {
    DataSet ds;
    ds.setRows(units(6));
    ds.moveTo(2);
    EXPECT_TRUE(ds.locate(QStringLiteral("Title"), QStringLiteral("WTG 5")));
    EXPECT_EQ(ds.currentRow(), 4);
    // Not found: the cursor stays.
    EXPECT_FALSE(ds.locate(QStringLiteral("Title"), QStringLiteral("wtg 2")));
    EXPECT_EQ(ds.currentRow(), 4);
    EXPECT_TRUE(ds.locate(QStringLiteral("Title"), QStringLiteral("wtg 2"), {.caseInsensitive = true}));
    EXPECT_EQ(ds.currentRow(), 1);
    EXPECT_TRUE(ds.locate(QStringLiteral("title"), QStringLiteral("WTG 6"), {.partialKey = false}));
    EXPECT_TRUE(ds.locate(QStringLiteral("Title"), QStringLiteral("WTG"), {.partialKey = true}));
    EXPECT_EQ(ds.currentRow(), 0);
    // Numbers match whatever form the value comes in.
    EXPECT_TRUE(ds.locate(QStringLiteral("UnitId"), QStringLiteral("4")));
    EXPECT_EQ(ds.currentRow(), 3);
    EXPECT_TRUE(ds.locate(QStringLiteral("Power"), 6000));
    EXPECT_EQ(ds.currentRow(), 5);
    // Several fields must all match.
    EXPECT_TRUE(ds.locate({QStringLiteral("Active"), QStringLiteral("UnitId")}, {false, 2}));
    EXPECT_EQ(ds.currentRow(), 1);
    EXPECT_FALSE(ds.locate({QStringLiteral("Active"), QStringLiteral("UnitId")}, {true, 2}));
    EXPECT_FALSE(ds.locate(QStringLiteral("Nope"), 1));
    // NULL matches NULL only.
    ds.edit();
    ds.setValue(QStringLiteral("Title"), QVariant());
    EXPECT_TRUE(ds.locate(QStringLiteral("Title"), QVariant()));  // posts, then finds
    EXPECT_EQ(ds.currentRow(), 1);
    EXPECT_EQ(ds.currentRowStatus(), RowStatus::Modified);
}

TEST(DataSet, CalculatedFieldsAndSettingsSurviveReopen) {
    DataSet ds;
    const int calc =
        ds.addCalculatedField(QStringLiteral("Label"), FieldType::String, [](const db::RowView& r) {
            return QVariant(r.value(QStringLiteral("Title")).toString() + QStringLiteral(" (") +
                            r.value(QStringLiteral("UnitId")).toString() + u')');
        });
    EXPECT_EQ(calc, 0);
    ds.setRows(units(2));
    ASSERT_EQ(ds.fieldCount(), 5);
    const int label = ds.fieldIndex(QStringLiteral("Label"));
    EXPECT_EQ(label, 4);
    EXPECT_TRUE(ds.field(label).calculated);
    EXPECT_EQ(ds.valueAt(1, label).toString(), QStringLiteral("WTG 2 (2)"));
    // Follows edits, cannot be set.
    ds.edit();
    ds.setValue(QStringLiteral("Title"), QStringLiteral("T"));
    EXPECT_EQ(ds.value(label).toString(), QStringLiteral("T (1)"));
    EXPECT_FALSE(ds.setValue(label, QStringLiteral("x")));
    ds.post();
    // Filters may use calculated fields.
    ds.setFilter([label](const db::RowView& r) { return r.value(label).toString().startsWith(u'T'); });
    EXPECT_EQ(ds.recordCount(), 1);
    ds.clearFilter();

    ds.setDisplayLabel(QStringLiteral("Title"), QStringLiteral("Unit title"));
    ds.setVisible(QStringLiteral("UnitId"), false);
    ds.setPersistent(QStringLiteral("Power"), false);
    EXPECT_FALSE(ds.setVisible(QStringLiteral("Missing"), false));

    ds.setRows(units(3));
    EXPECT_FALSE(ds.hasChanges());
    EXPECT_EQ(ds.fieldCount(), 5);
    EXPECT_EQ(ds.field(1).displayLabel, QStringLiteral("Unit title"));
    EXPECT_FALSE(ds.field(0).visible);
    EXPECT_FALSE(ds.field(2).persistent);
    EXPECT_EQ(ds.valueAt(2, 4).toString(), QStringLiteral("WTG 3 (3)"));
    ds.close();
    EXPECT_EQ(ds.fieldCount(), 1);  // the calculated field stays defined
    ds.setRows(units(1));
    EXPECT_EQ(ds.field(1).displayLabel, QStringLiteral("Unit title"));
    EXPECT_FALSE(ds.field(0).visible);
}

TEST(DataSet, NotifiesListenersAroundEveryChange) {
    DataSet ds;
    Recorder rec(ds);
    ds.addListener(&rec);
    ds.setRows(units(3));
    EXPECT_THAT(rec.events, ElementsAre("aboutToReset n0", "reset n3", "state 1 n3", "current 0 n3"));

    rec.take();
    ds.moveTo(2);
    ds.edit();
    ds.setValue(1, QStringLiteral("x"));
    ds.post();
    EXPECT_THAT(rec.events,
                ElementsAre("current 2 n3", "state 2 n3", "changed 2 2 n3", "state 1 n3", "changed 2 2 n3"));

    rec.take();
    ds.append();
    EXPECT_THAT(rec.events, ElementsAre("aboutToInsert 3 n3", "inserted 3 n4", "state 3 n4", "current 3 n4"));
    rec.take();
    ds.cancel();
    EXPECT_THAT(rec.events, ElementsAre("aboutToRemove 3 n4", "removed 3 n3", "state 1 n3", "current 2 n3"));

    rec.take();
    ds.moveTo(0);
    ds.deleteRow();
    EXPECT_THAT(rec.events,
                ElementsAre("current 0 n3", "aboutToRemove 0 n3", "removed 0 n2", "current 0 n2"));

    rec.take();
    ds.setFilter([](const db::RowView&) { return false; });
    EXPECT_THAT(rec.events, ElementsAre("aboutToReset n2", "reset n0", "current -1 n0"));

    // A removed listener hears nothing more.
    ds.removeListener(&rec);
    rec.take();
    ds.clearFilter();
    EXPECT_TRUE(rec.events.empty());
}

}  // namespace
