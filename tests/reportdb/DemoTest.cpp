// The demo database: the same options give the same content, its summary
// names its units; the host's demo command sets up an installation with a
// session on it and keeps or renews the database as it should.

#include "ReportDbTestSupport.h"
#include "reportdb/demo/Demo.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

using namespace reportdb_tests;
using reportdb::demo::Options;
using testing_support::TempDatabase;

namespace {

// What differs between two databases: the tables whose definition or rows
// (each row with the types of its values) are not the same in both.
QStringList differences(const QString& path, const QString& otherPath) {
    QString error;
    sqlite3* db = reportdb::openDatabaseHandle(path, reportdb::OpenMode::ReadOnly, &error);
    EXPECT_TRUE(db) << error.toStdString();
    if (!db) return {"(not opened)"};
    QStringList differing;
    {
        reportdb::ProcedureContext context(db, QString(), nullptr);
        context.exec("ATTACH DATABASE ? AS other", {otherPath});
        const QString both =
            "SELECT %1 FROM main.%2 EXCEPT SELECT %1 FROM other.%2 UNION ALL "
            "SELECT %1 FROM other.%2 EXCEPT SELECT %1 FROM main.%2";
        if (context.scalar(QStringLiteral("SELECT count(*) FROM (%1)")
                               .arg(both.arg("type, name, sql", "sqlite_master")))
                    .toInt() != 0 ||
            context.scalar("PRAGMA main.user_version") != context.scalar("PRAGMA other.user_version"))
            differing << "schema";
        for (const db::Row& table :
             context.query("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%'")
                 .rows) {
            const QString name = "[" + table[0].toString() + "]";
            if (context
                    .scalar(QStringLiteral(
                                "SELECT (SELECT count(*) FROM main.%1) = (SELECT count(*) FROM other.%1) "
                                "AND NOT EXISTS (%2)")
                                .arg(name, both.arg("*", name)))
                    .toInt() != 1)
                differing << name;
        }
    }
    sqlite3_close_v2(db);
    return differing;
}

}  // namespace

// Written again with the same options, the demo has the same content (the
// test programs' own copy of it was written earlier). An existing file is
// not overwritten; bad options write nothing.
TEST(DemoDatabase, TheSameOptionsGiveTheSameContent) {
    const TempDatabase earlier(sharedDemo());
    QTemporaryDir dir;
    QString error;
    const QString again = dir.filePath("again.db");
    ASSERT_TRUE(reportdb::demo::writeDemoDatabase(again, sharedDemo().options, nullptr, &error))
        << error.toStdString();
    EXPECT_FALSE(reportdb::demo::writeDemoDatabase(again, sharedDemo().options, nullptr, &error));
    EXPECT_TRUE(error.contains("already exists")) << error.toStdString();
    EXPECT_EQ(differences(again, earlier.path()), QStringList{});
    earlier.exec(
        "UPDATE TParkUnit SET ParkUnitSerialNumber = ParkUnitSerialNumber || 'x' WHERE ParkUnitId = 2");
    EXPECT_EQ(differences(again, earlier.path()), QStringList{"[TParkUnit]"});

    Options bad = sharedDemo().options;
    bad.sampleMinutes = 7;
    EXPECT_FALSE(reportdb::demo::writeDemoDatabase(dir.filePath("bad.db"), bad, nullptr, &error));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("bad.db")));
}

// The summary a demo session is written from names the database's own
// units; every profile's allocation rows exist as the program makes them, so
// opening an allocation writes nothing.
TEST(DemoDatabase, TheSummaryNamesItsUnitsAndTheAllocationsAreComplete) {
    TempDatabase database(sharedDemo());
    reportdb::demo::Summary summary;
    QString error;
    ASSERT_TRUE(reportdb::demo::readDemoSummary(database.path(), &summary, &error)) << error.toStdString();
    QStringList units;
    for (const auto& unit : summary.parkUnits)
        units << QStringLiteral("%1|%2|%3|%4|%5")
                     .arg(unit.ParkUnitId)
                     .arg(unit.ParkUnitTitle, unit.UnitTypeDevice)
                     .arg(unit.UnitTypeCapacity)
                     .arg(unit.EventListFileName);
    auto connection = database.connect();
    EXPECT_EQ(units,
              lines(*connection,
                    "SELECT PU.ParkUnitId, PU.ParkUnitTitle, UT.UnitTypeDevice, ifnull(UT.UnitTypeCapacity, "
                    "0), EL.EventListFileName FROM TParkUnit PU JOIN TUnitType UT USING (UnitTypeId) LEFT "
                    "JOIN TEventList EL USING (EventListId) ORDER BY 1"));

    const int rowsBefore = scalar(*connection, "SELECT count(*) FROM TCategoryAllocation").toInt();
    const int profiles = scalar(*connection, "SELECT count(*) FROM TReportProfile").toInt();
    for (int profileId = 1; profileId <= profiles; ++profileId) {
        const Call offered = call(*connection, "WMS_SP_CRQ_HandleReportCategory",
                                  {integer("@Action", 4), integer("@ReportProfileId", profileId),
                                   integer("@ReportCategoryId", {})});
        for (const db::Row& list : offered.set(1).rows)
            for (const db::Row& set : offered.set(0).rows)
                call(*connection, "WMS_SP_REP_SelectCategoryAllocationForProfile",
                     {integer("@ReportProfileId", profileId), integer("@EventListId", list[0]),
                      integer("@SelectionType", 2), integer("@CategorysetId", set[0])});
    }
    EXPECT_GT(rowsBefore, 0);
    EXPECT_EQ(scalar(*connection, "SELECT count(*) FROM TCategoryAllocation").toInt(), rowsBefore);
}

// The stand-in host, when it is built next to the tests.
TEST(DemoCommand, SetsUpAnInstallationWithASessionOnTheDemo) {
    const QString host = QDir(QCoreApplication::applicationDirPath())
                             .filePath(QStringLiteral("../../tools/host/skyloom-host"));
    if (!QFileInfo(host).isExecutable()) GTEST_SKIP() << "skyloom-host is not built";
    QTemporaryDir dir;
    const QString base = dir.filePath("demo");
    const QString database = base + "/SkyloomDemo.db";
    const auto run = [&](const QStringList& args) {
        QProcess p;
        p.start(host, args);
        EXPECT_TRUE(p.waitForFinished(60000));
        if (p.exitCode() != 0) ADD_FAILURE() << p.readAllStandardError().toStdString();
        return p.readAllStandardOutput();
    };
    const auto session = [&] {
        return QJsonDocument::fromJson(run({"session", "show", base + "/Session.xml", "1"})).object();
    };
    run({"demo", "--dir", base, "--prepare-only", "--turbines", "2", "--days", "2", "--features", "3,101",
         "--db-version", "3.6.0.0", "--language", "DE"});
    EXPECT_TRUE(QFileInfo::exists(base + "/System/DE/SQL_ReportProfile.txt"));

    // The session names the options and the database's own units.
    const QJsonObject shown = session();
    EXPECT_EQ(shown["Language"].toString(), "DE");
    EXPECT_EQ(shown["DBVersion"].toString(), "3.6.0.0");
    EXPECT_EQ(shown["FeatureCodes"].toArray(), (QJsonArray{3, 101}));
    EXPECT_EQ(shown["OnlineConnection"]["DataSource"].toString(), database);
    reportdb::demo::Summary summary;
    QString error;
    ASSERT_TRUE(reportdb::demo::readDemoSummary(database, &summary, &error)) << error.toStdString();
    const QJsonArray units = shown["ParkUnits"].toArray();
    ASSERT_EQ(units.size(), qsizetype(summary.parkUnits.size()));
    for (qsizetype i = 0; i < units.size(); ++i)
        EXPECT_EQ(units[i]["ParkUnitTitle"].toString(), summary.parkUnits[size_t(i)].ParkUnitTitle);

    // A second run keeps the database and writes the session for its options.
    const QDateTime written = QFileInfo(database).lastModified();
    run({"demo", "--dir", base, "--prepare-only", "--language", "UK"});
    EXPECT_EQ(QFileInfo(database).lastModified(), written);
    EXPECT_EQ(session()["Language"].toString(), "UK");

    // A demo written by an older program is kept aside and written anew.
    {
        auto server = reportdb::Server::open(database, &error);
        ASSERT_TRUE(server) << error.toStdString();
        auto connection = server->connect(&error);
        ASSERT_TRUE(connection) << error.toStdString();
        query(*connection, "UPDATE TDemoInstallation SET ContentVersion = 1");
    }
    EXPECT_TRUE(run({"demo", "--dir", base, "--prepare-only", "--turbines", "2", "--days", "2"})
                    .contains("older program"));
    EXPECT_TRUE(QFileInfo::exists(database + ".old"));
    ASSERT_TRUE(reportdb::demo::readDemoSummary(database, &summary, &error)) << error.toStdString();
    EXPECT_EQ(summary.contentVersion, reportdb::demo::kDemoContentVersion);
}
