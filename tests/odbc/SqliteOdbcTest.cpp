// The generic ODBC path, run against the SQLite ODBC driver registered in a
// private odbcinst.ini: parameters, errors, transactions, cancel and the
// optimistic batch update.

#include "db/DataSet.h"
#include "db/odbc/OdbcConnection.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <thread>

namespace {

using db::FieldType;

db::Parameter param(FieldType type, const QVariant& value) {
    return {{}, type, 0, db::ParameterDirection::Input, value};
}

class SqliteOdbcTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new QTemporaryDir;
        for (const char* lib : {"/usr/lib/x86_64-linux-gnu/odbc", "/usr/lib/aarch64-linux-gnu/odbc"}) {
            const QString driver = QString::fromLatin1(lib) + QStringLiteral("/libsqlite3odbc.so");
            QFile ini(dir_->filePath(QStringLiteral("odbcinst.ini")));
            if (!QFile::exists(driver) || !ini.open(QIODevice::WriteOnly)) continue;
            ini.write("[SQLite3]\nDriver=" + driver.toUtf8() + '\n');
            // The driver manager reads these when it first loads a driver.
            setenv("ODBCSYSINI", QFile::encodeName(dir_->path()).constData(), 1);
            setenv("ODBCINSTINI", "odbcinst.ini", 1);
            available_ = true;
            return;
        }
    }
    static void TearDownTestSuite() { delete dir_; }

    void SetUp() override {
        if (!available_) GTEST_SKIP() << "the SQLite ODBC driver (libsqliteodbc) is not installed";
        static int counter = 0;
        connectionString_ =
            QStringLiteral("Driver={SQLite3};Database=%1").arg(dir_->filePath(QString::number(++counter)));
        a_ = open();
        ASSERT_TRUE(a_);
        run(*a_,
            "CREATE TABLE T (Id INTEGER PRIMARY KEY, Title VARCHAR(50), Amount INTEGER, Flag BIT, "
            "Ratio DOUBLE, Stamp TIMESTAMP)");
    }

    std::unique_ptr<db::Connection> open() {
        QString error;
        auto connection = db::odbc::withServerBackend({})(connectionString_, &error);
        EXPECT_TRUE(connection) << error.toStdString();
        return connection;
    }

    static db::Result run(db::Connection& c, const QString& sql, db::Parameters parameters = {}) {
        db::Command command{db::CommandType::Text, sql, std::move(parameters)};
        db::Result result = c.execute(command);
        EXPECT_TRUE(result.ok()) << sql.toStdString() << ": " << result.error.toStdString();
        return result;
    }
    static QVariant scalar(db::Connection& c, const QString& sql) {
        const db::Result r = run(c, sql);
        return r.resultSets.empty() || r.resultSets[0].rows.empty() ? QVariant() : r.resultSets[0].rows[0][0];
    }

    static inline QTemporaryDir* dir_ = nullptr;
    static inline bool available_ = false;
    QString connectionString_;
    std::unique_ptr<db::Connection> a_;
};

TEST_F(SqliteOdbcTest, BoundValuesOfEveryTypeRoundTrip) {
    const QDateTime stamp(QDate(2026, 2, 28), QTime(23, 59, 58, 250));
    const QVariantList cases[] = {
        {QStringLiteral("O'Brien's \"park\" – Ærø ☃"), 5000000000LL, true, -2.5, stamp},
        {QString(), QVariant(QMetaType::fromType<qlonglong>()), QVariant(QMetaType::fromType<bool>()),
         QVariant(QMetaType::fromType<double>()), QVariant(QMetaType::fromType<QDateTime>())},
        // A date-time given as text, as AddParameter keeps it.
        {QStringLiteral(""), -7, false, 0.125, QStringLiteral("2025-01-02 03:04:05")},
    };
    const FieldType types[] = {FieldType::String, FieldType::Integer, FieldType::Boolean, FieldType::Float,
                               FieldType::DateTime};
    for (int id = 0; id < 3; ++id) {
        db::Parameters values{param(FieldType::Integer, id)};
        for (int f = 0; f < 5; ++f) values.push_back(param(types[f], cases[id][f]));
        run(*a_, "INSERT INTO T VALUES (?, ?, ?, ?, ?, ?)", values);
        const db::Result r =
            run(*a_, "SELECT Title, Amount, Flag, Ratio, Stamp FROM T WHERE Id = ?", {values[0]});
        ASSERT_EQ(r.resultSets.size(), 1u);
        ASSERT_EQ(r.resultSets[0].rows.size(), 1u);
        for (int f = 0; f < 5; ++f) {
            const QVariant& read = r.resultSets[0].rows[0][size_t(f)];
            EXPECT_EQ(r.resultSets[0].columns[size_t(f)].type, types[f]) << f;
            EXPECT_EQ(read.isNull(), cases[id][f].isNull()) << id << f;
            const QVariant expected =
                f == 4 && id == 2 ? QDateTime(QDate(2025, 1, 2), QTime(3, 4, 5)) : cases[id][f];
            if (!expected.isNull()) {
                EXPECT_EQ(read.toString(), expected.toString()) << id << f;
            }
        }
    }
}

TEST_F(SqliteOdbcTest, LongValuesAndErrorsWithTheirText) {
    const QString longText(20000, u'ä');  // read back piece by piece
    run(*a_, "INSERT INTO T (Id, Title) VALUES (1, ?)", {param(FieldType::String, longText)});
    EXPECT_EQ(scalar(*a_, "SELECT Title FROM T").toString(), longText);
    db::Parameter id{QStringLiteral("Id"), FieldType::Integer, 0, db::ParameterDirection::Input, 1};
    EXPECT_EQ(run(*a_, "SELECT length(Title) FROM T WHERE Id = :Id", {id}).resultSets.at(0).rows.size(), 1u);

    db::Command bad{db::CommandType::Text, QStringLiteral("SELECT * FROM NoSuchTable"), {}};
    const db::Result failed = a_->execute(bad);
    EXPECT_TRUE(failed.error.contains(QStringLiteral("no such table: NoSuchTable")))
        << failed.error.toStdString();
    EXPECT_FALSE(failed.error.contains(u'[')) << "driver prefixes are not the user's business";
    EXPECT_EQ(scalar(*a_, "SELECT count(*) FROM T").toInt(), 1);
}

TEST_F(SqliteOdbcTest, RollbackLeavesTheTableAsItWasAndCommitKeepsTheRows) {
    run(*a_, "INSERT INTO T (Id, Title) VALUES (1, 'kept')");
    for (const bool keep : {false, true}) {
        ASSERT_TRUE(a_->beginTransaction());
        run(*a_, "INSERT INTO T (Id, Title) VALUES (2, 'new')");
        run(*a_, "UPDATE T SET Title = 'changed' WHERE Id = 1");
        QString error;
        ASSERT_TRUE(keep ? a_->commit(&error) : a_->rollback(&error)) << error.toStdString();
        EXPECT_FALSE(a_->inTransaction());
        EXPECT_EQ(scalar(*open(), "SELECT group_concat(Title) FROM T").toString(),
                  keep ? "changed,new" : "kept");
    }
}

TEST_F(SqliteOdbcTest, AnInterruptFromAnotherThreadEndsALongStatementPromptly) {
    db::Command endless{db::CommandType::Text,
                        QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c "
                                       "WHERE x < 2000000000) SELECT count(*) FROM c"),
                        {}};
    QElapsedTimer clock;
    clock.start();
    std::thread canceller([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        a_->interrupt();
    });
    EXPECT_FALSE(a_->execute(endless).ok());
    canceller.join();
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_EQ(scalar(*a_, "SELECT 3").toInt(), 3);  // that statement only

    // One given while nothing runs stops the next statement, and only that one.
    a_->interrupt();
    db::Command next{db::CommandType::Text, QStringLiteral("SELECT 1"), {}};
    EXPECT_EQ(a_->execute(next).error, QStringLiteral("interrupted"));
    EXPECT_TRUE(a_->execute(next).ok());
}

TEST_F(SqliteOdbcTest, BatchUpdateWritesHeldChangesAndRefusesARowChangedElsewhere) {
    run(*a_, "INSERT INTO T (Id, Title, Amount) VALUES (1, 'one', 10), (2, 'two', 20)");
    auto sibling = a_->openSibling();
    ASSERT_TRUE(sibling);
    db::DataSet data;
    db::Command select{
        db::CommandType::Text, QStringLiteral("SELECT Id, Title, Amount FROM T ORDER BY Id"), {}};
    ASSERT_TRUE(data.open(*a_, select)) << data.lastError().toStdString();
    const auto change = [&](int row, const char* field, const QVariant& value) {
        ASSERT_TRUE(row < 0 ? data.append() : data.moveTo(row) && data.edit());
        ASSERT_TRUE(data.setValue(QLatin1String(field), value));
        ASSERT_TRUE(data.post());
    };
    const auto contents = [&] {
        return scalar(*sibling, "SELECT group_concat(Id || coalesce(Title, '-') || Amount) FROM T")
            .toString();
    };
    change(0, "Title", "it's");
    change(-1, "Id", 3);
    change(2, "Amount", 30);
    ASSERT_TRUE(data.updateBatch(*a_, "T", {"Id"})) << data.lastError().toStdString();
    EXPECT_EQ(contents().toStdString(), "1it's10,2two20,3-30");

    // Someone else changes row 2 after it was read: the batch writes nothing.
    change(1, "Amount", 21);
    ASSERT_TRUE(data.moveTo(2) && data.deleteRow());
    run(*sibling, "UPDATE T SET Amount = 99 WHERE Id = 2");
    EXPECT_FALSE(data.updateBatch(*a_, "T", {"Id"}));
    EXPECT_TRUE(data.lastError().contains("changed by another user")) << data.lastError().toStdString();
    EXPECT_TRUE(data.hasChanges());
    EXPECT_FALSE(a_->inTransaction());
    EXPECT_EQ(contents().toStdString(), "1it's10,2two99,3-30");
}

}  // namespace
