// Adding units to a profile and removing them, run through data calculation
// processes: the remaining work falls while they run; a terminated addition
// keeps what it finished and marks the profile for regeneration.

#include "reportdb/EmbeddedConnection.h"
#include "support/TempDatabase.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

using db::FieldType;
using db::ParameterDirection;
using testing_support::DemoContent;
using testing_support::TempDatabase;

namespace {

// The demo's "New profile" (id 6) has no units and no shadow data start;
// raw data covers 2024.
DemoContent demoOf2024() {
    DemoContent demo;
    demo.options.turbineCount = 4;
    demo.options.rawDataDays = 366;
    return demo;
}
constexpr int kNewProfile = 6;

db::Result run(db::Connection& connection, const QString& text) {
    db::Command command;
    command.text = text;
    return connection.execute(command);
}

QVariant value(db::Connection& connection, const QString& sql) {
    const db::Result result = run(connection, sql);
    EXPECT_TRUE(result.ok()) << result.error.toStdString();
    return result.resultSets.empty() || result.resultSets[0].rows.empty()
               ? QVariant()
               : result.resultSets[0].rows[0].at(0);
}

int createProcess(db::Connection& connection, const QString& name) {
    db::Command command;
    command.text = QStringLiteral("WMS_SP_UTL_CreateDataCalcProcess '%1', :ProcessId OUTPUT").arg(name);
    command.parameters = {{"ProcessId", FieldType::Integer, 0, ParameterDirection::Output, {}}};
    EXPECT_TRUE(connection.execute(command).ok());
    return command.parameters[0].value.toInt();
}

QVariant processStatus(db::Connection& connection, int id) {
    db::Command command;
    command.text =
        QStringLiteral("EXEC WMS_SP_UTL_GetDataCalcProcessStatus %1, :DataCalcProcessStatus OUTPUT").arg(id);
    command.parameters = {
        {"DataCalcProcessStatus", FieldType::Integer, 0, ParameterDirection::InputOutput, {}}};
    EXPECT_TRUE(connection.execute(command).ok());
    return command.parameters[0].value;
}

// Runs `text` on `worker` while polling the process status on `status`;
// returns the call's result and the reported values, each change once.
std::pair<db::Result, std::vector<QVariant>> runWatched(db::Connection& worker, db::Connection& status,
                                                        int id, const QString& text) {
    auto call = std::async(std::launch::async, [&] { return run(worker, text); });
    std::vector<QVariant> seen;
    for (;;) {
        const bool ready = call.wait_for(std::chrono::milliseconds(1)) == std::future_status::ready;
        const QVariant current = processStatus(status, id);
        if (seen.empty() || seen.back() != current) seen.push_back(current);
        if (ready) break;
    }
    return {call.get(), seen};
}

void expectFalling(const std::vector<QVariant>& seen, int total) {
    std::vector<int> reported;
    for (const QVariant& v : seen)
        if (!v.isNull()) reported.push_back(v.toInt());
    ASSERT_FALSE(reported.empty());
    EXPECT_LE(reported.front(), total);
    EXPECT_EQ(reported.back(), 0);
    for (size_t i = 1; i < reported.size(); ++i) EXPECT_LT(reported[i], reported[i - 1]);
}

QString shadowRange(db::Connection& connection, int profileId, int unitId) {
    return value(connection,
                 QStringLiteral("SELECT count(*) || ' ' || ifnull(min(ShadowDate), '-') || ' ' || "
                                "ifnull(max(ShadowDate), '-') FROM TShadowData WHERE ReportProfileId = %1 "
                                "AND ParkUnitId = %2")
                     .arg(profileId)
                     .arg(unitId))
        .toString();
}

}  // namespace

TEST(ParkUnitProcedures, AddAndDeleteRunThroughAProcess) {
    TempDatabase database(demoOf2024());
    auto worker = database.connect();
    auto status = database.connect();
    ASSERT_TRUE(worker && status);

    // With a start date: the unit's shadow data from that day; the profile
    // gets it as its shadow data start. Ten months and the unit itself.
    int id = createProcess(*status, "Add_Profile_Units");
    auto [added, seen] =
        runWatched(*worker, *status, id,
                   QStringLiteral("exec DCE_SP_AddParkUnitToProfile 1,%1,'2024-03-01 00:00:00', "
                                  "@ProcessId = %2")
                       .arg(kNewProfile)
                       .arg(id));
    ASSERT_TRUE(added.ok()) << added.error.toStdString();
    expectFalling(seen, 11);
    EXPECT_EQ(shadowRange(*status, kNewProfile, 1), "306 2024-03-01 00:00:00 2024-12-31 00:00:00");
    EXPECT_EQ(value(*status,
                    "SELECT ReportProfileShadowDataStartPCTimeStamp FROM TReportProfile WHERE "
                    "ReportProfileId = 6"),
              QVariant(QDateTime(QDate(2024, 3, 1), QTime(0, 0))));

    // Without a date the profile's start applies; without a process it
    // reports nowhere.
    ASSERT_TRUE(run(*worker, "exec DCE_SP_AddParkUnitToProfile 5,6").ok());
    EXPECT_EQ(shadowRange(*status, kNewProfile, 5), "306 2024-03-01 00:00:00 2024-12-31 00:00:00");
    EXPECT_TRUE(run(*worker, "exec DCE_SP_AddParkUnitToProfile 5,6").error.contains("already belongs"));
    EXPECT_TRUE(run(*worker, "exec DCE_SP_AddParkUnitToProfile 99,6").error.contains("does not exist"));

    // Removing: the shadow data month by month, then the unit.
    id = createProcess(*status, "Delete_Profile_Units");
    auto [deleted, removal] =
        runWatched(*worker, *status, id,
                   QStringLiteral("DCE_SP_DeleteParkUnitsWithProfileId 1, 6, @ProcessId = %1").arg(id));
    ASSERT_TRUE(deleted.ok()) << deleted.error.toStdString();
    expectFalling(removal, 11);
    EXPECT_EQ(shadowRange(*status, kNewProfile, 1), "0 - -");
    EXPECT_EQ(
        value(*status,
              "SELECT group_concat(ParkUnitId) FROM TParkUnit_TReportProfile WHERE ReportProfileId = 6"),
        QVariant(QString("5")));
    // A unit that is not in the profile is skipped; a list removes several.
    EXPECT_TRUE(run(*worker, "DCE_SP_DeleteParkUnitsWithProfileId '1,5', 6").ok());
    EXPECT_EQ(
        value(*status, "SELECT count(*) FROM TParkUnit_TReportProfile WHERE ReportProfileId = 6").toInt(), 0);
    EXPECT_FALSE(run(*worker, "DCE_SP_DeleteParkUnitsWithProfileId 'x', 6").ok());
}

TEST(ParkUnitProcedures, ATerminatedAdditionKeepsItsFinishedStepsAndMarksTheProfile) {
    TempDatabase database(demoOf2024());
    auto worker = database.connect();
    auto status = database.connect();
    auto blocker = database.connect();
    ASSERT_TRUE(worker && status && blocker);

    const int id = createProcess(*status, "Add_Profile_Units");
    const int total = 13;  // the unit and twelve months
    auto call = std::async(std::launch::async, [&] {
        return run(*worker, QStringLiteral("exec DCE_SP_AddParkUnitToProfile 2,6, @ProcessId = %1").arg(id));
    });
    // Once some steps are done, hold the next one back by taking the write
    // lock: the running step lets it go between two steps.
    for (;;) {
        const QVariant current = processStatus(*status, id);
        if (!current.isNull() && current.toInt() < total - 1) break;
        ASSERT_NE(call.wait_for(std::chrono::milliseconds(1)), std::future_status::ready)
            << "finished too early";
    }
    QString error;
    ASSERT_TRUE(blocker->beginTransaction(&error)) << error.toStdString();
    // The addition reports the step it committed, then waits for the lock.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const int remaining = processStatus(*status, id).toInt();
    ASSERT_GT(remaining, 0);
    ASSERT_TRUE(
        run(*status,
            QStringLiteral("EXEC WMS_SP_UTL_TerminateDataCalcProcess @DataCalcProcessId = %1").arg(id))
            .ok());
    ASSERT_TRUE(blocker->rollback(&error));

    const db::Result result = call.get();
    EXPECT_TRUE(result.error.contains("terminated")) << result.error.toStdString();
    EXPECT_EQ(processStatus(*status, id).toInt(), remaining);
    // The unit and the months before the terminated step stay; the profile
    // is marked for regeneration.
    const int monthsDone = total - 1 - remaining;
    EXPECT_EQ(
        value(*status,
              "SELECT count(*) FROM TParkUnit_TReportProfile WHERE ReportProfileId = 6 AND ParkUnitId = 2")
            .toInt(),
        1);
    EXPECT_EQ(
        value(*status,
              "SELECT count(DISTINCT substr(ShadowDate, 1, 7)) FROM TShadowData WHERE ReportProfileId = 6")
            .toInt(),
        monthsDone);
    EXPECT_EQ(value(*status,
                    "SELECT ReportProfileRegeneratePendingFlag FROM TReportProfile WHERE ReportProfileId = 6")
                  .toInt(),
              1);
}
