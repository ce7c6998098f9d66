// The embedded connection with plain SQL: result sets and their types,
// parameters, several statements, errors, the connection factory.

#include "reportdb/EmbeddedConnection.h"
#include "reportdb/EmbeddedDatabase.h"
#include "reportdb/Schema.h"
#include "reportdb/SqliteUtil.h"
#include "support/TempDatabase.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QTimeZone>

using testing_support::TempDatabase;

namespace {

db::Result run(db::Connection& connection, const QString& sql, db::Parameters parameters = {}) {
    db::Command command;
    command.text = sql;
    command.parameters = std::move(parameters);
    return connection.execute(command);
}

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

    db::Result insert = run(*connection,
                            "INSERT INTO TReportProfile (ReportProfileTitle, ReportProfileDescription, "
                            "ReportProfileShadowDataStartPCTimeStamp, UseSeaLevel) "
                            "VALUES ('North', 'first', '2024-03-01 00:10:00', 1), ('South', NULL, NULL, 0);"
                            "UPDATE TReportProfile SET ReportProfileStatus = 2");
    ASSERT_TRUE(insert.ok()) << insert.error.toStdString();
    EXPECT_TRUE(insert.resultSets.empty());
    EXPECT_EQ(insert.rowsAffected, 4);  // two inserted, two updated

    db::Result result =
        run(*connection,
            "SELECT [ReportProfileId], ReportProfileTitle, ReportProfileDescription, "
            "ReportProfileShadowDataStartPCTimeStamp, UseSeaLevel, AvailabilityContract "
            "FROM [TReportProfile] ORDER BY ReportProfileId;"
            "SELECT count(*) AS N, 1.5 AS Half, x'00ff' AS Bytes FROM TReportProfile WHERE 0");
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    ASSERT_EQ(result.resultSets.size(), 2u);

    const db::ResultSet& profiles = result.resultSets[0];
    ASSERT_EQ(profiles.columns.size(), 6u);
    EXPECT_EQ(profiles.columns[0].name, "ReportProfileId");
    EXPECT_EQ(profiles.columns[0].type, db::FieldType::Integer);
    EXPECT_EQ(profiles.columns[1].type, db::FieldType::String);
    EXPECT_EQ(profiles.columns[1].size, 100);
    EXPECT_EQ(profiles.columns[3].type, db::FieldType::DateTime);
    EXPECT_EQ(profiles.columns[4].type, db::FieldType::Boolean);
    ASSERT_EQ(profiles.rows.size(), 2u);
    EXPECT_EQ(profiles.rows[0][0].typeId(), QMetaType::LongLong);
    EXPECT_EQ(profiles.rows[0][1].toString(), "North");
    EXPECT_EQ(profiles.rows[0][3].toDateTime(), QDateTime(QDate(2024, 3, 1), QTime(0, 10)));
    EXPECT_EQ(profiles.rows[0][4], QVariant(true));
    EXPECT_EQ(profiles.rows[0][5].toString(), "RTV2100");  // column default
    // NULL comes back as a null value of the column's type.
    EXPECT_TRUE(profiles.rows[1][2].isNull());
    EXPECT_EQ(profiles.rows[1][2].typeId(), QMetaType::QString);
    EXPECT_TRUE(profiles.rows[1][3].isNull());
    EXPECT_EQ(profiles.rows[1][4], QVariant(false));

    // An aggregate query that matches nothing still yields its one row; the
    // expression columns take their types from the values.
    const db::ResultSet& aggregate = result.resultSets[1];
    ASSERT_EQ(aggregate.rows.size(), 1u);
    EXPECT_EQ(aggregate.columns[0].type, db::FieldType::Integer);
    EXPECT_EQ(aggregate.columns[1].type, db::FieldType::Float);
    EXPECT_EQ(aggregate.rows[0][1].toDouble(), 1.5);
    EXPECT_EQ(aggregate.rows[0][2].toByteArray(), QByteArray("\x00\xff", 2));
}

TEST(EmbeddedConnection, BindsCommandParametersByNameOrPosition) {
    TempDatabase database;
    auto connection = database.connect();
    ASSERT_TRUE(connection);

    const QDateTime start(QDate(2023, 12, 31), QTime(23, 59, 30));
    db::Result insert =
        run(*connection,
            "INSERT INTO TReportProfile (ReportProfileTitle, ReportProfileLocked, UseIECReporting, "
            "ReportProfileShadowDataStartPCTimeStamp) VALUES (:Title, @Locked, :Iec, :Start)",
            {param("@Title", "O'Brien's \"park\""), param("Locked", 1), param(":Iec", true),
             param("Start", start)});
    ASSERT_TRUE(insert.ok()) << insert.error.toStdString();
    EXPECT_EQ(insert.rowsAffected, 1);

    // "?" takes the parameters in order, skipping a return-value parameter.
    db::Parameter returnValue = param("@ReturnValue", {});
    returnValue.direction = db::ParameterDirection::ReturnValue;
    db::Result read =
        run(*connection,
            "SELECT ReportProfileTitle, ReportProfileShadowDataStartPCTimeStamp, UseIECReporting "
            "FROM TReportProfile WHERE ReportProfileLocked = ? AND ReportProfileTitle LIKE ?",
            {returnValue, param("a", 1), param("b", "O'B%")});
    ASSERT_TRUE(read.ok()) << read.error.toStdString();
    ASSERT_EQ(read.resultSets.at(0).rows.size(), 1u);
    EXPECT_EQ(read.resultSets[0].rows[0][0].toString(), "O'Brien's \"park\"");
    EXPECT_EQ(read.resultSets[0].rows[0][1].toDateTime(), start);
    EXPECT_EQ(read.resultSets[0].rows[0][2], QVariant(true));

    // A parameter without a value is an error, not a silent NULL.
    db::Result missing = run(*connection, "SELECT * FROM TReportProfile WHERE ReportProfileId = :Id");
    EXPECT_FALSE(missing.ok());
    EXPECT_TRUE(missing.error.contains(":Id")) << missing.error.toStdString();
}

TEST(EmbeddedConnection, ErrorsCarryTheDatabaseMessageAndStopTheText) {
    TempDatabase database;
    auto connection = database.connect();
    ASSERT_TRUE(connection);

    db::Result syntax = run(*connection, "SELECT FROM WHERE");
    EXPECT_FALSE(syntax.ok());
    EXPECT_TRUE(syntax.error.contains("syntax error")) << syntax.error.toStdString();
    // As on the server, a batch that starts with an unknown word is a procedure call.
    EXPECT_EQ(run(*connection, "SELEC 1").error, "Could not find stored procedure 'SELEC'.");

    db::Result missingTable = run(*connection, "SELECT * FROM TNoSuchTable");
    EXPECT_TRUE(missingTable.error.contains("no such table: TNoSuchTable"))
        << missingTable.error.toStdString();

    // Foreign keys are enforced.
    db::Result orphan =
        run(*connection, "INSERT INTO TUser_TReportProfile (UserId, ReportProfileId) VALUES (7, 9)");
    EXPECT_TRUE(orphan.error.contains("FOREIGN KEY")) << orphan.error.toStdString();

    // The statements before the failing one have run; those after it have not.
    db::Result partial = run(*connection,
                             "INSERT INTO TUser (UserInitials) VALUES ('AB');"
                             "INSERT INTO TNoSuchTable VALUES (1);"
                             "INSERT INTO TUser (UserInitials) VALUES ('CD')");
    EXPECT_FALSE(partial.ok());
    db::Result users = run(*connection, "SELECT UserInitials FROM TUser");
    ASSERT_EQ(users.resultSets.at(0).rows.size(), 1u);
    EXPECT_EQ(users.resultSets[0].rows[0][0].toString(), "AB");

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
    EXPECT_EQ(run(*second, "SELECT count(*) FROM TUser").resultSets.at(0).rows.at(0).at(0).toInt(), 1);
    auto sibling = first->openSibling(&error);
    ASSERT_TRUE(sibling) << error.toStdString();
    EXPECT_EQ(run(*sibling, "SELECT count(*) FROM TUser").resultSets.at(0).rows.at(0).at(0).toInt(), 1);

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

TEST(EmbeddedDatabase, CreateDatabaseRecordsItsVersionAndRefusesToOverwrite) {
    TempDatabase database;
    QString error;
    EXPECT_FALSE(reportdb::createDatabase(database.path(), "3.1.0.0", &error));
    EXPECT_TRUE(error.contains("already exists")) << error.toStdString();

    const QString other = database.folder() + "/other.db";
    EXPECT_FALSE(reportdb::createDatabase(other, "3.x", &error));
    EXPECT_FALSE(QFileInfo::exists(other));
    ASSERT_TRUE(reportdb::createDatabase(other, "2.30", &error)) << error.toStdString();
    auto server = reportdb::Server::open(other, &error);
    ASSERT_TRUE(server) << error.toStdString();
    EXPECT_EQ(server->versionText(), "2.30");

    const QString defaulted = database.folder() + "/default.db";
    ASSERT_TRUE(reportdb::createDatabase(defaulted, QString(), &error)) << error.toStdString();
    EXPECT_EQ(reportdb::Server::open(defaulted, &error)->versionText(), "3.28.0.0");
}

// Date-times in every shape the database may hold: as this program writes
// them (and its heartbeats in UTC), as SQLite's date functions write them
// (datetime(), date(), strftime with %f), as ISO 8601 writers do with a "T"
// and as the server's unseparated form; read as such from a DATETIME
// column. Anything else is no date (and such a column gives back its text).
TEST(DateTimeText, TheStoredShapesAndTheRest) {
    using reportdb::sqlite::parseDateTime;
    const QDate day(2024, 2, 29);
    const struct {
        const char* text;
        QDateTime expected;  // invalid: no date
    } cases[] = {
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
        {"2023-02-29", {}},
        {"2024-13-01", {}},
        {"2024-04-31", {}},
        {"2024-00-10", {}},
        {"2024-02-29 24:00", {}},
        {"2024-02-29 07:60:00", {}},
        {"2024-02-29 07:05:60", {}},
        {"2024-02-29 07:05:09x", {}},
        {"2024-02-29 7:05", {}},
        {"2024-2-29", {}},
        {"2024/02/29", {}},
        {"29.02.2024", {}},
        {"02/29/2024", {}},
        {"Turbine 2024-02-29", {}},
        {"", {}},
        {"Z", {}},
        {"2024-02-29 07:05:09ZZ", {}},
        {"2024-02-29 25:05:09Z", {}},
    };
    TempDatabase database;
    auto connection = database.connect();
    ASSERT_TRUE(run(*connection, "CREATE TABLE TDates (Id INTEGER PRIMARY KEY, Stamp DATETIME)").ok());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const QDateTime parsed = parseDateTime(QString::fromLatin1(c.text));
        EXPECT_EQ(parsed, c.expected);
        EXPECT_EQ(parsed.timeSpec(), c.expected.timeSpec());
        ASSERT_TRUE(run(*connection, "DELETE FROM TDates; INSERT INTO TDates VALUES (1, ?)",
                        {param("", QString::fromLatin1(c.text))})
                        .ok());
        const QVariant read = run(*connection, "SELECT Stamp FROM TDates").resultSets.at(0).rows.at(0).at(0);
        EXPECT_EQ(read, c.expected.isValid() ? QVariant(c.expected) : QVariant(QString::fromLatin1(c.text)));
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
    testing_support::TempDatabase database;
    auto connection = database.connect();
    ASSERT_TRUE(connection);
    const auto run = [&](const QString& sql, db::Parameters parameters = {}) {
        db::Command command;
        command.text = sql;
        command.parameters = std::move(parameters);
        return connection->execute(command);
    };
    const auto value = [](const QVariant& v) { return db::Parameter{"", db::FieldType::Unknown, 0, {}, v}; };
    ASSERT_TRUE(run("CREATE TABLE TReuse (Id INTEGER PRIMARY KEY, Title TEXT NOT NULL)").ok());
    const QString insert = QStringLiteral("INSERT INTO TReuse (Id, Title) VALUES (?, ?)");
    for (int id = 1; id <= 3; ++id)
        ASSERT_TRUE(run(insert, {value(id), value(QStringLiteral("T%1").arg(id))}).ok());
    // A refused run (a null title, then a doubled key) and the next one.
    EXPECT_FALSE(run(insert, {value(4), value(QVariant())}).ok());
    EXPECT_FALSE(run(insert, {value(1), value("again")}).ok());
    EXPECT_TRUE(run(insert, {value(4), value("T4")}).ok());
    // A select run twice sees the rows written between the runs.
    const QString select = QStringLiteral("SELECT count(*), max(Title) FROM TReuse WHERE Id >= ?");
    EXPECT_EQ(run(select, {value(2)}).resultSets.at(0).rows.at(0).at(0).toInt(), 3);
    ASSERT_TRUE(run("DELETE FROM TReuse WHERE Id = 4").ok());
    const db::Result again = run(select, {value(2)});
    EXPECT_EQ(again.resultSets.at(0).rows.at(0).at(0).toInt(), 2);
    EXPECT_EQ(again.resultSets.at(0).rows.at(0).at(1).toString(), "T3");
    // Two statements in one text run both, each time.
    const QString two =
        QStringLiteral("UPDATE TReuse SET Title = Title || 'x'; SELECT Title FROM TReuse WHERE Id = 1");
    EXPECT_EQ(run(two).resultSets.at(0).rows.at(0).at(0).toString(), "T1x");
    EXPECT_EQ(run(two).resultSets.at(0).rows.at(0).at(0).toString(), "T1xx");
}
