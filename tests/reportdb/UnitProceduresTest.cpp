// The data calculation process protocol, on adding units to a profile and
// removing them: the remaining work is the number of steps (the unit and a
// month of shadow data each) and falls as they run; a terminated addition
// keeps what it finished and marks the profile for regeneration.

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
