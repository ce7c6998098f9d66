// The data calculation process protocol: a statement that runs in a process
// reports its remaining work, which another connection reads while the
// statement runs; terminating the process stops it and rolls back the step
// it had not finished.

#include "ReportDbTestSupport.h"
#include "reportdb/ProcedureRegistry.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

using namespace reportdb_tests;
using db::FieldType;
using reportdb::Arguments;
using reportdb::ProcedureContext;
using reportdb::ProcedureParameter;
using reportdb::ProcedureResult;
using testing_support::Gate;
using testing_support::TempDatabase;

namespace {

// TEST_SP_Steps @Steps, @ProcessId: point 0 before the first report; then
// one step per user row, the step i + 1 point inside step i (after its
// insert, before its commit); the remaining work after each step.
std::shared_ptr<reportdb::ProcedureRegistry> gatedRegistry(Gate& gate) {
    auto registry = reportdb::standardRegistry();
    registry->addStepwise("TEST_SP_Steps",
                          {ProcedureParameter::input("@Steps", FieldType::Integer),
                           ProcedureParameter::optional("@ProcessId", FieldType::Integer, {})},
                          [&gate](ProcedureContext& context, const Arguments& args) {
                              auto process = context.process(args);
                              const int steps = args.toInt("@Steps");
                              gate.pass(0);
                              process.setRemaining(steps);
                              for (int i = 0; i < steps; ++i) {
                                  context.step(
                                      [&] {
                                          context.exec("INSERT INTO TUser (UserInitials) VALUES (?)",
                                                       {QString("S%1").arg(i)});
                                          gate.pass(i + 1);
                                      },
                                      &process);
                                  process.setRemaining(steps - i - 1);
                              }
                              return ProcedureResult{};
                          });
    return registry;
}

int userCount(db::Connection& connection) {
    return scalar(connection, "SELECT count(*) FROM TUser WHERE UserInitials LIKE 'S%'").toInt();
}

}  // namespace

TEST(DataCalcProcess, RemainingWorkFallsWhileTheStatementRuns) {
    Gate gate;
    TempDatabase database(QString::fromLatin1(reportdb::kDefaultVersionText), gatedRegistry(gate));
    auto worker = database.connect();
    auto status = database.connect();
    ASSERT_TRUE(worker && status);

    const int id = createProcess(*status, "Add_Profile_Units");
    EXPECT_GT(id, 0);
    EXPECT_NE(createProcess(*status, "Delete_Profile_Units"), id);
    EXPECT_TRUE(processStatus(*status, id).isNull());

    auto call = std::async(std::launch::async, [&] {
        return run(*worker, QStringLiteral("TEST_SP_Steps 3, @ProcessId = %1").arg(id));
    });
    ASSERT_TRUE(gate.waitReached(0));
    // Running, but nothing reported yet.
    EXPECT_TRUE(processStatus(*status, id).isNull());
    gate.allow(1);

    for (int step = 0; step < 3; ++step) {
        ASSERT_TRUE(gate.waitReached(step + 1));
        // Read while the step holds the write lock: the status does not wait for it.
        EXPECT_EQ(processStatus(*status, id), QVariant(qlonglong(3 - step)));
        // Each finished step is committed and visible at once.
        EXPECT_EQ(userCount(*status), step);
        gate.allow(step + 2);
    }
    const db::Result result = call.get();
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_EQ(processStatus(*status, id), QVariant(qlonglong(0)));
    EXPECT_EQ(userCount(*status), 3);

    // Without @ProcessId the same statement runs and reports nowhere.
    gate.allow(100);
    EXPECT_TRUE(run(*worker, "TEST_SP_Steps 1").ok());
    EXPECT_EQ(userCount(*status), 4);
}

TEST(DataCalcProcess, TerminatingStopsTheStatementAndRollsBackItsUnfinishedStep) {
    Gate gate;
    TempDatabase database(QString::fromLatin1(reportdb::kDefaultVersionText), gatedRegistry(gate));
    auto worker = database.connect();
    auto status = database.connect();
    ASSERT_TRUE(worker && status);

    const int id = createProcess(*status, "Add_Profile_Units");
    auto call = std::async(std::launch::async, [&] {
        return run(*worker, QStringLiteral("TEST_SP_Steps 4, @ProcessId = %1").arg(id));
    });
    gate.allow(3);
    ASSERT_TRUE(gate.waitReached(3));  // inside the third step
    EXPECT_EQ(processStatus(*status, id), QVariant(qlonglong(2)));
    const db::Result terminate = run(
        *status, QStringLiteral("EXEC WMS_SP_UTL_TerminateDataCalcProcess @DataCalcProcessId = %1").arg(id));
    ASSERT_TRUE(terminate.ok()) << terminate.error.toStdString();
    gate.allow(100);

    const db::Result result = call.get();
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.error.contains("terminated")) << result.error.toStdString();
    // Two steps committed, the third rolled back, the fourth never ran.
    EXPECT_EQ(userCount(*status), 2);
    EXPECT_EQ(processStatus(*status, id), QVariant(qlonglong(2)));
    EXPECT_FALSE(worker->inTransaction());

    // A terminated process runs nothing more.
    const db::Result again = run(*worker, QStringLiteral("TEST_SP_Steps 1, @ProcessId = %1").arg(id));
    EXPECT_TRUE(again.error.contains("terminated")) << again.error.toStdString();
    EXPECT_EQ(userCount(*status), 2);

    // Dropping forgets the process: its status is unknown and it cannot be
    // terminated, dropped or used again.
    const QString drop =
        QStringLiteral("EXEC WMS_SP_UTL_DropDataCalcProcessTables @DataCalcProcessId = %1").arg(id);
    ASSERT_TRUE(run(*status, drop).ok());
    EXPECT_TRUE(processStatus(*status, id).isNull());
    EXPECT_TRUE(run(*status, drop).error.contains("does not exist"));
    EXPECT_TRUE(
        run(*status,
            QStringLiteral("EXEC WMS_SP_UTL_TerminateDataCalcProcess @DataCalcProcessId = %1").arg(id))
            .error.contains("does not exist"));
    EXPECT_TRUE(run(*worker, QStringLiteral("TEST_SP_Steps 1, @ProcessId = %1").arg(id))
                    .error.contains("does not exist"));

    // A process is named after its step.
    EXPECT_FALSE(
        run(*status, "WMS_SP_UTL_CreateDataCalcProcess '', :ProcessId OUTPUT", {output("ProcessId")}).ok());
}
