#include "db/AsyncExecutor.h"
#include "db/DataSet.h"
#include "db/Parameters.h"
#include "support/Gate.h"
#include "support/TempDatabase.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <climits>
#include <mutex>

namespace {

using db::AsyncExecutor;
using ::testing::HasSubstr;

// A statement that runs for many seconds unless interrupted.
const QString kLongCount = QStringLiteral(
    "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT count(*) FROM c WHERE x < "
    "100000000");

// Waits the way the status window does: 100 ms of event processing at a time
// until the flag is set.
bool waitFor(const bool& flag, int maxMs = 20000) {
    QElapsedTimer clock;
    clock.start();
    while (!flag && clock.elapsed() < maxMs) {
        QEventLoop loop;
        QTimer::singleShot(100, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return flag;
}

std::shared_ptr<reportdb::ProcedureRegistry> registryWithScale() {
    auto registry = reportdb::standardRegistry();
    registry->add(
        QStringLiteral("TEST_SP_Scale"),
        {reportdb::ProcedureParameter::input(QStringLiteral("@Value"), db::FieldType::Integer),
         reportdb::ProcedureParameter::out(QStringLiteral("@Scaled"), db::FieldType::Integer)},
        [](reportdb::ProcedureContext& context, const reportdb::Arguments& args) {
            reportdb::ProcedureResult r;
            const qlonglong v = args.toLongLong(QStringLiteral("@Value"));
            r.outputs[QStringLiteral("@Scaled")] = v * 10;
            r.returnValue = v == 0 ? 5 : 0;
            r.resultSets.push_back(context.query(QStringLiteral("SELECT ? AS V, ? + 1 AS W"), {v, v}));
            return r;
        });
    return registry;
}

// Where the worker's statements stop on their way: point 2n before
// statement n reaches the database, 2n + 1 after it returned; and how each
// one ended.
struct Checkpoints {
    testing_support::Gate gate;
    bool interruptOpensGate = false;  // an interrupt lets every held statement go on
    std::mutex mutex;
    QStringList ended;
    int statements = 0;

    int nextPoint() {
        std::lock_guard lock(mutex);
        return 2 * statements++;
    }
    void note(const db::Result& result) {
        std::lock_guard lock(mutex);
        ended << (result.ok() ? QStringLiteral("ok") : result.error);
    }
    QStringList endings() {
        std::lock_guard lock(mutex);
        return ended;
    }
};

// The connection the executor's worker gets: passes every statement on to a
// real connection, through the checkpoints.
class CheckpointConnection : public db::Connection {
public:
    CheckpointConnection(std::unique_ptr<db::Connection> inner, std::shared_ptr<Checkpoints> points)
        : inner_(std::move(inner)), points_(std::move(points)) {}

    db::Result execute(db::Command& command) override {
        const int point = points_->nextPoint();
        points_->gate.pass(point);
        db::Result result = inner_->execute(command);
        points_->note(result);
        points_->gate.pass(point + 1);
        return result;
    }
    bool beginTransaction(QString* error) override { return inner_->beginTransaction(error); }
    bool commit(QString* error) override { return inner_->commit(error); }
    bool rollback(QString* error) override { return inner_->rollback(error); }
    bool inTransaction() const override { return inner_->inTransaction(); }
    void interrupt() override {
        inner_->interrupt();
        if (points_->interruptOpensGate) points_->gate.allow(INT_MAX);
    }
    std::unique_ptr<db::Connection> openSibling(QString* error) const override {
        auto sibling = inner_->openSibling(error);
        return sibling ? std::make_unique<CheckpointConnection>(std::move(sibling), points_) : nullptr;
    }
    QString databaseName() const override { return inner_->databaseName(); }

private:
    std::unique_ptr<db::Connection> inner_;
    std::shared_ptr<Checkpoints> points_;
};

class AsyncExecution : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(database.isValid());
        connection = database.connect();
        ASSERT_TRUE(connection);
        QObject::connect(&executor, &AsyncExecutor::finished, [this](bool ok) {
            finished = true;
            finishedOk = ok;
            ++finishedCount;
            finishedOnThread = QThread::currentThread();
        });
    }

    testing_support::TempDatabase database{QString::fromLatin1(reportdb::kDefaultVersionText),
                                           registryWithScale()};
    std::unique_ptr<db::Connection> connection;
    AsyncExecutor executor;
    bool finished = false;
    bool finishedOk = false;
    int finishedCount = 0;
    QThread* finishedOnThread = nullptr;
};

TEST_F(AsyncExecution, CompletesOnTheOwnersThreadWithOutputs) {
    db::Command c;
    c.type = db::CommandType::StoredProcedure;
    c.text = QStringLiteral("TEST_SP_Scale");
    db::AddParameter(
        c,
        {QStringLiteral("@ReturnValue"), db::FieldType::Integer, 4, db::ParameterDirection::ReturnValue, {}});
    db::AddParameter(
        c, {QStringLiteral("@Value"), db::FieldType::Integer, 4, db::ParameterDirection::Input, "4"});
    db::AddParameter(
        c, {QStringLiteral("@Scaled"), db::FieldType::Integer, 4, db::ParameterDirection::Output, "NULL"});

    ASSERT_TRUE(executor.execute(*connection, c)) << executor.errorText().toStdString();
    EXPECT_TRUE(executor.isRunning());
    // Only one execution at a time.
    EXPECT_FALSE(executor.execute(*connection, c));
    EXPECT_FALSE(executor.errorText().isEmpty());
    EXPECT_FALSE(finished);  // never reported synchronously

    ASSERT_TRUE(waitFor(finished));
    EXPECT_TRUE(finishedOk);
    EXPECT_EQ(finishedCount, 1);
    EXPECT_EQ(finishedOnThread, QThread::currentThread());
    EXPECT_EQ(executor.outcome(), AsyncExecutor::Outcome::Completed);
    EXPECT_FALSE(executor.isRunning());
    EXPECT_EQ(executor.command().parameter(QStringLiteral("@Scaled"))->value.toInt(), 40);
    EXPECT_EQ(executor.command().returnValueParameter()->value.toInt(), 0);
    EXPECT_TRUE(c.parameter(QStringLiteral("@Scaled"))->isNull());  // the caller's copy is untouched
    ASSERT_EQ(executor.rows().rows.size(), 1u);

    // The rows of an execution open a data set, as ExecuteAsync for a data set does.
    db::Command select;
    select.text = QStringLiteral("SELECT ReportProfileId FROM TReportProfile WHERE 1 = 0 UNION ALL SELECT 7");
    finished = false;
    ASSERT_TRUE(executor.open(*connection, select));
    ASSERT_TRUE(waitFor(finished));
    ASSERT_TRUE(finishedOk) << executor.errorText().toStdString();
    db::DataSet ds;
    ds.setRows(executor.rows());
    ds.setCommand(executor.command());
    ASSERT_EQ(ds.recordCount(), 1);
    EXPECT_EQ(ds.value(0).toInt(), 7);

    // A return value other than 0 is the caller's to judge: the run itself succeeded.
    c.parameter(QStringLiteral("@Value"))->value = 0;
    finished = false;
    ASSERT_TRUE(executor.execute(*connection, c));
    ASSERT_TRUE(waitFor(finished));
    EXPECT_TRUE(finishedOk);
    EXPECT_EQ(executor.command().returnValueParameter()->value.toInt(), 5);
}

TEST_F(AsyncExecution, RunsOnASharedConnection) {
    db::SharedConnection shared(QStringLiteral("Database"), database.factory());
    shared.setConnectionString(database.connectionString());
    db::Command c;
    c.text = QStringLiteral("SELECT 6 * 7");
    ASSERT_TRUE(executor.open(shared, c)) << executor.errorText().toStdString();
    EXPECT_TRUE(shared.isConnected());
    ASSERT_TRUE(waitFor(finished));
    EXPECT_TRUE(finishedOk);
    EXPECT_EQ(executor.rows().rows.at(0).at(0).toInt(), 42);

    db::SharedConnection nowhere(QStringLiteral("Database"), database.factory());
    nowhere.setConnectionString(QStringLiteral("Provider=Embedded;Data Source=/nonexistent/x.db"));
    finished = false;
    EXPECT_FALSE(executor.execute(nowhere, c));
    EXPECT_FALSE(executor.errorText().isEmpty());
    EXPECT_FALSE(executor.isRunning());
}

TEST_F(AsyncExecution, ReportsProviderErrors) {
    db::Command c;
    c.text = QStringLiteral("SELECT * FROM TNoSuchTable");
    ASSERT_TRUE(executor.execute(*connection, c));
    ASSERT_TRUE(waitFor(finished));
    EXPECT_FALSE(finishedOk);
    EXPECT_EQ(executor.outcome(), AsyncExecutor::Outcome::Failed);
    EXPECT_THAT(executor.errorText().toStdString(), HasSubstr("no such table"));

    // Opening a data set needs rows.
    c.text = QStringLiteral("DELETE FROM TReportProfile WHERE 0");
    finished = false;
    ASSERT_TRUE(executor.open(*connection, c));
    ASSERT_TRUE(waitFor(finished));
    EXPECT_FALSE(finishedOk);
    EXPECT_THAT(executor.errorText().toStdString(), HasSubstr("no rows"));
    // The same statement as a command is fine.
    finished = false;
    ASSERT_TRUE(executor.execute(*connection, c));
    ASSERT_TRUE(waitFor(finished));
    EXPECT_TRUE(finishedOk) << executor.errorText().toStdString();
}

TEST_F(AsyncExecution, CancelAndTimeOutStopALongStatement) {
    db::Command c;
    c.text = kLongCount;
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(executor.execute(*connection, c));
    // Cancel from inside the waiting loop, as the cancel button would.
    QTimer::singleShot(300, &executor, &AsyncExecutor::cancel);
    ASSERT_TRUE(waitFor(finished));
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_FALSE(finishedOk);
    EXPECT_EQ(executor.outcome(), AsyncExecutor::Outcome::Cancelled);
    EXPECT_FALSE(executor.errorText().isEmpty());

    // Cancel right after the start, before the statement may have begun.
    finished = false;
    clock.restart();
    ASSERT_TRUE(executor.execute(*connection, c));
    executor.cancel();
    ASSERT_TRUE(waitFor(finished));
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_EQ(executor.outcome(), AsyncExecutor::Outcome::Cancelled);

    // The command's time-out.
    c.timeoutSeconds = 1;
    finished = false;
    clock.restart();
    ASSERT_TRUE(executor.execute(*connection, c));
    ASSERT_TRUE(waitFor(finished));
    EXPECT_GE(clock.elapsed(), 900);
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_EQ(executor.outcome(), AsyncExecutor::Outcome::TimedOut);

    // The executor is usable again afterwards.
    db::Command quick;
    quick.text = QStringLiteral("SELECT 1");
    finished = false;
    ASSERT_TRUE(executor.execute(*connection, quick));
    ASSERT_TRUE(waitFor(finished));
    EXPECT_TRUE(finishedOk);
}

// Destroying an executor right after execute() ends its statement at once,
// whether the interrupt comes just before the statement starts or while it
// runs; with a fault it would run until the command's time-out.
TEST_F(AsyncExecution, DestroyingAnExecutorEndsItsStatementInEveryInterleaving) {
    db::Command c;
    c.text = kLongCount;
    c.timeoutSeconds = 1;
    for (int i = 0; i < 10; ++i) {
        const bool beforeStart = i % 2 == 0;
        SCOPED_TRACE(beforeStart ? "interrupted before the statement starts" : "interrupted as it starts");
        auto points = std::make_shared<Checkpoints>();
        CheckpointConnection gated(database.connect(), points);
        points->interruptOpensGate = beforeStart;
        if (!beforeStart) points->gate.allow(INT_MAX);
        {
            AsyncExecutor local;
            ASSERT_TRUE(local.execute(gated, c));
            ASSERT_TRUE(points->gate.waitReached(0));
        }
        EXPECT_EQ(points->endings().join("|").toStdString(), "interrupted");
    }
    // Nothing is delivered to the destroyed executors later.
    QCoreApplication::processEvents();
}

// A run of several commands that is cancelled as one of them completes
// starts none of the others, and keeps none of their work.
TEST_F(AsyncExecution, ACancelledRunStartsNoFurtherCommand) {
    auto points = std::make_shared<Checkpoints>();
    db::SharedConnection shared(QStringLiteral("Database"),
                                [&](const QString&, QString*) -> std::unique_ptr<db::Connection> {
                                    return std::make_unique<CheckpointConnection>(database.connect(), points);
                                });
    std::vector<db::Command> commands(2);
    commands[0].text = QStringLiteral("INSERT INTO TUser (UserInitials) VALUES ('AB')");
    commands[1].text = QStringLiteral("INSERT INTO TUser (UserInitials) VALUES ('CD')");
    points->gate.allow(1);  // the first command runs, then waits
    ASSERT_TRUE(executor.executeAll(shared, commands)) << executor.errorText().toStdString();
    ASSERT_TRUE(points->gate.waitReached(1));
    executor.cancel();
    points->gate.allow(INT_MAX);
    ASSERT_TRUE(waitFor(finished));
    EXPECT_EQ(executor.outcome(), AsyncExecutor::Outcome::Cancelled);
    EXPECT_EQ(points->endings().join("|").toStdString(), "ok");
    EXPECT_EQ(database.scalar("SELECT count(*) FROM TUser").toInt(), 0);
}

}  // namespace
