// The data calculation process protocol, on adding units to a profile and
// removing them: the remaining work is the number of steps (the unit and a
// month of shadow data each) and falls as they run; a terminated addition
// keeps what it finished and marks the profile for regeneration. The unit
// lists and the unit configuration of a profile, and what removing a unit
// leaves behind in the configuration of the others.

#include "ReportDbTestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <future>

using namespace reportdb_tests;
using testing_support::Gate;
using testing_support::TempDatabase;

namespace {

QString shadowRange(db::Connection& connection, int profileId, int unitId) {
    return lines(connection,
                 QStringLiteral("SELECT count(*), min(ShadowDate), max(ShadowDate) FROM TShadowData "
                                "WHERE ReportProfileId = %1 AND ParkUnitId = %2")
                     .arg(profileId)
                     .arg(unitId))
        .value(0);
}

// The worker's connection is held inside each step: where it adds or
// removes a unit, and at the first day of a month of shadow data.
const QStringList kSteps = {
    "AFTER INSERT ON main.TParkUnit_TReportProfile",
    "AFTER DELETE ON main.TParkUnit_TReportProfile",
    "AFTER INSERT ON main.TShadowData WHEN substr(NEW.ShadowDate, 9, 2) = '01'",
    "AFTER DELETE ON main.TShadowData WHEN substr(OLD.ShadowDate, 9, 2) = '01'",
};

struct Units {
    TempDatabase database{sharedDemo()};
    std::unique_ptr<db::Connection> worker = database.connect();
    std::unique_ptr<db::Connection> status = database.connect();
    Gate gate;
    int point = 0;  // the next point the worker passes

    Units() { holdWrites(*worker, gate, kSteps); }

    // Runs `text` in a new process of `name` through `steps` steps; returns
    // the call's result and the remaining work seen in each step and after.
    std::pair<db::Result, std::vector<int>> runSteps(const QString& name, const QString& text, int steps) {
        const int id = createProcess(*status, name);
        auto call = std::async(std::launch::async, [&] { return run(*worker, text.arg(id)); });
        std::vector<int> seen;
        for (int step = 0; step < steps; ++step, ++point) {
            if (!gate.waitReached(point)) break;
            seen.push_back(processStatus(*status, id).toInt());
            gate.allow(point + 1);
        }
        const db::Result result = call.get();
        seen.push_back(processStatus(*status, id).toInt());
        return {result, seen};
    }
};

QString ids(const db::ResultSet& rows) {
    QStringList out;
    for (const db::Row& row : rows.rows) out << row.at(0).toString();
    return out.join(QLatin1Char(','));
}

}  // namespace

TEST(ParkUnitProcedures, AddAndDeleteRunThroughAProcess) {
    Units units;
    db::Connection& status = *units.status;

    // With a start date: the unit's shadow data from that day, which becomes
    // the new profile's shadow data start. The unit and one month.
    auto [added, seen] =
        units.runSteps("Add_Profile_Units",
                       "exec DCE_SP_AddParkUnitToProfile 1,6,'2024-12-01 00:00:00', @ProcessId = %1", 2);
    ASSERT_TRUE(added.ok()) << added.error.toStdString();
    EXPECT_EQ(seen, (std::vector<int>{2, 1, 0}));
    EXPECT_EQ(shadowRange(status, kNewProfile, 1), "31|2024-12-01 00:00:00|2024-12-31 00:00:00");
    EXPECT_EQ(scalar(status,
                     "SELECT ReportProfileShadowDataStartPCTimeStamp FROM TReportProfile WHERE "
                     "ReportProfileId = 6"),
              QVariant(QDateTime(QDate(2024, 12, 1), QTime(0, 0))));

    // Without a date the profile's start applies; without a process the
    // call reports nowhere.
    units.gate.allow(INT_MAX);
    ASSERT_TRUE(run(*units.worker, "exec DCE_SP_AddParkUnitToProfile 5,6").ok());
    units.point += 2;
    EXPECT_EQ(shadowRange(status, kNewProfile, 5), "31|2024-12-01 00:00:00|2024-12-31 00:00:00");
    EXPECT_TRUE(run(*units.worker, "exec DCE_SP_AddParkUnitToProfile 5,6").error.contains("already belongs"));
    EXPECT_TRUE(run(*units.worker, "exec DCE_SP_AddParkUnitToProfile 99,6").error.contains("does not exist"));

    // Removing a unit: its shadow data month by month, then the unit; a
    // unit of the whole park: two months.
    units.gate.allow(units.point);
    auto [deleted, removal] = units.runSteps("Delete_Profile_Units",
                                             "DCE_SP_DeleteParkUnitsWithProfileId 1, 6, @ProcessId = %1", 2);
    ASSERT_TRUE(deleted.ok()) << deleted.error.toStdString();
    EXPECT_EQ(removal, (std::vector<int>{2, 1, 0}));
    EXPECT_EQ(shadowRange(status, kNewProfile, 1), "0|NULL|NULL");
    std::tie(deleted, removal) = units.runSteps(
        "Delete_Profile_Units", "DCE_SP_DeleteParkUnitsWithProfileId 3, 1, @ProcessId = %1", 3);
    EXPECT_EQ(removal, (std::vector<int>{3, 2, 1, 0}));
    EXPECT_EQ(shadowRange(status, kWholePark, 3), "0|NULL|NULL");

    // A unit that is not in the profile is skipped; a list removes several.
    units.gate.allow(INT_MAX);
    EXPECT_TRUE(run(*units.worker, "DCE_SP_DeleteParkUnitsWithProfileId '1,5', 6").ok());
    EXPECT_EQ(
        scalar(status, "SELECT count(*) FROM TParkUnit_TReportProfile WHERE ReportProfileId = 6").toInt(), 0);
    EXPECT_FALSE(run(*units.worker, "DCE_SP_DeleteParkUnitsWithProfileId 'x', 6").ok());
}

// The process protocol: a process reports nothing until its statement
// does; its status is read while a step holds the write lock, and each
// finished step is visible at once. Terminated, the statement stops in the
// step under way (rolled back), keeps the steps it finished and marks the
// profile; the process runs nothing more. Dropped, it is forgotten.
TEST(ParkUnitProcedures, ATerminatedAdditionKeepsItsFinishedStepsAndMarksTheProfile) {
    Units units;
    db::Connection& status = *units.status;
    const int id = createProcess(status, "Add_Profile_Units");
    EXPECT_NE(createProcess(status, "Delete_Profile_Units"), id);
    EXPECT_TRUE(processStatus(status, id).isNull());
    const auto add = [&](int unit) {
        return QStringLiteral("exec DCE_SP_AddParkUnitToProfile %1,6, @ProcessId = %2").arg(unit).arg(id);
    };
    auto call = std::async(std::launch::async, [&] { return run(*units.worker, add(2)); });
    // Held in the third step (December): the unit and November are done.
    const QString months =
        "SELECT group_concat(DISTINCT substr(ShadowDate, 1, 7)) FROM TShadowData WHERE "
        "ReportProfileId = 6";
    units.gate.allow(2);
    ASSERT_TRUE(units.gate.waitReached(2));
    EXPECT_EQ(processStatus(status, id), QVariant(qlonglong(1)));
    EXPECT_EQ(scalar(status, months), QVariant("2024-11"));
    const QString terminate =
        QStringLiteral("EXEC WMS_SP_UTL_TerminateDataCalcProcess @DataCalcProcessId = %1").arg(id);
    ASSERT_TRUE(run(status, terminate).ok());
    units.gate.allow(INT_MAX);

    EXPECT_TRUE(call.get().error.contains("terminated"));
    EXPECT_FALSE(units.worker->inTransaction());
    EXPECT_EQ(processStatus(status, id), QVariant(qlonglong(1)));
    EXPECT_EQ(lines(status,
                    "SELECT ParkUnitId, ReportProfileRegeneratePendingFlag FROM TParkUnit_TReportProfile "
                    "JOIN TReportProfile USING (ReportProfileId) WHERE ReportProfileId = 6"),
              QStringList{"2|1"});
    EXPECT_EQ(scalar(status, months), QVariant("2024-11"));
    EXPECT_TRUE(run(*units.worker, add(3)).error.contains("terminated"));

    const QString drop =
        QStringLiteral("EXEC WMS_SP_UTL_DropDataCalcProcessTables @DataCalcProcessId = %1").arg(id);
    ASSERT_TRUE(run(status, drop).ok());
    EXPECT_TRUE(processStatus(status, id).isNull());
    for (const QString& again : {drop, terminate})
        EXPECT_TRUE(run(status, again).error.contains("does not exist"));
    EXPECT_TRUE(run(*units.worker, add(3)).error.contains("does not exist"));
    // A process is named after its step.
    EXPECT_FALSE(
        run(status, "WMS_SP_UTL_CreateDataCalcProcess '', :ProcessId OUTPUT", {output("ProcessId")}).ok());
}

TEST(UnitConfigurationProcedures, UnitListsByMembershipAndDevice) {
    TempDatabase database(sharedDemo());
    auto connection = database.connect();
    // Profile 5: the four turbines and the first mast; 3: turbines 3 and 4,
    // the masts and the grid point.
    const struct {
        const char* text;
        const char* ids;
    } cases[] = {
        {"exec dce_SP_selectParkUnitsWithProfileid 5,1,'WTG'", "1,2,3,4"},
        {"exec DCE_SP_SelectParkUnitsWithProfileId 5, 1, 'MET'", "5"},
        {"exec DCE_SP_SelectParkUnitsWithProfileId 5, 1, 'GRID'", ""},
        {"exec dce_SP_selectParkUnitsWithProfileid 5,0,'WTG_MET_GRID'", "6,7,8"},
        {"exec dce_SP_selectParkUnitsWithProfileid 3,0,'WTG_MET_GRID'", "1,2"},
        {"exec dce_SP_selectParkUnitsWithProfileid 6,1,'WTG_MET_GRID'", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const db::Result result = run(*connection, QString::fromLatin1(c.text));
        ASSERT_TRUE(result.ok()) << result.error.toStdString();
        EXPECT_EQ(ids(result.resultSets.at(0)), QString::fromLatin1(c.ids));
    }
    EXPECT_EQ(lines(query(*connection, "exec DCE_SP_SelectParkUnitsWithProfileId 5, 1, 'MET'")),
              QStringList{"5|MET North|3|Met mast 80 m|MET"});
    EXPECT_FALSE(run(*connection, "exec DCE_SP_SelectParkUnitsWithProfileId 5, 1, 'WTG_MET'").ok());
}

TEST(UnitConfigurationProcedures, ConfigurationColumnsFollowTheDatabaseVersion) {
    TempDatabase database(sharedDemo());
    auto connection = database.connect();
    const QString text = QStringLiteral("DCE_SP_SelectParkUnitConfigFromProfile 5");
    const struct {
        const char* version;
        bool sectors;
        bool connectionPoint;
    } cases[] = {{"3.28.0.0", true, true}, {"2.31.0.0", true, false}, {"2.29.0.0", false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        setVersion(*connection, QString::fromLatin1(c.version));
        const db::ResultSet rows = query(*connection, text);
        EXPECT_EQ(rows.columnIndex("WindSectorGroupId") >= 0, c.sectors);
        EXPECT_EQ(rows.columnIndex("ConnectionPointParkUnitId") >= 0, c.connectionPoint);
        EXPECT_EQ(rows.columns.back().name, "ReportProfileId");
        ASSERT_EQ(rows.rows.size(), 5u);
        // Every turbine has its power curve, as read and as edited.
        const int lookup = rows.columnIndex("NormLookup"), curve = rows.columnIndex("NormCurveId");
        for (const db::Row& row : rows.rows) {
            const bool turbine = row.at(size_t(rows.columnIndex("UnitTypeDevice"))) == "WTG";
            EXPECT_EQ(row.at(size_t(lookup)).isNull(), !turbine);
            EXPECT_EQ(row.at(size_t(lookup)), row.at(size_t(curve)));
        }
    }
    // The wind distribution curve is not a unit's reference curve.
    EXPECT_EQ(scalar(*connection,
                     "SELECT count(*) FROM TParkUnit_TReportProfile c JOIN TNormCurve n USING (NormCurveId) "
                     "WHERE n.NormCurveTypeId = 2")
                  .toInt(),
              0);
}

TEST(UnitConfigurationProcedures, ARemovedUnitIsNoLongerReferencedInItsProfile) {
    TempDatabase database(sharedDemo());
    auto connection = database.connect();
    const QString references = QStringLiteral(
        "SELECT count(*) FROM TParkUnit_TReportProfile WHERE ReportProfileId = %1 AND %2 IN "
        "(NeighbourTurbinePrimaryId, NeighbourTurbineSecondaryId, MetStP1Id, MetStP2Id, MetStP3Id, "
        "ConnectionPointParkUnitId)");
    for (int unit : {2, 5, 8}) {
        SCOPED_TRACE(unit);
        ASSERT_GT(scalar(*connection, references.arg(kWholePark).arg(unit)).toInt(), 0);
        ASSERT_TRUE(
            run(*connection, QStringLiteral("DCE_SP_DeleteParkUnitsWithProfileId %1, 1").arg(unit)).ok());
        EXPECT_EQ(scalar(*connection, references.arg(kWholePark).arg(unit)).toInt(), 0);
    }
    // Other profiles keep their references.
    EXPECT_GT(scalar(*connection, references.arg(5).arg(2)).toInt(), 0);
}
