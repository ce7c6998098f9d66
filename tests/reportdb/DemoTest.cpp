// The demo database: the same options give the same content; it holds what
// the start-up and the profile commands need; its shadow data follows from
// its raw data; the host's demo command sets up an installation on it.

#include "reportdb/EmbeddedConnection.h"
#include "reportdb/ProcedureRegistry.h"
#include "reportdb/Schema.h"
#include "reportdb/demo/Demo.h"
#include "support/TempDatabase.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

using reportdb::demo::Options;
using testing_support::DemoContent;
using testing_support::TempDatabase;

namespace {

// Every table's definition and rows, in a fixed order, as text.
QString dump(const QString& path) {
    QString error;
    sqlite3* db = reportdb::openDatabaseHandle(path, reportdb::OpenMode::ReadOnly, &error);
    EXPECT_TRUE(db) << error.toStdString();
    if (!db) return {};
    QString out;
    {
        reportdb::ProcedureContext context(db, QString(), nullptr);
        const db::ResultSet tables = context.query(
            "SELECT name, sql FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%' ORDER BY "
            "name");
        out += QStringLiteral("user_version %1\n").arg(reportdb::schemaVersion(db));
        for (const db::Row& table : tables.rows) {
            out += table[1].toString() + QLatin1Char('\n');
            const db::ResultSet columns = context.query(
                QStringLiteral("SELECT count(*) FROM pragma_table_info('%1')").arg(table[0].toString()));
            QStringList order;
            for (int c = 1; c <= columns.rows[0][0].toInt(); ++c) order << QString::number(c);
            const db::ResultSet rows = context.query(
                QStringLiteral("SELECT * FROM [%1] ORDER BY %2").arg(table[0].toString(), order.join(',')));
            for (const db::Row& row : rows.rows) {
                QStringList cells;
                for (const QVariant& cell : row)
                    cells << (cell.isNull() ? QStringLiteral("NULL")
                                            : QStringLiteral("%1:%2").arg(cell.typeName(), cell.toString()));
                out += cells.join(QLatin1Char('|')) + QLatin1Char('\n');
            }
        }
    }
    sqlite3_close_v2(db);
    return out;
}

Options reduced() {
    Options options;
    options.turbineCount = 6;
    options.rawDataDays = 40;
    return options;
}

db::ResultSet query(db::Connection& connection, const QString& sql) {
    db::Command command;
    command.text = sql;
    const db::Result result = connection.execute(command);
    EXPECT_TRUE(result.ok()) << result.error.toStdString() << "\n" << sql.toStdString();
    return result.resultSets.empty() ? db::ResultSet{} : result.resultSets[0];
}

QVariant scalar(db::Connection& connection, const QString& sql) {
    const db::ResultSet rows = query(connection, sql);
    return rows.rows.empty() ? QVariant() : rows.rows[0].at(0);
}

}  // namespace

TEST(DemoDatabase, TheSameOptionsGiveTheSameContent) {
    QTemporaryDir dir;
    QString error;
    const QString first = dir.filePath("first.db");
    const QString second = dir.filePath("second.db");
    const QString other = dir.filePath("other.db");
    ASSERT_TRUE(reportdb::demo::writeDemoDatabase(first, reduced(), nullptr, &error)) << error.toStdString();
    ASSERT_TRUE(reportdb::demo::writeDemoDatabase(second, reduced(), nullptr, &error)) << error.toStdString();
    Options seeded = reduced();
    seeded.seed += 1;
    ASSERT_TRUE(reportdb::demo::writeDemoDatabase(other, seeded, nullptr, &error)) << error.toStdString();

    const QString content = dump(first);
    EXPECT_GT(content.size(), 100000);
    EXPECT_TRUE(content == dump(second)) << "two demo databases of the same options differ";
    // The content does come from the seed.
    EXPECT_FALSE(content == dump(other));

    // An existing file is not overwritten; bad options write nothing.
    EXPECT_FALSE(reportdb::demo::writeDemoDatabase(first, reduced(), nullptr, &error));
    EXPECT_TRUE(error.contains("already exists")) << error.toStdString();
    Options bad = reduced();
    bad.sampleMinutes = 7;
    EXPECT_FALSE(reportdb::demo::writeDemoDatabase(dir.filePath("bad.db"), bad, nullptr, &error));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("bad.db")));
}

TEST(DemoDatabase, HoldsTheParkProfilesAndUsersTheCommandsNeed) {
    DemoContent demo;
    demo.options.rawDataDays = 14;  // the full park, two weeks of data
    TempDatabase database(demo);
    auto connection = database.connect();
    ASSERT_TRUE(connection);

    // One park: 40 turbines of two types, three met masts, one grid point.
    const db::ResultSet devices =
        query(*connection,
              "SELECT UT.UnitTypeDevice, count(DISTINCT UT.UnitTypeId), count(*) FROM "
              "TParkUnit PU JOIN TUnitType UT USING (UnitTypeId) GROUP BY 1 ORDER BY 1");
    ASSERT_EQ(devices.rows.size(), 3u);
    EXPECT_EQ(devices.rows[0], (db::Row{QString("GRID"), qlonglong(1), qlonglong(1)}));
    EXPECT_EQ(devices.rows[1], (db::Row{QString("MET"), qlonglong(1), qlonglong(3)}));
    EXPECT_EQ(devices.rows[2], (db::Row{QString("WTG"), qlonglong(2), qlonglong(40)}));

    // The session's units are the park's.
    reportdb::demo::Summary summary;
    QString error;
    ASSERT_TRUE(reportdb::demo::readDemoSummary(database.path(), &summary, &error)) << error.toStdString();
    ASSERT_EQ(summary.parkUnits.size(), 44u);
    EXPECT_EQ(summary.parkUnits[0].ParkUnitTitle, "WTG01");
    EXPECT_EQ(summary.parkUnits[0].UnitTypeDevice, "WTG");
    EXPECT_EQ(summary.parkUnits[0].UnitTypeCapacity, 2300);
    EXPECT_EQ(summary.parkUnits[43].UnitTypeDevice, "GRID");
    EXPECT_FALSE(summary.parkName.isEmpty());

    // Profiles: one locked, one generated automatically, one marked for
    // regeneration, one used by an export job; the administrator sees them all.
    EXPECT_GE(scalar(*connection, "SELECT count(*) FROM TReportProfile").toInt(), 5);
    for (const char* flag :
         {"ReportProfileLocked", "ReportProfileJobScheduleEnabled", "ReportProfileRegeneratePendingFlag"})
        EXPECT_EQ(
            scalar(*connection, QStringLiteral("SELECT count(*) FROM TReportProfile WHERE %1 = 1").arg(flag))
                .toInt(),
            1)
            << flag;
    EXPECT_EQ(scalar(*connection, "SELECT count(DISTINCT ReportProfileId) FROM TExportJob").toInt(), 1);
    EXPECT_EQ(
        query(*connection, QStringLiteral("DCE_SP_SelectProfiles %1, 3").arg(summary.administratorUserId))
            .rows.size(),
        size_t(scalar(*connection, "SELECT count(*) FROM TReportProfile").toInt()));
    EXPECT_EQ(summary.administratorInitials, "ADM");
    EXPECT_EQ(scalar(*connection, "SELECT count(*) FROM TUser WHERE UserInitials = ''").toInt(), 0);
    EXPECT_GT(scalar(*connection, "SELECT count(DISTINCT UserId) FROM TUser_TReportProfile").toInt(), 2);

    // Raw data up to the last fixed day.
    const db::ResultSet limits = query(*connection, "DCE_SP_GetPcTimeStampLimits");
    ASSERT_EQ(limits.rows.size(), 1u);
    EXPECT_EQ(limits.rows[0][0], QVariant(QDateTime(QDate(2024, 12, 18), QTime(1, 0))));
    EXPECT_EQ(limits.rows[0][1], QVariant(QDateTime(QDate(2025, 1, 1), QTime(0, 0))));
}

TEST(DemoDatabase, ShadowDataFollowsFromTheRawData) {
    DemoContent demo;
    demo.options.rawDataDays = 3;
    TempDatabase database(demo);
    auto connection = database.connect();
    ASSERT_TRUE(connection);

    // Per day: 24 samples; production the sum of the samples; mean wind
    // scaled by the unit's site calibration (0.97 for the last row).
    const db::ResultSet check = query(
        *connection,
        "SELECT S.ParkUnitId, S.SampleCount, S.OperatingSampleCount + S.FaultSampleCount, "
        "abs(S.ProductionKWh - (SELECT sum(ProductionKWh) FROM TRawData R WHERE R.ParkUnitId = S.ParkUnitId "
        "AND R.PcTimeStamp > '2024-12-30 00:00:00' AND R.PcTimeStamp <= '2024-12-31 00:00:00')) < 1e-6, "
        "S.MeanWindSpeed / (SELECT avg(WindSpeed) FROM TRawData R WHERE R.ParkUnitId = S.ParkUnitId "
        "AND R.PcTimeStamp > '2024-12-30 00:00:00' AND R.PcTimeStamp <= '2024-12-31 00:00:00') "
        "FROM TShadowData S WHERE S.ReportProfileId = 1 AND S.ShadowDate = '2024-12-30 00:00:00' "
        "AND S.ParkUnitId IN (1, 35) ORDER BY 1");
    ASSERT_EQ(check.rows.size(), 2u);
    for (const db::Row& row : check.rows) {
        EXPECT_EQ(row[1].toInt(), 24);
        EXPECT_EQ(row[2].toInt(), 24);
        EXPECT_EQ(row[3].toInt(), 1);
    }
    EXPECT_NEAR(check.rows[0][4].toDouble(), 1.0, 1e-9);
    EXPECT_NEAR(check.rows[1][4].toDouble(), 0.97, 1e-9);
    // The grid point meters what the turbines produced, less its losses.
    const double grid = scalar(*connection,
                               "SELECT ProductionKWh FROM TShadowData WHERE ReportProfileId = 1 AND "
                               "ParkUnitId = 44 AND ShadowDate = '2024-12-30 00:00:00'")
                            .toDouble();
    const double turbines = scalar(*connection,
                                   "SELECT sum(ProductionKWh) FROM TShadowData WHERE ReportProfileId = 1 "
                                   "AND ParkUnitId <= 40 AND ShadowDate = '2024-12-30 00:00:00'")
                                .toDouble();
    EXPECT_GT(turbines, 0.0);
    EXPECT_NEAR(grid, turbines * 0.985, 0.5);
    // Profiles start where they say: the north row from 2024.
    EXPECT_EQ(scalar(*connection, "SELECT count(*) FROM TShadowData WHERE ReportProfileId = 5").toInt(),
              11 * 3);
}

TEST(DemoDatabase, HoldsEventListsCategorySetsAndAllocationsForEveryProfile) {
    DemoContent demo;
    demo.options.rawDataDays = 1;
    TempDatabase database(demo);
    auto connection = database.connect();
    ASSERT_TRUE(connection);

    // One event list per unit type, with code 0, thousands of distinct
    // titles for the turbines, responsible sources on a few codes.
    const db::ResultSet lists =
        query(*connection,
              "SELECT UT.UnitTypeId, EL.EventListFileName, count(*), count(DISTINCT EC.EventCodeTitle), "
              "sum(EC.EventCodeNumber = 0), sum(EXISTS (SELECT 1 FROM TEventCode_TResponsibleSource S WHERE "
              "S.EventCodeId = EC.EventCodeId)), sum(EC.EventCodeTitle LIKE 'Event %') FROM TUnitType UT "
              "JOIN TEventList EL USING (EventListId) JOIN TEventCode EC USING (EventListId) GROUP BY 1 "
              "ORDER BY 1");
    ASSERT_EQ(lists.rows.size(), 4u);
    const std::pair<int, int> expectedCodes[] = {{2200, 2600}, {1600, 2000}, {120, 180}, {100, 140}};
    for (size_t i = 0; i < 4; ++i) {
        const db::Row& list = lists.rows[i];
        EXPECT_TRUE(list[1].toString().endsWith(".evl"));
        EXPECT_GE(list[2].toInt(), expectedCodes[i].first) << i;
        EXPECT_LE(list[2].toInt(), expectedCodes[i].second) << i;
        EXPECT_EQ(list[3], list[2]) << "titles repeat in list " << i;
        EXPECT_EQ(list[4].toInt(), 1);
        EXPECT_EQ(list[6].toInt(), 0);
        if (i < 2) {
            EXPECT_GE(list[5].toDouble() / list[2].toDouble(), 0.02) << i;
            EXPECT_LE(list[5].toDouble() / list[2].toDouble(), 0.04) << i;
        }
    }
    EXPECT_EQ(scalar(*connection,
                     "SELECT count(*) FROM TEventCode_TResponsibleSource GROUP BY EventCodeId "
                     "ORDER BY count(*) DESC LIMIT 1")
                  .toInt(),
              2);
    reportdb::demo::Summary summary;
    QString error;
    ASSERT_TRUE(reportdb::demo::readDemoSummary(database.path(), &summary, &error)) << error.toStdString();
    EXPECT_EQ(summary.parkUnits.front().EventListId, 1);
    EXPECT_EQ(summary.parkUnits.front().EventListFileName, "WT2300.evl");
    EXPECT_EQ(summary.parkUnits.back().EventListFileName, "GridMeter.evl");
    const db::ResultSet modes =
        query(*connection,
              "SELECT count(*), min(PowerReductionModeId), sum(ReductionModeNumber = 0) FROM "
              "TPowerReductionMode");
    EXPECT_GE(modes.rows[0][0].toInt(), 35);
    EXPECT_LE(modes.rows[0][0].toInt(), 45);
    EXPECT_EQ(modes.rows[0][1].toInt(), 0);

    // Every profile: two or three sets; the allocation rows are all there
    // (the allocation window's load adds none); event code 0 is normal
    // operation in every set; most codes are allocated, a few switched off.
    EXPECT_EQ(scalar(*connection, "SELECT count(*) FROM TReportProfile WHERE UseIECReporting = 1").toInt(),
              1);
    int profilesWithThreeSets = 0;
    for (const db::Row& profile : query(*connection, "SELECT ReportProfileId FROM TReportProfile").rows) {
        const int profileId = profile[0].toInt();
        db::Command choice;
        choice.text = QStringLiteral("WMS_SP_CRQ_HandleReportCategory 4, %1, NULL").arg(profileId);
        const db::Result offered = connection->execute(choice);
        ASSERT_EQ(offered.resultSets.size(), 2u);
        const int setCount =
            scalar(*connection,
                   QStringLiteral("SELECT count(*) FROM TReportCategorySet WHERE ReportProfileId = %1")
                       .arg(profileId))
                .toInt();
        EXPECT_GE(setCount, 2);
        EXPECT_LE(setCount, 3);
        profilesWithThreeSets += setCount == 3;
        const QString rowCount =
            QStringLiteral("SELECT count(*) FROM TCategoryAllocation WHERE ReportProfileId = %1")
                .arg(profileId);
        const int rowsBefore = scalar(*connection, rowCount).toInt();
        EXPECT_EQ(rowsBefore == 0, offered.resultSets[1].rows.empty()) << profileId;
        for (const db::Row& list : offered.resultSets[1].rows) {
            for (int setId = 1; setId <= setCount; ++setId) {
                db::Command select;
                select.text = QStringLiteral("WMS_SP_REP_SelectCategoryAllocationForProfile %1, %2, 2, %3")
                                  .arg(profileId)
                                  .arg(list[0].toInt())
                                  .arg(setId);
                const db::Result grid = connection->execute(select);
                ASSERT_EQ(grid.resultSets.size(), 3u) << grid.error.toStdString();
                const db::ResultSet& rows = grid.resultSets[0];
                ASSERT_FALSE(rows.rows.empty());
                EXPECT_EQ(rows.rows[0][1].toInt(), 0);
                EXPECT_EQ(rows.rows[0][4].toInt(), 1) << profileId << "/" << setId;
                EXPECT_EQ(rows.columns[6].name, "Normal Operation");
                EXPECT_EQ(rows.rows[0][6].toInt(), 3);
                int allocated = 0, switchedOff = 0;
                for (const db::Row& row : rows.rows) {
                    allocated += row[4].toInt() != 0;
                    switchedOff += row[5].toInt();
                    if (row[5].toInt() == 1) {
                        EXPECT_EQ(row[4].toInt(), 0);
                    }
                }
                const double total = double(rows.rows.size());
                if (total < 1000) continue;  // the stations' lists are small
                EXPECT_NEAR(allocated / total, 0.85, 0.04) << profileId << "/" << setId;
                EXPECT_NEAR(switchedOff / total, 0.03, 0.015) << profileId << "/" << setId;
            }
        }
        EXPECT_EQ(scalar(*connection, rowCount).toInt(), rowsBefore) << profileId;
    }
    EXPECT_GE(profilesWithThreeSets, 1);
    EXPECT_EQ(scalar(*connection,
                     "SELECT count(*) FROM TReportCategorySet_TReportCategory M JOIN TReportProfile P USING "
                     "(ReportProfileId) WHERE P.UseIECReporting = 1 AND M.ReportCategoryId BETWEEN 9 AND 14")
                  .toInt(),
              6);

    // The derating profile: every mode allocated, mode 0 to normal operation.
    db::Command derating;
    derating.text = "WMS_SP_REP_SelectDerateCategoryAllocationForProfile 3";
    ASSERT_EQ(
        scalar(*connection, "SELECT UseDeratingCategorisation FROM TReportProfile WHERE ReportProfileId = 3"),
        QVariant(true));
    const db::Result modesOfProfile = connection->execute(derating);
    ASSERT_EQ(modesOfProfile.resultSets.size(), 2u);
    const db::ResultSet& derated = modesOfProfile.resultSets[0];
    EXPECT_EQ(int(derated.rows.size()), modes.rows[0][0].toInt());
    EXPECT_EQ(derated.rows[0][0].toInt(), 0);
    EXPECT_EQ(derated.rows[0][4].toInt(), 1);
    for (const db::Row& row : derated.rows) EXPECT_NE(row[4].toInt(), 0) << row[3].toString().toStdString();

    // The administrator may give categories manual titles.
    db::Command access;
    access.text = QStringLiteral("WMS_SP_CRQ_HasModuleAccess 1000000, %1, :HasAccess OUTPUT")
                      .arg(summary.administratorUserId);
    access.parameters = {{"HasAccess", db::FieldType::Integer, 0, db::ParameterDirection::Output, {}}};
    ASSERT_TRUE(connection->execute(access).ok());
    EXPECT_EQ(access.parameters[0].value.toInt(), 1);
}

// The stand-in host, when it is built next to the tests.
TEST(DemoCommand, SetsUpAnInstallationWithASessionOnTheDemo) {
    const QString host = QDir(QCoreApplication::applicationDirPath())
                             .filePath(QStringLiteral("../../tools/host/skyloom-host"));
    if (!QFileInfo(host).isExecutable()) GTEST_SKIP() << "skyloom-host is not built";
    QTemporaryDir dir;
    const QString base = dir.filePath("demo");
    auto run = [&](const QStringList& args, QByteArray* out) {
        QProcess p;
        p.start(host, args);
        EXPECT_TRUE(p.waitForFinished(60000));
        *out = p.readAllStandardOutput();
        if (p.exitCode() != 0) ADD_FAILURE() << p.readAllStandardError().toStdString();
        return p.exitCode();
    };
    QByteArray out;
    ASSERT_EQ(run({"demo", "--dir", base, "--prepare-only", "--turbines", "4", "--days", "5", "--features",
                   "3,101", "--db-version", "3.6.0.0", "--language", "DE"},
                  &out),
              0);
    EXPECT_TRUE(QFileInfo::exists(base + "/SkyloomDemo.db"));
    EXPECT_TRUE(QFileInfo::exists(base + "/System/UK/SQL_ReportProfile.txt"));
    EXPECT_TRUE(QFileInfo::exists(base + "/System/DE/SQL_ReportProfile.txt"));

    ASSERT_EQ(run({"session", "show", base + "/Session.xml", "1"}, &out), 0);
    const QJsonObject session = QJsonDocument::fromJson(out).object();
    EXPECT_EQ(session["Online"].toString(), "YES");
    EXPECT_EQ(session["TraceLevel"].toInt(), 5);
    EXPECT_EQ(session["UserInit"].toString(), "ADM");
    EXPECT_EQ(session["Language"].toString(), "DE");
    EXPECT_EQ(session["DBVersion"].toString(), "3.6.0.0");
    EXPECT_EQ(session["FeatureCodes"].toArray(), (QJsonArray{3, 101}));
    EXPECT_EQ(session["SysDir"].toString(), base + "/System");
    EXPECT_EQ(session["OnlineConnection"]["DataSource"].toString(), base + "/SkyloomDemo.db");
    EXPECT_EQ(session["OnlineConnection"]["Catalog"].toString(), "SkyloomDemo");
    EXPECT_EQ(session["OnlineConnection"]["UserName"].toString(), "hr_admin");
    EXPECT_TRUE(session["OnlineConfiguration"].toString().startsWith("Provider=Embedded;"));
    const QJsonArray units = session["ParkUnits"].toArray();
    ASSERT_EQ(units.size(), 8);
    EXPECT_EQ(units[7]["DeviceTitle"].toString(), "GRID");
    EXPECT_EQ(units[0]["ParkUnitTitle"].toString(), "WTG01");

    // A second run keeps the database and writes the session for the new
    // options; the defaults give the demo administrator's feature codes.
    const QString database = base + "/SkyloomDemo.db";
    const QDateTime written = QFileInfo(database).lastModified();
    ASSERT_EQ(run({"demo", "--dir", base, "--prepare-only"}, &out), 0);
    EXPECT_EQ(QFileInfo(database).lastModified(), written);
    ASSERT_EQ(run({"session", "show", base + "/Session.xml", "1"}, &out), 0);
    EXPECT_EQ(QJsonDocument::fromJson(out).object()["FeatureCodes"].toArray(),
              (QJsonArray{3, 6, 101, 102, 146, 153}));

    // A demo written by an older program is kept aside and written anew.
    {
        QString error;
        auto server = reportdb::Server::open(database, &error);
        ASSERT_TRUE(server) << error.toStdString();
        auto connection = server->connect(&error);
        ASSERT_TRUE(connection) << error.toStdString();
        db::Command older;
        older.text = QStringLiteral("UPDATE TDemoInstallation SET ContentVersion = 1");
        ASSERT_TRUE(connection->execute(older).ok());
    }
    ASSERT_EQ(run({"demo", "--dir", base, "--prepare-only"}, &out), 0);
    EXPECT_TRUE(out.contains("older program")) << out.toStdString();
    EXPECT_TRUE(QFileInfo::exists(database + ".old"));
    reportdb::demo::Summary summary;
    QString error;
    ASSERT_TRUE(reportdb::demo::readDemoSummary(database, &summary, &error)) << error.toStdString();
    EXPECT_EQ(summary.contentVersion, reportdb::demo::kDemoContentVersion);
}
