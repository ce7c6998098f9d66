// Migration steps: applied once, in order, each atomically; an older
// database is upgraded, a newer one and any other file refused unchanged;
// references follow what they refer to.

#include "ReportDbTestSupport.h"
#include "reportdb/EmbeddedConnection.h"
#include "reportdb/EmbeddedDatabase.h"
#include "reportdb/Schema.h"
#include "reportdb/Server.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>

using reportdb::MigrationStep;
using testing_support::TempDatabase;

namespace {

bool addMarker(sqlite3* db, QString* error) {
    return reportdb::sqlite::execSql(db, "INSERT INTO TMarker VALUES (42)", error);
}

// A file as it lies on disk: its bytes, its time and the files beside it.
struct FileState {
    QByteArray bytes;
    QDateTime modified;
    QStringList neighbours;

    static FileState of(const QString& path) {
        QFile file(path);
        FileState state;
        if (file.open(QIODevice::ReadOnly)) state.bytes = file.readAll();
        state.modified = QFileInfo(path).lastModified();
        state.neighbours = QFileInfo(path).dir().entryList(QDir::Files, QDir::Name);
        return state;
    }
    bool operator==(const FileState&) const = default;
};

// Writes `sql` into a new SQLite file of its own, as another program would.
void writeSqliteFile(const QString& path, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(
        sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr),
        SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close_v2(db);
}

// A reporting database with the rollback journal, so that a switch to the
// write-ahead log would show in its bytes.
void writeReportingFile(const QString& path, const char* sql = "") {
    QString error;
    ASSERT_TRUE(reportdb::createDatabase(path, QString(), &error)) << error.toStdString();
    writeSqliteFile(path, (std::string("PRAGMA journal_mode = DELETE;") + sql).c_str());
}

}  // namespace

TEST(Schema, StepsAreAppliedOnceInOrderAndAtomically) {
    QTemporaryDir dir;
    const QString path = dir.filePath("steps.db");
    QString error;
    sqlite3* db = reportdb::openDatabaseHandle(path, reportdb::OpenMode::New, &error);
    ASSERT_TRUE(db) << error.toStdString();

    const auto standard = reportdb::migrationSteps();

    // An older database gets the steps it has not seen.
    ASSERT_TRUE(reportdb::applyMigrations(db, standard.first(1), &error)) << error.toStdString();
    EXPECT_EQ(reportdb::schemaVersion(db), 1);
    std::vector<MigrationStep> steps(standard.begin(), standard.end());
    const int next = steps.back().number + 1;
    steps.push_back({next, "marker table", "CREATE TABLE TMarker (Value INTEGER)", addMarker});
    ASSERT_TRUE(reportdb::applyMigrations(db, steps, &error)) << error.toStdString();
    EXPECT_EQ(reportdb::schemaVersion(db), next);
    // Again: nothing runs twice.
    ASSERT_TRUE(reportdb::applyMigrations(db, steps, &error)) << error.toStdString();
    EXPECT_EQ(reportdb::ProcedureContext(db, QString(), nullptr).scalar("SELECT count(*) FROM TMarker"),
              QVariant(qlonglong(1)));

    // A failing step leaves no trace and the version where it was.
    steps.push_back(
        {next + 1, "broken", "CREATE TABLE TBroken (a); INSERT INTO TNoSuchTable VALUES (1)", nullptr});
    EXPECT_FALSE(reportdb::applyMigrations(db, steps, &error));
    EXPECT_TRUE(error.contains("Migration step")) << error.toStdString();
    EXPECT_TRUE(error.contains("no such table")) << error.toStdString();
    EXPECT_EQ(reportdb::schemaVersion(db), next);
    EXPECT_NE(sqlite3_exec(db, "SELECT * FROM TBroken", nullptr, nullptr, nullptr), SQLITE_OK);

    // Steps must follow one another.
    std::vector<MigrationStep> gap(standard.begin(), standard.end());
    gap.push_back({next + 5, "gap", "SELECT 1", nullptr});
    ASSERT_TRUE(
        reportdb::sqlite::execSql(db, QStringLiteral("PRAGMA user_version = %1").arg(next - 1), &error));
    EXPECT_FALSE(reportdb::applyMigrations(db, gap, &error));
    EXPECT_TRUE(error.contains("cannot follow")) << error.toStdString();
    sqlite3_close_v2(db);
}

// Removing a profile removes what hangs on it; a removed neighbour leaves
// an empty reference.
TEST(Schema, ReferencesFollowWhatTheyReferTo) {
    TempDatabase database;
    ASSERT_TRUE(
        database
            .exec("INSERT INTO TUser (UserId, UserInitials) VALUES (1, 'AB');"
                  "INSERT INTO TReportProfile (ReportProfileId, ReportProfileTitle) VALUES (1, 'P');"
                  "INSERT INTO TUser_TReportProfile VALUES (1, 1);"
                  "INSERT INTO TUnitType (UnitTypeId, UnitTypeTitle, UnitTypeDevice, UnitTypeCapacity) "
                  "VALUES (1, 'T1', 'WTG', 2000);"
                  "INSERT INTO TParkUnit (ParkUnitId, ParkUnitTitle, UnitTypeId) VALUES (1, 'A', 1), "
                  "(2, 'B', 1);"
                  "INSERT INTO TParkUnit_TReportProfile (ParkUnitId, ReportProfileId, "
                  "NeighbourTurbinePrimaryId) VALUES (1, 1, 2), (2, 1, NULL);"
                  "DELETE FROM TParkUnit WHERE ParkUnitId = 2")
            .ok());
    EXPECT_EQ(
        reportdb_tests::lines(*database.connect(),
                              "SELECT ParkUnitId, NeighbourTurbinePrimaryId FROM TParkUnit_TReportProfile"),
        QStringList{"1|NULL"});
    database.exec("DELETE FROM TReportProfile");
    EXPECT_EQ(database
                  .scalar("SELECT (SELECT count(*) FROM TUser_TReportProfile) + "
                          "(SELECT count(*) FROM TParkUnit_TReportProfile)")
                  .toInt(),
              0);
}

// Opening touches only a reporting database: any other file, and one that
// is refused, keeps its bytes (no schema, no version row, no journal change).
TEST(Schema, OnlyAReportingDatabaseIsOpenedAndARefusedFileStaysAsItWas) {
    QTemporaryDir dir;
    const struct {
        const char* name;
        std::function<void(const QString&)> write;
        const char* error;
    } refused[] = {
        {"notes.db",
         [](const QString& path) {
             writeSqliteFile(path,
                             "CREATE TABLE notes (id INTEGER PRIMARY KEY, body TEXT);"
                             "INSERT INTO notes (body) VALUES ('keep me')");
         },
         "is not a reporting database: it records no schema step"},
        {"empty.db", [](const QString& path) { QFile(path).open(QIODevice::WriteOnly); },
         "is not a reporting database: the file is empty"},
        {"text.db",
         [](const QString& path) {
             QFile file(path);
             ASSERT_TRUE(file.open(QIODevice::WriteOnly));
             file.write(QByteArray("profiles, units and categories\n").repeated(200));
         },
         "is not a reporting database: file is not a database"},
        {"newer.db", [](const QString& path) { writeReportingFile(path, "PRAGMA user_version = 999"); },
         "newer than this program"},
        // The version table alone makes it ours, but its steps cannot be applied.
        {"foreign.db",
         [](const QString& path) {
             writeSqliteFile(path, "CREATE TABLE TDatabaseVersion (VersionText TEXT)");
         },
         "Migration step 1"},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.name);
        QDir(dir.path()).mkdir(c.name + QString(".dir"));
        const QString path = dir.path() + "/" + c.name + ".dir/" + c.name;
        c.write(path);
        const FileState before = FileState::of(path);
        QString error;
        EXPECT_FALSE(reportdb::Server::open(path, &error));
        EXPECT_TRUE(error.contains(path)) << error.toStdString();
        EXPECT_TRUE(error.contains(c.error)) << error.toStdString();
        // The way a session opens it: through its connection string.
        error.clear();
        EXPECT_FALSE(reportdb::makeConnectionFactory()("Provider=Embedded;Data Source=" + path, &error));
        EXPECT_TRUE(error.contains(path)) << error.toStdString();
        reportdb::demo::Summary summary;
        EXPECT_FALSE(reportdb::demo::readDemoSummary(path, &summary, &error));
        EXPECT_EQ(FileState::of(path), before);
    }

    // Read-only opening of a reporting database changes nothing either.
    const QString current = dir.filePath("current.db");
    writeReportingFile(current);
    const FileState before = FileState::of(current);
    QString error;
    sqlite3* db = reportdb::openDatabaseHandle(current, reportdb::OpenMode::ReadOnly, &error);
    ASSERT_TRUE(db) << error.toStdString();
    EXPECT_EQ(reportdb::readVersionText(db), reportdb::kDefaultVersionText);
    sqlite3_close_v2(db);
    reportdb::demo::Summary summary;
    EXPECT_FALSE(reportdb::demo::readDemoSummary(current, &summary, &error));  // not a demo
    EXPECT_EQ(FileState::of(current), before);
    EXPECT_FALSE(reportdb::createDatabase(current, QString(), &error));
    EXPECT_EQ(FileState::of(current), before);
}

// A reporting database of an older program is brought up to date.
TEST(Schema, AnOlderReportingDatabaseIsUpgradedWhenOpened) {
    QTemporaryDir dir;
    const QString path = dir.filePath("older.db");
    QString error;
    sqlite3* db = reportdb::openDatabaseHandle(path, reportdb::OpenMode::New, &error);
    ASSERT_TRUE(db) << error.toStdString();
    ASSERT_TRUE(reportdb::applyMigrations(db, reportdb::migrationSteps().first(1), &error))
        << error.toStdString();
    sqlite3_close_v2(db);

    auto server = reportdb::Server::open(path, &error);
    ASSERT_TRUE(server) << error.toStdString();
    EXPECT_EQ(server->versionText(), reportdb::kDefaultVersionText);
    EXPECT_EQ(
        reportdb_tests::lines(*server->connect(&error),
                              "SELECT user_version, (SELECT journal_mode FROM pragma_journal_mode) FROM "
                              "pragma_user_version"),
        QStringList{QStringLiteral("%1|wal").arg(reportdb::migrationSteps().back().number)});
}
