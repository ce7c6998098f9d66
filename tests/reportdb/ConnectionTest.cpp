// The embedded connection with plain SQL: result sets and their types,
// parameters, several statements, errors, the connection factory, and the
// date-time texts the database holds; transactions of procedure calls and
// of callers, interrupting a running statement from another thread, and
// command time-outs.

#include "ReportDbTestSupport.h"
#include "reportdb/EmbeddedDatabase.h"
#include "reportdb/ProcedureRegistry.h"
#include "reportdb/SqliteUtil.h"

#include <gtest/gtest.h>
#include <QTemporaryDir>
#include <QTimeZone>
#include <future>

using namespace reportdb_tests;
using db::FieldType;
using reportdb::Arguments;
using reportdb::ProcedureContext;
using reportdb::ProcedureParameter;
using reportdb::ProcedureResult;
using testing_support::Gate;
using testing_support::TempDatabase;

namespace {

db::Parameter param(const QString& name, const QVariant& value) {
    db::Parameter p;
    p.name = name;
    p.value = value;
    return p;
}

}  // namespace

TEST(EmbeddedConnection, SqlTextReturnsTypedResultSetsInOrder) {
    TempDatabase database;
    auto connection = database.connect();
    ASSERT_TRUE(connection);

    const db::Result insert =
        run(*connection,
            "INSERT INTO TReportProfile (ReportProfileTitle, ReportProfileDescription, "
            "ReportProfileShadowDataStartPCTimeStamp, UseSeaLevel) VALUES ('North', 'first', "
            "'2024-03-01 00:10:00', 1), ('South', NULL, NULL, 0);"
            "UPDATE TReportProfile SET ReportProfileStatus = 2");
    ASSERT_TRUE(insert.ok()) << insert.error.toStdString();
    EXPECT_TRUE(insert.resultSets.empty());
    EXPECT_EQ(insert.rowsAffected, 4);  // two inserted, two updated

    const db::Result result = run(
        *connection,
        "SELECT [ReportProfileId], ReportProfileTitle, ReportProfileDescription, "
        "ReportProfileShadowDataStartPCTimeStamp, UseSeaLevel, AvailabilityContract FROM [TReportProfile] "
        "ORDER BY ReportProfileId;"
        "SELECT count(*) AS N, 1.5 AS Half, x'00ff' AS Bytes FROM TReportProfile WHERE 0");
    ASSERT_EQ(result.resultSets.size(), 2u) << result.error.toStdString();
    const db::ResultSet& profiles = result.resultSets[0];
    // Types from the declared columns; a column's default; NULL as a null
    // value of the column's type.
    using db::FieldType;
    std::vector<FieldType> types;
    for (const db::Column& column : profiles.columns) types.push_back(column.type);
    EXPECT_EQ(types, (std::vector{FieldType::Integer, FieldType::String, FieldType::String,
                                  FieldType::DateTime, FieldType::Boolean, FieldType::String}));
    EXPECT_EQ(profiles.columns[1].size, 100);
    EXPECT_EQ(lines(profiles), (QStringList{"1|North|first|2024-03-01T00:10:00.000|true|RTV2100",
                                            "2|South|NULL|NULL|false|RTV2100"}));
    EXPECT_EQ(profiles.rows[0][0].typeId(), QMetaType::LongLong);
    EXPECT_EQ(profiles.rows[0][3].typeId(), QMetaType::QDateTime);
    EXPECT_EQ(profiles.rows[1][2].typeId(), QMetaType::QString);

    // An aggregate query that matches nothing still yields its one row; the
    // expression columns take their types from the values.
    const db::ResultSet& aggregate = result.resultSets[1];
    EXPECT_EQ(aggregate.columns[0].type, FieldType::Integer);
    EXPECT_EQ(aggregate.columns[1].type, FieldType::Float);
    EXPECT_EQ(aggregate.rows, (std::vector<db::Row>{{qlonglong(0), 1.5, QByteArray("\x00\xff", 2)}}));
}

TEST(EmbeddedConnection, BindsCommandParametersByNameOrPosition) {
    TempDatabase database;
    auto connection = database.connect();
    ASSERT_TRUE(connection);

    const QDateTime start(QDate(2023, 12, 31), QTime(23, 59, 30));
    const db::Result insert =
        run(*connection,
            "INSERT INTO TReportProfile (ReportProfileTitle, ReportProfileLocked, UseIECReporting, "
            "ReportProfileShadowDataStartPCTimeStamp) VALUES (:Title, @Locked, :Iec, :Start)",
            {param("@Title", "O'Brien's \"park\""), param("Locked", 1), param(":Iec", true),
             param("Start", start)});
    ASSERT_EQ(insert.rowsAffected, 1) << insert.error.toStdString();

    // "?" takes the parameters in order, skipping a return-value parameter.
    const db::Result read =
        run(*connection,
            "SELECT ReportProfileTitle, ReportProfileShadowDataStartPCTimeStamp, UseIECReporting "
            "FROM TReportProfile WHERE ReportProfileLocked = ? AND ReportProfileTitle LIKE ?",
            {output("@ReturnValue", db::ParameterDirection::ReturnValue), param("a", 1), param("b", "O'B%")});
    ASSERT_TRUE(read.ok()) << read.error.toStdString();
    EXPECT_EQ(read.resultSets.at(0).rows,
              (std::vector<db::Row>{{QString("O'Brien's \"park\""), start, true}}));

    // A parameter without a value is an error, not a silent NULL.
    EXPECT_TRUE(
        run(*connection, "SELECT * FROM TReportProfile WHERE ReportProfileId = :Id").error.contains(":Id"));
}

TEST(EmbeddedConnection, ErrorsCarryTheDatabaseMessageAndStopTheText) {
    TempDatabase database;
    auto connection = database.connect();
    ASSERT_TRUE(connection);
    const struct {
        const char* sql;
        const char* error;
    } cases[] = {
        {"SELECT FROM WHERE", "syntax error"},
        // As on the server, a batch that starts with an unknown word is a call.
        {"SELEC 1", "Could not find stored procedure 'SELEC'."},
        {"SELECT * FROM TNoSuchTable", "no such table: TNoSuchTable"},
        {"INSERT INTO TUser_TReportProfile (UserId, ReportProfileId) VALUES (7, 9)", "FOREIGN KEY"},
        // The statements before the failing one run, those after it do not.
        {"INSERT INTO TUser (UserInitials) VALUES ('AB'); INSERT INTO TNoSuchTable VALUES (1); "
         "INSERT INTO TUser (UserInitials) VALUES ('CD')",
         "no such table"},
    };
    for (const auto& c : cases) EXPECT_TRUE(run(*connection, c.sql).error.contains(c.error)) << c.sql;
    EXPECT_EQ(lines(*connection, "SELECT UserInitials FROM TUser"), QStringList{"AB"});
    // Blank text and comments run nothing and succeed.
    EXPECT_TRUE(run(*connection, "  -- nothing\n").ok());
}

TEST(EmbeddedDatabase, FactoryReadsTheConnectionStringAndSharesOneServerPerFile) {
    TempDatabase database("3.9.0.0");
    auto factory = reportdb::makeConnectionFactory();
    QString error;

    auto first = factory(database.connectionString(), &error);
    ASSERT_TRUE(first) << error.toStdString();
    // Keys in any case and order, quoted values, other keys ignored.
    auto second = factory(
        QStringLiteral(" data SOURCE = \"%1\" ; Catalog=Reporting;provider=embedded ;").arg(database.path()),
        &error);
    ASSERT_TRUE(second) << error.toStdString();
    auto* a = dynamic_cast<reportdb::EmbeddedConnection*>(first.get());
    auto* b = dynamic_cast<reportdb::EmbeddedConnection*>(second.get());
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->server(), b->server());
    EXPECT_EQ(a->server()->versionText(), "3.9.0.0");
    EXPECT_EQ(first->databaseName(), "reporting");

    // What one connection writes the other sees.
    ASSERT_TRUE(run(*first, "INSERT INTO TUser (UserInitials) VALUES ('XY')").ok());
    EXPECT_EQ(scalar(*second, "SELECT count(*) FROM TUser").toInt(), 1);
    auto sibling = first->openSibling(&error);
    ASSERT_TRUE(sibling) << error.toStdString();
    EXPECT_EQ(scalar(*sibling, "SELECT count(*) FROM TUser").toInt(), 1);

    EXPECT_FALSE(factory("Provider=SQLOLEDB.1;Data Source=server;Initial Catalog=x", &error));
    EXPECT_EQ(error, "The database provider 'SQLOLEDB.1' is not supported by this build");
    EXPECT_FALSE(factory("Data Source=" + database.path(), &error));
    EXPECT_EQ(error, "The connection string names no database provider");
    EXPECT_FALSE(factory("Provider=Embedded", &error));
    EXPECT_TRUE(error.contains("Data Source")) << error.toStdString();

    // A missing file is an error and is not created.
    const QString missing = database.folder() + "/missing.db";
    EXPECT_FALSE(factory("Provider=Embedded;Data Source=" + missing, &error));
    EXPECT_TRUE(error.contains("does not exist")) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(missing));
}

// A new database records the version it is given (or the default); a
// version text that is not one is refused and writes no file.
TEST(EmbeddedDatabase, CreateDatabaseRecordsItsVersion) {
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(reportdb::createDatabase(dir.filePath("bad.db"), "3.x", &error));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("bad.db")));
    for (const auto& [version, recorded] : {std::pair{"2.30", "2.30"}, std::pair{"", "3.28.0.0"}}) {
        const QString path = dir.filePath(QStringLiteral("v%1.db").arg(version));
        ASSERT_TRUE(reportdb::createDatabase(path, version, &error)) << error.toStdString();
        EXPECT_EQ(reportdb::Server::open(path, &error)->versionText(), recorded);
    }
}

// Date-times in every shape the database may hold: as this program writes
// them (and its heartbeats in UTC), as SQLite's date functions write them
// (datetime(), date(), strftime with %f), as ISO 8601 writers do with a "T"
// and as the server's unseparated form; read as such from a DATETIME
// column. Anything else is no date (and such a column gives back its text).
TEST(DateTimeText, TheStoredShapesAndTheRest) {
    using reportdb::sqlite::parseDateTime;
    const QDate day(2024, 2, 29);
    std::vector<std::pair<const char*, QDateTime>> cases = {
        {"2024-02-29 07:05:09", QDateTime(day, QTime(7, 5, 9))},
        {"2024-02-29 07:05:09.250", QDateTime(day, QTime(7, 5, 9, 250))},
        {"2024-02-29 07:05:09.250Z", QDateTime(day, QTime(7, 5, 9, 250), Qt::UTC)},
        {"2024-02-29", day.startOfDay()},
        {"2024-02-29 07:05", QDateTime(day, QTime(7, 5))},
        {"2024-02-29T07:05", QDateTime(day, QTime(7, 5))},
        {"2024-02-29T07:05:09", QDateTime(day, QTime(7, 5, 9))},
        {"2024-02-29T07:05:09.007", QDateTime(day, QTime(7, 5, 9, 7))},
        {"2024-02-29T07:05:09Z", QDateTime(day, QTime(7, 5, 9), Qt::UTC)},
        {"20240229 07:05:09", QDateTime(day, QTime(7, 5, 9))},
        {" 2024-02-29 07:05:09 ", QDateTime(day, QTime(7, 5, 9))},
        {"1900-01-01 00:00:00", QDate(1900, 1, 1).startOfDay()},
        {"9999-12-31 23:59:59.999", QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59, 999))},
    };
    for (const char* text : {"2023-02-29", "2024-13-01", "2024-04-31", "2024-00-10", "2024-02-29 24:00",
                             "2024-02-29 07:60:00", "2024-02-29 07:05:60", "2024-02-29 07:05:09x",
                             "2024-02-29 7:05", "2024-2-29", "2024/02/29", "29.02.2024", "02/29/2024",
                             "Turbine 2024-02-29", "", "Z", "2024-02-29 07:05:09ZZ", "2024-02-29 25:05:09Z"})
        cases.push_back({text, QDateTime()});
    TempDatabase database;
    auto connection = database.connect();
    ASSERT_TRUE(run(*connection, "CREATE TABLE TDates (Id INTEGER PRIMARY KEY, Stamp DATETIME)").ok());
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        const QDateTime parsed = parseDateTime(QString::fromLatin1(text));
        EXPECT_EQ(parsed, expected);
        EXPECT_EQ(parsed.timeSpec(), expected.timeSpec());
        run(*connection, "DELETE FROM TDates; INSERT INTO TDates VALUES (1, ?)",
            {param("", QString::fromLatin1(text))});
        EXPECT_EQ(scalar(*connection, "SELECT Stamp FROM TDates"),
                  expected.isValid() ? QVariant(expected) : QVariant(QString::fromLatin1(text)));
    }

    // The server's unseparated date, as call texts give it (a DATETIME
    // column would keep it as a number).
    EXPECT_EQ(parseDateTime("20240229"), day.startOfDay());

    // The forms this program writes, read back; instants in UTC.
    for (const QDateTime& value : {QDateTime(day, QTime(7, 5, 9)), QDateTime(day, QTime(7, 5, 9, 250))})
        EXPECT_EQ(parseDateTime(reportdb::sqlite::dateTimeText(value)), value);
    EXPECT_EQ(reportdb::sqlite::dateTimeText(QDateTime(day, QTime(7, 5, 9, 250))), "2024-02-29 07:05:09.250");
    EXPECT_EQ(reportdb::sqlite::utcDateTimeText(QDateTime(day, QTime(3, 0, 10), QTimeZone(2 * 3600))),
              "2024-02-29 01:00:10.000Z");
}

// A text run again reuses its prepared statement: the new values must count,
// a failed run must not spoil the next, and texts of several statements run
// whole every time.
TEST(StatementReuse, RepeatedTextsTakeTheirNewValues) {
    TempDatabase database;
    auto connection = database.connect();
    ASSERT_TRUE(connection);
    ASSERT_TRUE(run(*connection, "CREATE TABLE TReuse (Id INTEGER PRIMARY KEY, Title TEXT NOT NULL)").ok());
    const auto insert = [&](const QVariant& id, const QVariant& title) {
        return run(*connection, "INSERT INTO TReuse (Id, Title) VALUES (?, ?)",
                   {param("", id), param("", title)})
            .ok();
    };
    for (int id = 1; id <= 3; ++id) ASSERT_TRUE(insert(id, QStringLiteral("T%1").arg(id)));
    // A refused run (a null title, then a doubled key) and the next one.
    EXPECT_FALSE(insert(4, QVariant()));
    EXPECT_FALSE(insert(1, "again"));
    EXPECT_TRUE(insert(4, "T4"));
    // A select run twice sees the rows written between the runs.
    const QString select = QStringLiteral("SELECT count(*), max(Title) FROM TReuse WHERE Id >= ?");
    EXPECT_EQ(lines(run(*connection, select, {param("", 2)}).resultSets.at(0)), QStringList{"3|T4"});
    query(*connection, "DELETE FROM TReuse WHERE Id = 4");
    EXPECT_EQ(lines(run(*connection, select, {param("", 2)}).resultSets.at(0)), QStringList{"2|T3"});
    // Two statements in one text run both, each time.
    const QString two = "UPDATE TReuse SET Title = Title || 'x'; SELECT Title FROM TReuse WHERE Id = 1";
    EXPECT_EQ(scalar(*connection, two), QVariant("T1x"));
    EXPECT_EQ(scalar(*connection, two), QVariant("T1xx"));
}

namespace {

// Counts far beyond what finishes within a test run: only an interrupt ends it.
const QString kEndlessQuery = QStringLiteral(
    "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 50000000000) SELECT max(x) "
    "FROM c");

// TEST_SP_AddUser @Initials, @Fail, @UserId OUTPUT: inserts a user; with
// @Fail = 1 it fails afterwards, with @Fail = 2 it fails through bad SQL.
// TEST_SP_Endless: inserts a user, passes point 0 of `gate` (if any), then
// runs the endless query.
std::shared_ptr<reportdb::ProcedureRegistry> testRegistry(Gate* gate = nullptr) {
    auto registry = reportdb::standardRegistry();
    registry->add("TEST_SP_AddUser",
                  {ProcedureParameter::input("@Initials", FieldType::String),
                   ProcedureParameter::optional("@Fail", FieldType::Integer, 0),
                   ProcedureParameter::out("@UserId", FieldType::Integer)},
                  [](ProcedureContext& context, const Arguments& args) {
                      context.exec("INSERT INTO TUser (UserInitials) VALUES (?); -- one statement",
                                   {args.value("@Initials")});
                      ProcedureResult result;
                      result.outputs["@UserId"] = context.lastInsertId();
                      if (args.toInt("@Fail") == 1) return ProcedureResult::failure("User rejected");
                      if (args.toInt("@Fail") == 2) context.exec("INSERT INTO TNoSuchTable VALUES (1)");
                      return result;
                  });
    registry->add("TEST_SP_Endless", {}, [gate](ProcedureContext& context, const Arguments&) {
        context.exec("INSERT INTO TUser (UserInitials) VALUES ('EN')");
        if (gate) gate->pass(0);
        ProcedureResult result;
        result.resultSets.push_back(context.query(kEndlessQuery));
        return result;
    });
    return registry;
}

QStringList userInitials(db::Connection& connection) {
    QStringList out;
    const db::Result result = run(connection, "SELECT UserInitials FROM TUser ORDER BY UserId");
    EXPECT_TRUE(result.ok()) << result.error.toStdString();
    for (const auto& row : result.resultSets.at(0).rows) out << row[0].toString();
    return out;
}

}  // namespace

TEST(Transactions, AFailedCallLeavesNothingBehind) {
    TempDatabase database("3.28.0.0", testRegistry());
    auto connection = database.connect();
    ASSERT_TRUE(connection);

    db::Command command;
    command.text = "TEST_SP_AddUser 'AA', 0, :UserId OUTPUT";
    command.parameters = {{"UserId", FieldType::Integer, 0, db::ParameterDirection::Output, {}}};
    ASSERT_TRUE(connection->execute(command).ok());
    EXPECT_EQ(command.parameters[0].value.toInt(), 1);

    EXPECT_EQ(run(*connection, "TEST_SP_AddUser 'BB', 1").error, "User rejected");
    EXPECT_TRUE(run(*connection, "TEST_SP_AddUser 'CC', 2").error.contains("no such table"));
    EXPECT_EQ(userInitials(*connection), QStringList{"AA"});
    EXPECT_FALSE(connection->inTransaction());
}

TEST(Transactions, CallsJoinTheCallersTransaction) {
    TempDatabase database("3.28.0.0", testRegistry());
    auto connection = database.connect();
    auto other = database.connect();
    ASSERT_TRUE(connection && other);
    QString error;

    ASSERT_TRUE(connection->beginTransaction(&error)) << error.toStdString();
    EXPECT_TRUE(connection->inTransaction());
    EXPECT_FALSE(connection->beginTransaction(&error));
    ASSERT_TRUE(run(*connection, "TEST_SP_AddUser 'AA'").ok());
    // A failing call inside undoes only its own work.
    EXPECT_FALSE(run(*connection, "TEST_SP_AddUser 'BB', 1").ok());
    ASSERT_TRUE(connection->inTransaction());
    ASSERT_TRUE(run(*connection, "INSERT INTO TUser (UserInitials) VALUES ('CC')").ok());
    EXPECT_EQ(userInitials(*connection), (QStringList{"AA", "CC"}));
    // Nothing is visible elsewhere before the commit.
    EXPECT_TRUE(userInitials(*other).isEmpty());
    ASSERT_TRUE(connection->rollback(&error)) << error.toStdString();
    EXPECT_TRUE(userInitials(*connection).isEmpty());

    ASSERT_TRUE(connection->beginTransaction(&error));
    ASSERT_TRUE(run(*connection, "TEST_SP_AddUser 'DD'").ok());
    ASSERT_TRUE(connection->commit(&error)) << error.toStdString();
    EXPECT_EQ(userInitials(*other), QStringList{"DD"});
    EXPECT_FALSE(connection->commit(&error));
    EXPECT_FALSE(connection->rollback(&error));

    // A connection closed with an open transaction leaves nothing behind.
    ASSERT_TRUE(connection->beginTransaction(&error));
    ASSERT_TRUE(run(*connection, "TEST_SP_AddUser 'EE'").ok());
    connection.reset();
    EXPECT_EQ(userInitials(*other), QStringList{"DD"});
}

// An interrupt ends the statement it meets, also one that starts after it;
// the time-outs only bound a fault (each of these ends at once).
TEST(Transactions, AnInterruptEndsTheStatementItMeetsEvenOneThatStartsLater) {
    Gate gate;
    TempDatabase database("3.28.0.0", testRegistry(&gate));
    auto connection = database.connect();
    ASSERT_TRUE(connection);

    // Given while nothing runs: the next statement, and only that one.
    connection->interrupt();
    EXPECT_EQ(run(*connection, kEndlessQuery, {}, 2).error, "interrupted");
    EXPECT_TRUE(run(*connection, "SELECT 1").ok());

    // From another thread, whether the statement has started yet or not.
    auto running = std::async(std::launch::async, [&] { return run(*connection, kEndlessQuery, {}, 2); });
    connection->interrupt();
    EXPECT_EQ(running.get().error, "interrupted");

    // A procedure interrupted between two of its statements (SQLite itself
    // forgets an interrupt that finds no statement running) is rolled back,
    // and the connection carries on normally afterwards.
    auto call =
        std::async(std::launch::async, [&] { return run(*connection, "EXEC TEST_SP_Endless", {}, 2); });
    ASSERT_TRUE(gate.waitReached(0));
    connection->interrupt();
    gate.allow(1);
    EXPECT_EQ(call.get().error, "interrupted");
    EXPECT_FALSE(connection->inTransaction());
    EXPECT_TRUE(userInitials(*connection).isEmpty());
    EXPECT_TRUE(run(*connection, "TEST_SP_AddUser 'AA'").ok());
    EXPECT_EQ(userInitials(*connection), QStringList{"AA"});
}

// On a clock that runs a tenth of a second on at each look, a time-out of
// one second ends the statement at once.
TEST(Transactions, ACommandTimeOutEndsTheStatement) {
    TempDatabase database("3.28.0.0", testRegistry());
    auto connection = database.connect();
    ASSERT_TRUE(connection);
    const auto start = std::chrono::steady_clock::now();
    std::atomic<int> looks = 0;
    dynamic_cast<reportdb::EmbeddedConnection&>(*connection).setTimeOutClock([&] {
        return start + std::chrono::milliseconds(100) * looks++;
    });

    EXPECT_EQ(run(*connection, kEndlessQuery, {}, 1).error, "Query timeout expired");
    EXPECT_EQ(run(*connection, "EXEC TEST_SP_Endless", {}, 1).error, "Query timeout expired");
    EXPECT_TRUE(userInitials(*connection).isEmpty());
    // A statement that ends in time, and one without a time-out, run.
    EXPECT_TRUE(run(*connection, "TEST_SP_AddUser 'AA'", {}, 1).ok());
    const QString longer = QString(kEndlessQuery).replace("50000000000", "20000");
    EXPECT_EQ(run(*connection, longer, {}, 0).resultSets.at(0).rows.at(0).at(0).toInt(), 20000);
}
