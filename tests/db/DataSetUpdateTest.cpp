// The batch update against a real embedded database, with a second
// connection playing the other user.
#include "db/DataSet.h"
#include "support/TempDatabase.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDateTime>

namespace {

using db::DataSet;
using db::RowStatus;
using ::testing::HasSubstr;

class DataSetUpdate : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(database.isValid());
        database.exec(QStringLiteral(
            "CREATE TABLE TTestUnit (UnitId INTEGER NOT NULL, Part INTEGER NOT NULL, Title NVARCHAR(50), "
            "Power FLOAT, Active BIT, Since DATETIME, PRIMARY KEY (UnitId, Part));"
            "INSERT INTO TTestUnit VALUES (1, 0, 'WTG 1', 2000.5, 1, '2020-01-01 00:00:00'),"
            " (2, 0, 'WTG 2', 2000.5, 0, '2021-06-30 12:30:00'), (3, 0, NULL, NULL, NULL, NULL),"
            " (3, 1, 'WTG 3b', 1500, 1, '2022-02-02 02:02:02');"));
        mine = database.connect();
        theirs = database.connect();
        ASSERT_TRUE(mine && theirs);
    }

    bool openUnits(DataSet& ds) {
        db::Command c;
        c.text = QStringLiteral(
            "SELECT UnitId, Part, Title, Power, Active, Since FROM TTestUnit ORDER BY UnitId, Part");
        return ds.open(*mine, c);
    }

    // The table as another connection reads it, one text per row.
    std::vector<std::string> stored() {
        db::Command c;
        c.text = QStringLiteral(
            "SELECT UnitId || '/' || Part || ' ' || IFNULL(Title, '-') || ' ' || IFNULL(Power, '-') || ' ' "
            "|| "
            "IFNULL(Active, '-') || ' ' || IFNULL(Since, '-') FROM TTestUnit ORDER BY UnitId, Part");
        const db::Result r = theirs->execute(c);
        EXPECT_TRUE(r.ok()) << r.error.toStdString();
        std::vector<std::string> rows;
        if (r.ok())
            for (const auto& row : r.resultSets.front().rows) rows.push_back(row[0].toString().toStdString());
        return rows;
    }

    void theyRun(const QString& sql) {
        db::Command c;
        c.text = sql;
        const db::Result r = theirs->execute(c);
        ASSERT_TRUE(r.ok()) << r.error.toStdString();
    }

    const QStringList keys{QStringLiteral("UnitId"), QStringLiteral("Part")};
    testing_support::TempDatabase database;
    std::unique_ptr<db::Connection> mine;
    std::unique_ptr<db::Connection> theirs;
};

TEST_F(DataSetUpdate, WritesAllHeldChangesAndTakesThemAsRead) {
    DataSet ds;
    ASSERT_TRUE(openUnits(ds)) << ds.lastError().toStdString();
    ASSERT_EQ(ds.recordCount(), 4);
    EXPECT_EQ(ds.field(4).type, db::FieldType::Boolean);
    EXPECT_EQ(ds.valueAt(0, 5).toDateTime(), QDateTime(QDate(2020, 1, 1), QTime(0, 0)));

    ds.moveTo(0);
    ds.edit();
    ds.setValue(QStringLiteral("Title"), QStringLiteral("O'Neil'); DROP TABLE TTestUnit; --"));
    ds.setValue(QStringLiteral("Since"), QDateTime(QDate(2020, 1, 2), QTime(3, 4, 5)));
    ds.post();
    ds.moveTo(2);  // the row of NULLs: the check must use IS NULL
    ds.edit();
    ds.setValue(QStringLiteral("Title"), QStringLiteral("WTG 3"));
    ds.setValue(QStringLiteral("Active"), true);
    ds.post();
    ds.moveTo(1);
    ds.deleteRow();
    // A new row may take the key of a deleted one.
    ds.append();
    ds.setValue(QStringLiteral("UnitId"), 2);
    ds.setValue(QStringLiteral("Part"), 0);
    ds.setValue(QStringLiteral("Title"), QStringLiteral("WTG 2 new"));
    ds.post();

    ASSERT_TRUE(ds.updateBatch(*mine, QStringLiteral("TTestUnit"), keys)) << ds.lastError().toStdString();
    EXPECT_FALSE(mine->inTransaction());
    EXPECT_THAT(stored(),
                ::testing::ElementsAre("1/0 O'Neil'); DROP TABLE TTestUnit; -- 2000.5 1 2020-01-02 03:04:05",
                                       "2/0 WTG 2 new - - -", "3/0 WTG 3 - 1 -",
                                       "3/1 WTG 3b 1500.0 1 2022-02-02 02:02:02"));
    EXPECT_FALSE(ds.hasChanges());
    ASSERT_EQ(ds.recordCount(), 4);
    for (int row = 0; row < ds.recordCount(); ++row) EXPECT_EQ(ds.rowStatus(row), RowStatus::Unchanged);
    EXPECT_EQ(ds.valueAt(3, 2).toString(), QStringLiteral("WTG 2 new"));

    // The written values are the new originals: a second round checks against them.
    ds.moveTo(0);
    ds.edit();
    ds.setValue(QStringLiteral("Title"), QStringLiteral("WTG 1"));
    ds.post();
    ds.last();
    ds.edit();
    ds.setValue(QStringLiteral("Power"), 900);
    ds.post();
    ASSERT_TRUE(ds.updateBatch(*mine, QStringLiteral("TTestUnit"), keys)) << ds.lastError().toStdString();
    EXPECT_EQ(stored()[0], "1/0 WTG 1 2000.5 1 2020-01-02 03:04:05");
    EXPECT_EQ(stored()[1], "2/0 WTG 2 new 900.0 - -");

    // Nothing held: nothing to do, and still a success.
    EXPECT_TRUE(ds.updateBatch(*mine, QStringLiteral("TTestUnit"), keys));
}

TEST_F(DataSetUpdate, ConflictWritesNothingAndKeepsTheChanges) {
    DataSet ds;
    ASSERT_TRUE(openUnits(ds));
    const std::vector<std::string> before = stored();
    ds.moveTo(0);
    ds.edit();
    ds.setValue(QStringLiteral("Power"), 2100.0);
    ds.post();
    ds.moveTo(1);
    ds.edit();
    ds.setValue(QStringLiteral("Title"), QStringLiteral("mine"));
    ds.post();
    ds.append();
    ds.setValue(QStringLiteral("UnitId"), 9);
    ds.setValue(QStringLiteral("Part"), 0);
    ds.post();

    // Another user changes a column that this data set changed as well.
    theyRun(QStringLiteral("UPDATE TTestUnit SET Title = 'theirs' WHERE UnitId = 2"));
    const std::vector<std::string> theirState = stored();
    ASSERT_NE(theirState, before);

    EXPECT_FALSE(ds.updateBatch(*mine, QStringLiteral("TTestUnit"), keys));
    EXPECT_THAT(ds.lastError().toStdString(), HasSubstr("changed by another user"));
    EXPECT_FALSE(mine->inTransaction());
    EXPECT_EQ(stored(), theirState);  // row 1 and the new row were not written either
    EXPECT_EQ(ds.changeCount(), 3);
    EXPECT_EQ(ds.rowStatus(0), RowStatus::Modified);
    EXPECT_EQ(ds.valueAt(1, 2).toString(), QStringLiteral("mine"));
    EXPECT_EQ(ds.rowStatus(2 + 2), RowStatus::Inserted);

    // A change of a column this data set did not touch is no conflict; once
    // the other user's title is back, the held changes can be written.
    theyRun(QStringLiteral("UPDATE TTestUnit SET Title = 'WTG 2', Power = 1 WHERE UnitId = 2"));
    ASSERT_TRUE(ds.updateBatch(*mine, QStringLiteral("TTestUnit"), keys)) << ds.lastError().toStdString();
    EXPECT_THAT(stored(), ::testing::ElementsAre("1/0 WTG 1 2100.0 1 2020-01-01 00:00:00",
                                                 "2/0 mine 1.0 0 2021-06-30 12:30:00", "3/0 - - - -",
                                                 "3/1 WTG 3b 1500.0 1 2022-02-02 02:02:02", "9/0 - - - -"));

    // A row deleted here that someone else already deleted is a conflict too.
    ds.moveTo(0);
    ds.deleteRow();
    theyRun(QStringLiteral("DELETE FROM TTestUnit WHERE UnitId = 1"));
    EXPECT_FALSE(ds.updateBatch(*mine, QStringLiteral("TTestUnit"), keys));
    EXPECT_THAT(ds.lastError().toStdString(), HasSubstr("changed by another user"));
    EXPECT_EQ(ds.changeCount(), 1);
    ds.cancelBatch();
    EXPECT_EQ(ds.recordCount(), 5);
}

TEST_F(DataSetUpdate, ErrorsRollBackAndAreReported) {
    DataSet ds;
    ASSERT_TRUE(openUnits(ds));
    const std::vector<std::string> before = stored();
    ds.moveTo(3);
    ds.edit();
    ds.setValue(QStringLiteral("Title"), QStringLiteral("written first"));
    ds.post();
    ds.append();  // a duplicate key: the database refuses it
    ds.setValue(QStringLiteral("UnitId"), 1);
    ds.setValue(QStringLiteral("Part"), 0);
    ds.post();
    EXPECT_FALSE(ds.updateBatch(*mine, QStringLiteral("TTestUnit"), keys));
    EXPECT_THAT(ds.lastError().toStdString(), HasSubstr("UNIQUE"));
    EXPECT_EQ(stored(), before);
    EXPECT_EQ(ds.changeCount(), 2);
    ds.cancelBatch();

    // A key that does not identify one row must not change several.
    theyRun(QStringLiteral("INSERT INTO TTestUnit VALUES (1, 1, 'WTG 1', 0, 0, NULL)"));
    const std::vector<std::string> withTwin = stored();
    ds.moveTo(0);
    ds.edit();
    ds.setValue(QStringLiteral("Title"), QStringLiteral("one of two"));
    ds.post();
    EXPECT_FALSE(ds.updateBatch(*mine, QStringLiteral("TTestUnit"), {QStringLiteral("UnitId")}));
    EXPECT_THAT(ds.lastError().toStdString(), HasSubstr("single row"));
    EXPECT_EQ(stored(), withTwin);
    EXPECT_FALSE(ds.updateBatch(*mine, QStringLiteral("TTestUnit"), {QStringLiteral("NoKey")}));
    EXPECT_FALSE(ds.updateBatch(*mine, QStringLiteral("TTestUnit"), {}));
    EXPECT_FALSE(ds.updateBatch(*mine, QStringLiteral("TNoSuchTable"), keys));
    EXPECT_EQ(ds.changeCount(), 1);

    // Opening with a failing statement leaves the data set closed.
    db::Command bad;
    bad.text = QStringLiteral("SELECT * FROM TNoSuchTable");
    EXPECT_FALSE(ds.open(*mine, bad));
    EXPECT_FALSE(ds.isOpen());
    EXPECT_THAT(ds.lastError().toStdString(), HasSubstr("no such table"));
    db::Command noRows;
    noRows.text = QStringLiteral("UPDATE TTestUnit SET Power = Power WHERE 0");
    EXPECT_FALSE(ds.open(*mine, noRows));
    EXPECT_FALSE(ds.lastError().isEmpty());
}

TEST_F(DataSetUpdate, JoinedColumnsAndTheCallersTransaction) {
    DataSet ds;
    db::Command c;
    c.text = QStringLiteral(
        "SELECT u.UnitId, u.Part, u.Title, 'Type ' || u.UnitId AS TypeName FROM TTestUnit u WHERE u.Part = "
        "?");
    c.parameters.push_back(
        {QStringLiteral("@Part"), db::FieldType::Integer, 4, db::ParameterDirection::Input, 0});
    ASSERT_TRUE(ds.open(*mine, c)) << ds.lastError().toStdString();
    ASSERT_EQ(ds.recordCount(), 3);
    ds.setPersistent(QStringLiteral("TypeName"), false);
    ds.first();
    ds.edit();
    ds.setValue(QStringLiteral("TypeName"), QStringLiteral("shown only"));
    ds.setValue(QStringLiteral("Title"), QStringLiteral("T1"));
    ds.post();
    ds.append();
    ds.setValue(QStringLiteral("UnitId"), 7);
    ds.setValue(QStringLiteral("Part"), 0);
    ds.setValue(QStringLiteral("TypeName"), QStringLiteral("shown only"));
    ds.post();

    // Inside the caller's transaction the batch joins it; the caller's
    // rollback takes the batch back, and the changes are still held.
    ASSERT_TRUE(mine->beginTransaction());
    ASSERT_TRUE(ds.updateBatch(*mine, QStringLiteral("TTestUnit"), keys)) << ds.lastError().toStdString();
    EXPECT_TRUE(mine->inTransaction());
    ASSERT_TRUE(mine->rollback());
    EXPECT_EQ(stored().size(), 4u);
    EXPECT_EQ(stored()[0], "1/0 WTG 1 2000.5 1 2020-01-01 00:00:00");
    EXPECT_EQ(ds.changeCount(), 2);

    // Through a shared connection, which connects on demand.
    db::SharedConnection shared(QStringLiteral("Database2"), database.factory());
    shared.setConnectionString(database.connectionString());
    ASSERT_TRUE(ds.updateBatch(shared, QStringLiteral("TTestUnit"), keys)) << ds.lastError().toStdString();
    EXPECT_EQ(stored().size(), 5u);
    EXPECT_EQ(stored()[0], "1/0 T1 2000.5 1 2020-01-01 00:00:00");
    EXPECT_FALSE(ds.hasChanges());
    DataSet again;
    ASSERT_TRUE(again.open(shared, c));
    EXPECT_EQ(again.recordCount(), 4);

    // Committed by the caller, then accepted.
    again.last();
    again.deleteRow();
    ASSERT_TRUE(shared.get()->beginTransaction());
    ASSERT_TRUE(again.updateBatch(shared, QStringLiteral("TTestUnit"), keys));
    EXPECT_EQ(again.changeCount(), 1);
    ASSERT_TRUE(shared.get()->commit());
    again.acceptChanges();
    EXPECT_FALSE(again.hasChanges());
    EXPECT_EQ(again.recordCount(), 3);
    EXPECT_EQ(stored().size(), 4u);
    db::SharedConnection nowhere(QStringLiteral("Database"), database.factory());
    nowhere.setConnectionString(QStringLiteral("Provider=Embedded;Data Source=/nonexistent/x.db"));
    EXPECT_FALSE(again.open(nowhere, c));
    EXPECT_FALSE(again.isOpen());
    EXPECT_FALSE(again.lastError().isEmpty());
}

}  // namespace

namespace {

TEST(DataSetUpdateNames, QuotesTableAndColumnNames) {
    testing_support::TempDatabase database;
    ASSERT_TRUE(database.isValid());
    database.exec(
        QStringLiteral("CREATE TABLE \"Odd Table\" (\"Key Id\" INTEGER PRIMARY KEY, \"Na\"\"me\" TEXT);"
                       "INSERT INTO \"Odd Table\" VALUES (1, 'a');"));
    auto connection = database.connect();
    db::DataSet ds;
    db::Command c;
    c.text = QStringLiteral("SELECT * FROM \"Odd Table\"");
    ASSERT_TRUE(ds.open(*connection, c)) << ds.lastError().toStdString();
    ASSERT_EQ(ds.field(1).name, QStringLiteral("Na\"me"));
    ds.edit();
    ds.setValue(1, QStringLiteral("b"));
    ds.post();
    ds.append();
    ds.setValue(0, 2);
    ds.setValue(1, QStringLiteral("c"));
    ds.post();
    ASSERT_TRUE(ds.updateBatch(*connection, QStringLiteral("Odd Table"), {QStringLiteral("Key Id")}))
        << ds.lastError().toStdString();
    const db::Result r =
        database.exec(QStringLiteral("SELECT group_concat(\"Na\"\"me\", ',') FROM \"Odd Table\""));
    EXPECT_EQ(r.resultSets.at(0).rows.at(0).at(0).toString(), QStringLiteral("b,c"));
}

}  // namespace
