// The batch update against a real embedded database, with a second
// connection playing the other user.

#include "db/DataSet.h"
#include "support/TempDatabase.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using db::DataSet;
using db::RowStatus;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

class DataSetUpdate : public ::testing::Test {
protected:
    void SetUp() override {
        database.exec(QStringLiteral(
            "CREATE TABLE TTestUnit (UnitId INTEGER NOT NULL, Part INTEGER NOT NULL, Title NVARCHAR(50), "
            "Power FLOAT, Active BIT, Since DATETIME, PRIMARY KEY (UnitId, Part));"
            "INSERT INTO TTestUnit VALUES (1, 0, 'WTG 1', 2000.5, 1, '2020-01-01 00:00:00'),"
            " (2, 0, 'WTG 2', 2000.5, 0, '2021-06-30 12:30:00'), (3, 0, NULL, NULL, NULL, NULL),"
            " (3, 1, 'WTG 3b', 1500, 1, '2022-02-02 02:02:02');"));
        mine = database.connect();
        ASSERT_TRUE(mine);
        select.text =
            QStringLiteral("SELECT UnitId, Part, Title, Power, Active, Since FROM TTestUnit ORDER BY 1, 2");
        ASSERT_TRUE(ds.open(*mine, select)) << ds.lastError().toStdString();
    }

    // The table as another connection reads it, one text per row.
    std::vector<std::string> stored() {
        const db::Result r = database.exec(QStringLiteral(
            "SELECT UnitId || '/' || Part || ' ' || IFNULL(Title, '-') || ' ' || IFNULL(Power, '-') || ' ' "
            "|| "
            "IFNULL(Active, '-') || ' ' || IFNULL(Since, '-') FROM TTestUnit ORDER BY UnitId, Part"));
        std::vector<std::string> rows;
        for (const auto& row : r.resultSets.at(0).rows) rows.push_back(row[0].toString().toStdString());
        return rows;
    }
    // Sets `field` of `row` to `value` and posts it.
    void change(int row, const char* field, const QVariant& value) {
        ds.moveTo(row);
        ds.edit();
        ds.setValue(QLatin1StringView(field), value);
        ds.post();
    }
    void add(int unitId, const QVariant& title = {}) {
        ds.append();
        ds.setValue(QStringLiteral("UnitId"), unitId);
        ds.setValue(QStringLiteral("Part"), 0);
        ds.setValue(QStringLiteral("Title"), title);
        ds.post();
    }
    bool update(const QStringList& keys = {QStringLiteral("UnitId"), QStringLiteral("Part")}) {
        return ds.updateBatch(*mine, QStringLiteral("TTestUnit"), keys);
    }

    testing_support::TempDatabase database;
    std::unique_ptr<db::Connection> mine;
    db::Command select;
    DataSet ds;
};

TEST_F(DataSetUpdate, WritesAllHeldChangesAndTakesThemAsRead) {
    EXPECT_EQ(ds.field(4).type, db::FieldType::Boolean);
    EXPECT_EQ(ds.valueAt(0, 5).toDateTime(), QDateTime(QDate(2020, 1, 1), QTime(0, 0)));
    change(0, "Title", QStringLiteral("O'Neil'); DROP TABLE TTestUnit; --"));
    change(0, "Since", QDateTime(QDate(2020, 1, 2), QTime(3, 4, 5)));
    change(2, "Title", QStringLiteral("WTG 3"));  // a row of NULLs: the check must use IS NULL
    change(2, "Active", true);
    ds.moveTo(1);
    ds.deleteRow();
    add(2, QStringLiteral("WTG 2 new"));  // the key of a deleted row
    ASSERT_TRUE(update()) << ds.lastError().toStdString();
    EXPECT_FALSE(mine->inTransaction());
    EXPECT_THAT(stored(), ElementsAre("1/0 O'Neil'); DROP TABLE TTestUnit; -- 2000.5 1 2020-01-02 03:04:05",
                                      "2/0 WTG 2 new - - -", "3/0 WTG 3 - 1 -",
                                      "3/1 WTG 3b 1500.0 1 2022-02-02 02:02:02"));
    EXPECT_FALSE(ds.hasChanges());
    for (int row = 0; row < ds.recordCount(); ++row) EXPECT_EQ(ds.rowStatus(row), RowStatus::Unchanged);

    // The written values are the new originals: a second round checks against them.
    change(0, "Title", QStringLiteral("WTG 1"));
    change(3, "Power", 900);
    ASSERT_TRUE(update()) << ds.lastError().toStdString();
    EXPECT_EQ(stored()[0], "1/0 WTG 1 2000.5 1 2020-01-02 03:04:05");
    EXPECT_EQ(stored()[1], "2/0 WTG 2 new 900.0 - -");
    EXPECT_TRUE(update()) << "nothing held is a success";
}

TEST_F(DataSetUpdate, AConflictWritesNothingAndKeepsTheChanges) {
    change(0, "Power", 2100.0);
    change(1, "Title", QStringLiteral("mine"));
    add(9);
    // Another user changes a column that this data set changed as well.
    database.exec(QStringLiteral("UPDATE TTestUnit SET Title = 'theirs' WHERE UnitId = 2"));
    const std::vector<std::string> theirs = stored();
    EXPECT_FALSE(update());
    EXPECT_THAT(ds.lastError().toStdString(), HasSubstr("changed by another user"));
    EXPECT_FALSE(mine->inTransaction());
    EXPECT_EQ(stored(), theirs);
    EXPECT_EQ(ds.changeCount(), 3);
    EXPECT_EQ(ds.valueAt(1, 2).toString(), QStringLiteral("mine"));

    // A column this data set did not touch is no conflict.
    database.exec(QStringLiteral("UPDATE TTestUnit SET Title = 'WTG 2', Power = 1 WHERE UnitId = 2"));
    ASSERT_TRUE(update()) << ds.lastError().toStdString();
    EXPECT_THAT(stored(),
                ElementsAre("1/0 WTG 1 2100.0 1 2020-01-01 00:00:00", "2/0 mine 1.0 0 2021-06-30 12:30:00",
                            "3/0 - - - -", "3/1 WTG 3b 1500.0 1 2022-02-02 02:02:02", "9/0 - - - -"));

    // A row deleted here that someone else already deleted is a conflict too.
    ds.moveTo(0);
    ds.deleteRow();
    database.exec(QStringLiteral("DELETE FROM TTestUnit WHERE UnitId = 1"));
    EXPECT_FALSE(update());
    EXPECT_THAT(ds.lastError().toStdString(), HasSubstr("changed by another user"));
    EXPECT_EQ(ds.changeCount(), 1);
}

TEST_F(DataSetUpdate, ErrorsRollBackAndAreReported) {
    // A twin of unit 1 that a key of UnitId alone cannot tell apart.
    database.exec(QStringLiteral("INSERT INTO TTestUnit VALUES (1, 1, 'WTG 1', 0, 0, NULL)"));
    ASSERT_TRUE(ds.open(*mine, select));
    const std::vector<std::string> before = stored();
    const struct {
        const char* name;
        QString table;
        QStringList keys;
        const char* error;
    } table[] = {
        {"a duplicate key", "TTestUnit", {"UnitId", "Part"}, "UNIQUE"},
        {"a key that names several rows", "TTestUnit", {"UnitId"}, "single row"},
        {"no such key", "TTestUnit", {"NoKey"}, ""},
        {"no key", "TTestUnit", {}, ""},
        {"no such table", "TNoSuchTable", {"UnitId", "Part"}, ""},
    };
    change(0, "Title", QStringLiteral("written first"));
    add(1);  // the key of unit 1: a duplicate
    for (const auto& row : table) {
        SCOPED_TRACE(row.name);
        EXPECT_FALSE(ds.updateBatch(*mine, row.table, row.keys));
        EXPECT_THAT(ds.lastError().toStdString(), HasSubstr(row.error));
        EXPECT_FALSE(ds.lastError().isEmpty());
        EXPECT_EQ(stored(), before);
        EXPECT_EQ(ds.changeCount(), 2);
    }

    // Opening with a failing statement, or one without rows, leaves the data set closed.
    for (const char* text : {"SELECT * FROM TNoSuchTable", "UPDATE TTestUnit SET Power = Power WHERE 0"}) {
        db::Command bad;
        bad.text = QString::fromLatin1(text);
        EXPECT_FALSE(ds.open(*mine, bad));
        EXPECT_FALSE(ds.isOpen());
        EXPECT_FALSE(ds.lastError().isEmpty());
    }
}

TEST_F(DataSetUpdate, JoinedColumnsAndTheCallersTransaction) {
    db::Command c;
    c.text = QStringLiteral(
        "SELECT u.UnitId, u.Part, u.Title, 'Type ' || u.UnitId AS TypeName FROM TTestUnit u "
        "WHERE u.Part = ?");
    c.parameters.push_back({"@Part", db::FieldType::Integer, 4, db::ParameterDirection::Input, 0});
    ASSERT_TRUE(ds.open(*mine, c)) << ds.lastError().toStdString();
    ds.setPersistent(QStringLiteral("TypeName"), false);
    change(0, "TypeName", QStringLiteral("shown only"));
    change(0, "Title", QStringLiteral("T1"));
    add(7);

    // Inside the caller's transaction the batch joins it; the caller's
    // rollback takes the batch back, and the changes are still held.
    ASSERT_TRUE(mine->beginTransaction());
    ASSERT_TRUE(update()) << ds.lastError().toStdString();
    EXPECT_TRUE(mine->inTransaction());
    ASSERT_TRUE(mine->rollback());
    EXPECT_EQ(stored()[0], "1/0 WTG 1 2000.5 1 2020-01-01 00:00:00");
    EXPECT_EQ(ds.changeCount(), 2);

    // Through a shared connection, which connects on demand.
    db::SharedConnection shared(QStringLiteral("Database2"), database.factory());
    shared.setConnectionString(database.connectionString());
    ASSERT_TRUE(ds.updateBatch(shared, QStringLiteral("TTestUnit"), {"UnitId", "Part"}));
    EXPECT_EQ(stored().size(), 5u);
    EXPECT_EQ(stored()[0], "1/0 T1 2000.5 1 2020-01-01 00:00:00");

    // Committed by the caller, then accepted.
    ds.last();
    ds.deleteRow();
    ASSERT_TRUE(shared.get()->beginTransaction());
    ASSERT_TRUE(ds.updateBatch(shared, QStringLiteral("TTestUnit"), {"UnitId", "Part"}));
    EXPECT_EQ(ds.changeCount(), 1);
    ASSERT_TRUE(shared.get()->commit());
    ds.acceptChanges();
    EXPECT_FALSE(ds.hasChanges());
    EXPECT_EQ(stored().size(), 4u);
}

TEST(DataSetUpdateNames, QuotesTableAndColumnNames) {
    testing_support::TempDatabase database;
    database.exec(
        QStringLiteral("CREATE TABLE \"Odd Table\" (\"Key Id\" INTEGER PRIMARY KEY, \"Na\"\"me\" TEXT);"
                       "INSERT INTO \"Odd Table\" VALUES (1, 'a');"));
    auto connection = database.connect();
    db::DataSet ds;
    db::Command c;
    c.text = QStringLiteral("SELECT * FROM \"Odd Table\"");
    ASSERT_TRUE(ds.open(*connection, c)) << ds.lastError().toStdString();
    ds.edit();
    ds.setValue(1, QStringLiteral("b"));
    ds.append();
    ds.setValue(0, 2);
    ds.setValue(1, QStringLiteral("c"));
    ds.post();
    ASSERT_TRUE(ds.updateBatch(*connection, QStringLiteral("Odd Table"), {QStringLiteral("Key Id")}))
        << ds.lastError().toStdString();
    EXPECT_EQ(database.scalar(QStringLiteral("SELECT group_concat(\"Na\"\"me\", ',') FROM \"Odd Table\""))
                  .toString(),
              QStringLiteral("b,c"));
}

}  // namespace
