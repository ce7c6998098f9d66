// The generic ODBC path, run against the SQLite ODBC driver registered in a
// private odbcinst.ini: parameters, result sets, errors, transactions,
// cancel and the optimistic batch update.

#include "db/DataSet.h"
#include "db/odbc/OdbcConnection.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <thread>

namespace {

using db::Command;
using db::FieldType;
using db::Parameter;
using db::ParameterDirection;

QString driverFile(const char* name) {
    for (const char* dir :
         {"/usr/lib/x86_64-linux-gnu/odbc", "/usr/lib/aarch64-linux-gnu/odbc", "/usr/lib/odbc"}) {
        const QString path = QString::fromLatin1(dir) + u'/' + QLatin1String(name);
        if (QFile::exists(path)) return path;
    }
    return {};
}

Parameter param(FieldType type, const QVariant& value) {
    Parameter p;
    p.type = type;
    p.value = value;
    return p;
}

class SqliteOdbcTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new QTemporaryDir;
        const QString sqlite = driverFile("libsqlite3odbc.so");
        if (sqlite.isEmpty()) return;
        QFile ini(dir_->filePath(QStringLiteral("odbcinst.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(QStringLiteral("[SQLite3]\nDriver=%1\n").arg(sqlite).toUtf8());
        ini.close();
        // The driver manager reads these when it first loads a driver.
        setenv("ODBCSYSINI", QFile::encodeName(dir_->path()).constData(), 1);
        setenv("ODBCINSTINI", "odbcinst.ini", 1);
        available_ = true;
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }

    void SetUp() override {
        if (!available_) GTEST_SKIP() << "the SQLite ODBC driver (libsqliteodbc) is not installed";
        static int counter = 0;
        connectionString_ = QStringLiteral("Driver={SQLite3};Database=%1")
                                .arg(dir_->filePath(QStringLiteral("t%1.db").arg(++counter)));
        a_ = open();
        ASSERT_TRUE(a_);
        run(*a_, QStringLiteral("CREATE TABLE T (Id INTEGER PRIMARY KEY, Title VARCHAR(50), Amount INTEGER, "
                                "Flag BIT, Ratio DOUBLE, Stamp TIMESTAMP)"));
    }

    std::unique_ptr<db::Connection> open() {
        QString error;
        auto connection = factory_(connectionString_, &error);
        EXPECT_TRUE(connection) << error.toStdString();
        return connection;
    }

    static db::Result run(db::Connection& c, const QString& sql, db::Parameters parameters = {}) {
        Command command;
        command.text = sql;
        command.parameters = std::move(parameters);
        db::Result result = c.execute(command);
        EXPECT_TRUE(result.ok()) << sql.toStdString() << ": " << result.error.toStdString();
        return result;
    }

    static QVariant scalar(db::Connection& c, const QString& sql) {
        const db::Result r = run(c, sql);
        if (r.resultSets.empty() || r.resultSets[0].rows.empty()) return {};
        return r.resultSets[0].rows[0][0];
    }

    static QTemporaryDir* dir_;
    static bool available_;
    db::ConnectionFactory factory_ = db::odbc::withServerBackend({});
    QString connectionString_;
    std::unique_ptr<db::Connection> a_;
};

QTemporaryDir* SqliteOdbcTest::dir_ = nullptr;
bool SqliteOdbcTest::available_ = false;

TEST_F(SqliteOdbcTest, BoundValuesOfEveryTypeRoundTrip) {
    const QDateTime stamp(QDate(2026, 2, 28), QTime(23, 59, 58, 250));
    struct Case {
        QVariant title, amount, flag, ratio, stamp;
    };
    const Case cases[] = {
        {QStringLiteral("O'Brien's \"park\" – Ærø ☃"), 5000000000LL, true, -2.5, stamp},
        {QString(), QVariant(QMetaType::fromType<qlonglong>()), QVariant(QMetaType::fromType<bool>()),
         QVariant(QMetaType::fromType<double>()), QVariant(QMetaType::fromType<QDateTime>())},
        {QString(QLatin1String("")), -7, false, 0.125, QStringLiteral("2025-01-02 03:04:05")},
    };
    int id = 0;
    for (const Case& c : cases) {
        run(*a_, QStringLiteral("INSERT INTO T VALUES (?, ?, ?, ?, ?, ?)"),
            {param(FieldType::Integer, ++id), param(FieldType::String, c.title),
             param(FieldType::Integer, c.amount), param(FieldType::Boolean, c.flag),
             param(FieldType::Float, c.ratio), param(FieldType::DateTime, c.stamp)});
        const db::Result r =
            run(*a_, QStringLiteral("SELECT Title, Amount, Flag, Ratio, Stamp FROM T WHERE Id = ?"),
                {param(FieldType::Integer, id)});
        ASSERT_EQ(r.resultSets.size(), 1u);
        ASSERT_EQ(r.resultSets[0].rows.size(), 1u);
        const db::Row& row = r.resultSets[0].rows[0];
        SCOPED_TRACE(id);
        EXPECT_EQ(row[0].isNull(), c.title.isNull());
        EXPECT_EQ(row[0].toString(), c.title.toString());
        EXPECT_EQ(row[1].isNull(), c.amount.isNull());
        EXPECT_EQ(row[1].toLongLong(), c.amount.toLongLong());
        EXPECT_EQ(row[2].isNull(), c.flag.isNull());
        EXPECT_EQ(row[2].toBool(), c.flag.toBool());
        EXPECT_DOUBLE_EQ(row[3].toDouble(), c.ratio.toDouble());
        EXPECT_EQ(row[4].isNull(), c.stamp.isNull());
        if (!c.stamp.isNull())
            EXPECT_EQ(row[4].toDateTime(), c.stamp.typeId() == QMetaType::QDateTime
                                               ? c.stamp.toDateTime()
                                               : QDateTime(QDate(2025, 1, 2), QTime(3, 4, 5)));
    }
    const db::Result columns = run(*a_, QStringLiteral("SELECT Id, Title, Ratio, Stamp FROM T"));
    ASSERT_EQ(columns.resultSets.size(), 1u);
    const auto& set = columns.resultSets[0];
    EXPECT_EQ(set.columns[0].type, FieldType::Integer);
    EXPECT_EQ(set.columns[1].type, FieldType::String);
    EXPECT_EQ(set.columns[2].type, FieldType::Float);
    EXPECT_EQ(set.columns[3].type, FieldType::DateTime);
    EXPECT_EQ(set.columnIndex(QStringLiteral("title")), 1);
}

TEST_F(SqliteOdbcTest, ReadsLongValuesAndReportsErrorsWithTheirText) {
    // A long text comes back whole, read piece by piece.
    const QString longText(20000, u'ä');
    run(*a_, QStringLiteral("INSERT INTO T (Id, Title) VALUES (1, ?)"), {param(FieldType::String, longText)});
    EXPECT_EQ(scalar(*a_, QStringLiteral("SELECT Title FROM T")).toString(), longText);

    Command bad;
    bad.text = QStringLiteral("SELECT * FROM NoSuchTable");
    const db::Result failed = a_->execute(bad);
    EXPECT_FALSE(failed.ok());
    EXPECT_TRUE(failed.error.contains(QStringLiteral("no such table: NoSuchTable")))
        << failed.error.toStdString();
    EXPECT_FALSE(failed.error.contains(u'[')) << "driver prefixes are not the user's business";

    Command unpaired;
    unpaired.text = QStringLiteral("SELECT * FROM T WHERE Id = ?");
    EXPECT_FALSE(a_->execute(unpaired).ok());
    // The connection is still usable after failures.
    EXPECT_EQ(scalar(*a_, QStringLiteral("SELECT count(*) FROM T")).toInt(), 1);
}

TEST_F(SqliteOdbcTest, RollbackLeavesTheTableAsItWasAndCommitKeepsTheRows) {
    run(*a_, QStringLiteral("INSERT INTO T (Id, Title) VALUES (1, 'kept')"));
    for (const bool keep : {false, true}) {
        ASSERT_TRUE(a_->beginTransaction());
        EXPECT_TRUE(a_->inTransaction());
        run(*a_, QStringLiteral("INSERT INTO T (Id, Title) VALUES (2, 'new')"));
        run(*a_, QStringLiteral("UPDATE T SET Title = 'changed' WHERE Id = 1"));
        QString error;
        ASSERT_TRUE(keep ? a_->commit(&error) : a_->rollback(&error)) << error.toStdString();
        EXPECT_FALSE(a_->inTransaction());
        auto other = open();
        EXPECT_EQ(scalar(*other, QStringLiteral("SELECT count(*) FROM T")).toInt(), keep ? 2 : 1);
        EXPECT_EQ(scalar(*other, QStringLiteral("SELECT Title FROM T WHERE Id = 1")).toString(),
                  keep ? QStringLiteral("changed") : QStringLiteral("kept"));
    }
}

TEST_F(SqliteOdbcTest, AnInterruptFromAnotherThreadEndsALongStatementPromptly) {
    Command endless;
    endless.text = QStringLiteral(
        "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 2000000000) SELECT "
        "count(*) FROM c");
    QElapsedTimer clock;
    clock.start();
    std::thread canceller([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        a_->interrupt();
    });
    const db::Result result = a_->execute(endless);
    canceller.join();
    EXPECT_FALSE(result.ok());
    EXPECT_LT(clock.elapsed(), 5000);
    // The interrupt was for that statement only.
    EXPECT_EQ(scalar(*a_, QStringLiteral("SELECT 3")).toInt(), 3);

    // One given while nothing runs stops the next statement, and only that one.
    a_->interrupt();
    Command next;
    next.text = QStringLiteral("SELECT 1");
    EXPECT_EQ(a_->execute(next).error, QStringLiteral("interrupted"));
    EXPECT_TRUE(a_->execute(next).ok());
}

TEST_F(SqliteOdbcTest, BatchUpdateWritesHeldChangesAndRefusesARowChangedElsewhere) {
    run(*a_, QStringLiteral("INSERT INTO T (Id, Title, Amount) VALUES (1, 'one', 10), (2, 'two', 20)"));
    auto sibling = a_->openSibling();
    ASSERT_TRUE(sibling);

    db::DataSet data;
    Command select;
    select.text = QStringLiteral("SELECT Id, Title, Amount FROM T ORDER BY Id");
    ASSERT_TRUE(data.open(*a_, select)) << data.lastError().toStdString();
    ASSERT_TRUE(data.moveTo(0));
    ASSERT_TRUE(data.edit());
    ASSERT_TRUE(data.setValue(QStringLiteral("Title"), QStringLiteral("it's one")));
    ASSERT_TRUE(data.post());
    ASSERT_TRUE(data.append());
    ASSERT_TRUE(data.setValue(QStringLiteral("Id"), 3));
    ASSERT_TRUE(data.setValue(QStringLiteral("Title"), QStringLiteral("three")));
    ASSERT_TRUE(data.post());
    ASSERT_TRUE(data.updateBatch(*a_, QStringLiteral("T"), {QStringLiteral("Id")}))
        << data.lastError().toStdString();
    EXPECT_EQ(scalar(*sibling, QStringLiteral("SELECT Title FROM T WHERE Id = 1")).toString(),
              QStringLiteral("it's one"));
    EXPECT_EQ(scalar(*sibling, QStringLiteral("SELECT count(*) FROM T")).toInt(), 3);

    // Someone else changes row 2 after it was read: the batch writes nothing.
    ASSERT_TRUE(data.moveTo(1));
    ASSERT_TRUE(data.edit());
    ASSERT_TRUE(data.setValue(QStringLiteral("Amount"), 21));
    ASSERT_TRUE(data.post());
    ASSERT_TRUE(data.moveTo(2));
    ASSERT_TRUE(data.deleteRow());
    run(*sibling, QStringLiteral("UPDATE T SET Amount = 99 WHERE Id = 2"));
    EXPECT_FALSE(data.updateBatch(*a_, QStringLiteral("T"), {QStringLiteral("Id")}));
    EXPECT_TRUE(data.lastError().contains(QStringLiteral("changed by another user")))
        << data.lastError().toStdString();
    EXPECT_TRUE(data.hasChanges());
    EXPECT_FALSE(a_->inTransaction());
    EXPECT_EQ(scalar(*sibling, QStringLiteral("SELECT Amount FROM T WHERE Id = 2")).toInt(), 99);
    EXPECT_EQ(scalar(*sibling, QStringLiteral("SELECT count(*) FROM T")).toInt(), 3);
}

}  // namespace
