#include "db/AsyncExecutor.h"
#include "db/DataSet.h"
#include "support/Gate.h"
#include "support/Hold.h"
#include "support/TempDatabase.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <climits>
#include <mutex>

namespace {

using db::AsyncExecutor;
using Outcome = db::AsyncExecutor::Outcome;

// A statement that runs for many seconds unless interrupted.
const QString kLongCount = QStringLiteral(
    "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT count(*) FROM c WHERE x < "
    "100000000");

db::Command sql(const QString& text, int timeoutSeconds = 0) {
    db::Command c;
    c.text = text;
    c.timeoutSeconds = timeoutSeconds;
    return c;
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
    QString endings() {
        std::lock_guard lock(mutex);
        return ended.join(u'|');
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
        connection = database.connect();
        ASSERT_TRUE(connection);
        shared.setConnectionString(database.connectionString());
        QObject::connect(&executor, &AsyncExecutor::finished, [this](bool ok) {
            ++finishedCount;
            finishedOk = ok;
            finishedOnThread = QThread::currentThread();
        });
    }

    // TEST_SP_Scale @Value, @Scaled OUTPUT: @Scaled = 10 * @Value, returns 5
    // for 0, and the row (@Value, @Value + 1). TEST_SP_Hold: see Hold.
    std::shared_ptr<reportdb::ProcedureRegistry> registry() {
        auto registry = reportdb::standardRegistry();
        registry->add("TEST_SP_Scale",
                      {reportdb::ProcedureParameter::input("@Value", db::FieldType::Integer),
                       reportdb::ProcedureParameter::out("@Scaled", db::FieldType::Integer)},
                      [](reportdb::ProcedureContext& context, const reportdb::Arguments& args) {
                          reportdb::ProcedureResult r;
                          const qlonglong v = args.toLongLong("@Value");
                          r.outputs["@Scaled"] = v * 10;
                          r.returnValue = v == 0 ? 5 : 0;
                          r.resultSets.push_back(context.query("SELECT ? AS V, ? + 1 AS W", {v, v}));
                          return r;
                      });
        registry->add("TEST_SP_Hold", {}, [this](reportdb::ProcedureContext& c, const reportdb::Arguments&) {
            hold.run(c);
            return reportdb::ProcedureResult();
        });
        return registry;
    }

    // Runs the event loop until the executor reports the run it started.
    bool waitFinished(int count = 1) {
        if (finishedCount < count) {
            QEventLoop loop;
            QObject::connect(&executor, &AsyncExecutor::finished, &loop, [&] {
                if (finishedCount >= count) loop.quit();
            });
            QTimer::singleShot(20000, &loop, &QEventLoop::quit);
            loop.exec();
        }
        return finishedCount >= count;
    }
    db::Command scale(int value) {
        db::Command c;
        c.type = db::CommandType::StoredProcedure;
        c.text = QStringLiteral("TEST_SP_Scale");
        c.parameters = {{"@ReturnValue", db::FieldType::Integer, 4, db::ParameterDirection::ReturnValue, {}},
                        {"@Value", db::FieldType::Integer, 4, db::ParameterDirection::Input, value},
                        {"@Scaled", db::FieldType::Integer, 4, db::ParameterDirection::Output, {}}};
        return c;
    }

    testing_support::Hold hold;
    testing_support::TempDatabase database{QString::fromLatin1(reportdb::kDefaultVersionText), registry()};
    std::unique_ptr<db::Connection> connection;
    db::SharedConnection shared{QStringLiteral("Database"), database.factory()};
    AsyncExecutor executor;
    int finishedCount = 0;
    bool finishedOk = false;
    QThread* finishedOnThread = nullptr;
};

TEST_F(AsyncExecution, CompletesOnTheOwnersThreadWithOutputsAndRows) {
    const db::Command c = scale(4);
    ASSERT_TRUE(executor.execute(*connection, c)) << executor.errorText().toStdString();
    EXPECT_TRUE(executor.isRunning());
    EXPECT_FALSE(executor.execute(*connection, c)) << "only one execution at a time";
    EXPECT_EQ(finishedCount, 0) << "reported synchronously";
    ASSERT_TRUE(waitFinished());
    EXPECT_TRUE(finishedOk);
    EXPECT_EQ(finishedOnThread, QThread::currentThread());
    EXPECT_EQ(executor.outcome(), Outcome::Completed);
    EXPECT_EQ(executor.command().parameter(QStringLiteral("@Scaled"))->value.toInt(), 40);
    EXPECT_TRUE(c.parameter(QStringLiteral("@Scaled"))->isNull()) << "the caller's copy changed";

    // A return value other than 0 is the caller's to judge: the run succeeded.
    ASSERT_TRUE(executor.execute(*connection, scale(0)));
    ASSERT_TRUE(waitFinished(2));
    EXPECT_TRUE(finishedOk);
    EXPECT_EQ(executor.command().returnValueParameter()->value.toInt(), 5);

    // The rows of a statement, on a shared connection that connects on demand.
    ASSERT_TRUE(executor.open(shared, sql("SELECT 6 * 7 UNION ALL SELECT 1")))
        << executor.errorText().toStdString();
    EXPECT_TRUE(shared.isConnected());
    ASSERT_TRUE(waitFinished(3));
    db::DataSet ds;
    ds.setRows(executor.rows());
    ASSERT_EQ(ds.recordCount(), 2);
    EXPECT_EQ(ds.value(0).toInt(), 42);

    db::SharedConnection nowhere(QStringLiteral("Database"), database.factory());
    nowhere.setConnectionString(QStringLiteral("Provider=Embedded;Data Source=/nonexistent/x.db"));
    EXPECT_FALSE(executor.execute(nowhere, sql("SELECT 1")));
    EXPECT_FALSE(executor.errorText().isEmpty());
    EXPECT_FALSE(executor.isRunning());
}

TEST_F(AsyncExecution, CancelAndTimeOutStopAStatement) {
    // Cancelled while it runs, and right after the start, before it may have begun.
    testing_support::WhenHeld user(hold, [this] { executor.cancel(); });
    ASSERT_TRUE(executor.execute(*connection, sql("EXEC TEST_SP_Hold")));
    ASSERT_TRUE(waitFinished(1));
    EXPECT_EQ(executor.outcome(), Outcome::Cancelled);
    EXPECT_FALSE(executor.errorText().isEmpty());
    ASSERT_TRUE(executor.execute(*connection, sql(kLongCount)));
    executor.cancel();
    ASSERT_TRUE(waitFinished(2));
    EXPECT_EQ(executor.outcome(), Outcome::Cancelled);

    // A time-out of 0 is no limit: events that run while it is held do not end it.
    auto points = std::make_shared<Checkpoints>();
    CheckpointConnection gated(database.connect(), points);
    ASSERT_TRUE(executor.execute(gated, sql("SELECT 1")));
    ASSERT_TRUE(points->gate.waitReached(0));
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
    points->gate.allow(INT_MAX);
    ASSERT_TRUE(waitFinished(3));
    EXPECT_EQ(executor.outcome(), Outcome::Completed);

    // The command's time-out.
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(executor.execute(*connection, sql("EXEC TEST_SP_Hold", 1)));
    ASSERT_TRUE(waitFinished(4));
    EXPECT_GE(clock.elapsed(), 900);
    EXPECT_EQ(executor.outcome(), Outcome::TimedOut);

    ASSERT_TRUE(executor.execute(*connection, sql("SELECT 1")));
    ASSERT_TRUE(waitFinished(5));
    EXPECT_TRUE(finishedOk) << "not usable again";
}

// Destroying an executor right after execute() ends its statement at once,
// whether the interrupt comes just before the statement starts or while it
// runs; with a fault it would run until the command's time-out.
TEST_F(AsyncExecution, DestroyingAnExecutorEndsItsStatementInEveryInterleaving) {
    for (int i = 0; i < 10; ++i) {
        const bool beforeStart = i % 2 == 0;
        SCOPED_TRACE(beforeStart ? "interrupted before the statement starts" : "interrupted as it starts");
        auto points = std::make_shared<Checkpoints>();
        CheckpointConnection gated(database.connect(), points);
        points->interruptOpensGate = beforeStart;
        if (!beforeStart) points->gate.allow(INT_MAX);
        {
            AsyncExecutor local;
            ASSERT_TRUE(local.execute(gated, sql(kLongCount, 1)));
            ASSERT_TRUE(points->gate.waitReached(0));
        }
        EXPECT_EQ(points->endings(), QStringLiteral("interrupted"));
    }
    // Nothing is delivered to the destroyed executors later.
    QCoreApplication::processEvents();
}

// Several commands in one transaction: all are written or none; the run
// stops at the first that fails or returns a non-zero return value.
TEST_F(AsyncExecution, SeveralCommandsAreWrittenAllOrNone) {
    const auto insert = [](const char* initials) {
        return sql(QStringLiteral("INSERT INTO TUser (UserInitials) VALUES ('%1')").arg(initials));
    };
    const struct {
        std::vector<db::Command> commands;
        int failedIndex;
        int written;
    } table[] = {
        {{insert("A1"), insert("A2"), scale(1)}, -1, 2},
        {{insert("B1"), scale(0), insert("B3")}, 1, 0},  // return value 5: refused
        {{insert("C1"), sql("SELECT * FROM TNoSuchTable")}, 1, 0},
    };
    int runs = 0;
    int users = database.scalar("SELECT count(*) FROM TUser").toInt();
    for (const auto& row : table) {
        SCOPED_TRACE(row.failedIndex);
        ASSERT_TRUE(executor.executeAll(shared, row.commands)) << executor.errorText().toStdString();
        ASSERT_TRUE(waitFinished(++runs));
        EXPECT_EQ(executor.failedIndex(), row.failedIndex);
        if (const db::Parameter* returned = executor.command().returnValueParameter()) {
            EXPECT_EQ(returned->value.toInt(), row.failedIndex < 0 ? 0 : 5);
        }
        users += row.written;
        EXPECT_EQ(database.scalar("SELECT count(*) FROM TUser").toInt(), users);
    }
    EXPECT_FALSE(executor.executeAll(shared, {}));
}

// A run of several commands that is cancelled as one of them completes
// starts none of the others, and keeps none of their work.
TEST_F(AsyncExecution, ACancelledRunStartsNoFurtherCommand) {
    auto points = std::make_shared<Checkpoints>();
    db::SharedConnection gated(QStringLiteral("Database"), [&](const QString&, QString*) {
        return std::unique_ptr<db::Connection>(
            std::make_unique<CheckpointConnection>(database.connect(), points));
    });
    points->gate.allow(1);  // the first command runs, then waits
    ASSERT_TRUE(executor.executeAll(gated, {sql("INSERT INTO TUser (UserInitials) VALUES ('AB')"),
                                            sql("INSERT INTO TUser (UserInitials) VALUES ('CD')")}));
    ASSERT_TRUE(points->gate.waitReached(1));
    executor.cancel();
    points->gate.allow(INT_MAX);
    ASSERT_TRUE(waitFinished());
    EXPECT_EQ(executor.outcome(), Outcome::Cancelled);
    EXPECT_EQ(points->endings(), QStringLiteral("ok"));
    EXPECT_EQ(database.scalar("SELECT count(*) FROM TUser WHERE UserInitials IN ('AB', 'CD')").toInt(), 0);
}

}  // namespace
