// Transactions of procedure calls and of callers, interrupting a running
// statement from another thread, and command time-outs.

#include "reportdb/EmbeddedConnection.h"
#include "reportdb/ProcedureRegistry.h"
#include "support/Gate.h"
#include "support/TempDatabase.h"

#include <gtest/gtest.h>

#include <future>

using db::FieldType;
using reportdb::Arguments;
using reportdb::ProcedureContext;
using reportdb::ProcedureParameter;
using reportdb::ProcedureResult;
using testing_support::Gate;
using testing_support::TempDatabase;

namespace {

// Counts far beyond what finishes within a test run: only an interrupt ends it.
const QString kEndlessQuery = QStringLiteral(
    "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 50000000000) SELECT max(x) "
    "FROM c");

// TEST_SP_AddUser @Initials, @Fail, @UserId OUTPUT: inserts a user; with
// @Fail = 1 it fails afterwards, with @Fail = 2 it fails through bad SQL.
// TEST_SP_Endless: inserts a user, passes point 0 of `gate` (if any), then
// runs the endless query.
std::shared_ptr<reportdb::ProcedureRegistry> testRegistry(Gate* gate = nullptr) {
    auto registry = reportdb::standardRegistry();
    registry->add("TEST_SP_AddUser",
                  {ProcedureParameter::input("@Initials", FieldType::String),
                   ProcedureParameter::optional("@Fail", FieldType::Integer, 0),
                   ProcedureParameter::out("@UserId", FieldType::Integer)},
                  [](ProcedureContext& context, const Arguments& args) {
                      context.exec("INSERT INTO TUser (UserInitials) VALUES (?); -- one statement",
                                   {args.value("@Initials")});
                      ProcedureResult result;
                      result.outputs["@UserId"] = context.lastInsertId();
                      if (args.toInt("@Fail") == 1) return ProcedureResult::failure("User rejected");
                      if (args.toInt("@Fail") == 2) context.exec("INSERT INTO TNoSuchTable VALUES (1)");
                      return result;
                  });
    registry->add("TEST_SP_Endless", {}, [gate](ProcedureContext& context, const Arguments&) {
        context.exec("INSERT INTO TUser (UserInitials) VALUES ('EN')");
        if (gate) gate->pass(0);
        ProcedureResult result;
        result.resultSets.push_back(context.query(kEndlessQuery));
        return result;
    });
    return registry;
}

db::Result runText(db::Connection& connection, const QString& text, int timeoutSeconds = 0) {
    db::Command command;
    command.text = text;
    command.timeoutSeconds = timeoutSeconds;
    return connection.execute(command);
}

QStringList userInitials(db::Connection& connection) {
    QStringList out;
    const db::Result result = runText(connection, "SELECT UserInitials FROM TUser ORDER BY UserId");
    EXPECT_TRUE(result.ok()) << result.error.toStdString();
    for (const auto& row : result.resultSets.at(0).rows) out << row[0].toString();
    return out;
}

}  // namespace

TEST(Transactions, AFailedCallLeavesNothingBehind) {
    TempDatabase database("3.28.0.0", testRegistry());
    auto connection = database.connect();
    ASSERT_TRUE(connection);

    db::Command command;
    command.text = "TEST_SP_AddUser 'AA', 0, :UserId OUTPUT";
    command.parameters = {{"UserId", FieldType::Integer, 0, db::ParameterDirection::Output, {}}};
    ASSERT_TRUE(connection->execute(command).ok());
    EXPECT_EQ(command.parameters[0].value.toInt(), 1);

    EXPECT_EQ(runText(*connection, "TEST_SP_AddUser 'BB', 1").error, "User rejected");
    EXPECT_TRUE(runText(*connection, "TEST_SP_AddUser 'CC', 2").error.contains("no such table"));
    EXPECT_EQ(userInitials(*connection), QStringList{"AA"});
    EXPECT_FALSE(connection->inTransaction());
}

TEST(Transactions, CallsJoinTheCallersTransaction) {
    TempDatabase database("3.28.0.0", testRegistry());
    auto connection = database.connect();
    auto other = database.connect();
    ASSERT_TRUE(connection && other);
    QString error;

    ASSERT_TRUE(connection->beginTransaction(&error)) << error.toStdString();
    EXPECT_TRUE(connection->inTransaction());
    EXPECT_FALSE(connection->beginTransaction(&error));
    ASSERT_TRUE(runText(*connection, "TEST_SP_AddUser 'AA'").ok());
    // A failing call inside undoes only its own work.
    EXPECT_FALSE(runText(*connection, "TEST_SP_AddUser 'BB', 1").ok());
    ASSERT_TRUE(connection->inTransaction());
    ASSERT_TRUE(runText(*connection, "INSERT INTO TUser (UserInitials) VALUES ('CC')").ok());
    EXPECT_EQ(userInitials(*connection), (QStringList{"AA", "CC"}));
    // Nothing is visible elsewhere before the commit.
    EXPECT_TRUE(userInitials(*other).isEmpty());
    ASSERT_TRUE(connection->rollback(&error)) << error.toStdString();
    EXPECT_TRUE(userInitials(*connection).isEmpty());

    ASSERT_TRUE(connection->beginTransaction(&error));
    ASSERT_TRUE(runText(*connection, "TEST_SP_AddUser 'DD'").ok());
    ASSERT_TRUE(connection->commit(&error)) << error.toStdString();
    EXPECT_EQ(userInitials(*other), QStringList{"DD"});
    EXPECT_FALSE(connection->commit(&error));
    EXPECT_FALSE(connection->rollback(&error));

    // A connection closed with an open transaction leaves nothing behind.
    ASSERT_TRUE(connection->beginTransaction(&error));
    ASSERT_TRUE(runText(*connection, "TEST_SP_AddUser 'EE'").ok());
    connection.reset();
    EXPECT_EQ(userInitials(*other), QStringList{"DD"});
}

// An interrupt ends the statement it meets, also one that starts after it;
// the time-outs only bound a fault (each of these ends at once).
TEST(Transactions, AnInterruptEndsTheStatementItMeetsEvenOneThatStartsLater) {
    Gate gate;
    TempDatabase database("3.28.0.0", testRegistry(&gate));
    auto connection = database.connect();
    ASSERT_TRUE(connection);

    // Given while nothing runs: the next statement, and only that one.
    connection->interrupt();
    EXPECT_EQ(runText(*connection, kEndlessQuery, 2).error, "interrupted");
    EXPECT_TRUE(runText(*connection, "SELECT 1").ok());

    // From another thread, whether the statement has started yet or not.
    auto running = std::async(std::launch::async, [&] { return runText(*connection, kEndlessQuery, 2); });
    connection->interrupt();
    EXPECT_EQ(running.get().error, "interrupted");

    // A procedure interrupted between two of its statements (SQLite itself
    // forgets an interrupt that finds no statement running) is rolled back,
    // and the connection carries on normally afterwards.
    auto call =
        std::async(std::launch::async, [&] { return runText(*connection, "EXEC TEST_SP_Endless", 2); });
    ASSERT_TRUE(gate.waitReached(0));
    connection->interrupt();
    gate.allow(1);
    EXPECT_EQ(call.get().error, "interrupted");
    EXPECT_FALSE(connection->inTransaction());
    EXPECT_TRUE(userInitials(*connection).isEmpty());
    EXPECT_TRUE(runText(*connection, "TEST_SP_AddUser 'AA'").ok());
    EXPECT_EQ(userInitials(*connection), QStringList{"AA"});
}

// On a clock that runs a tenth of a second on at each look, a time-out of
// one second ends the statement at once.
TEST(Transactions, ACommandTimeOutEndsTheStatement) {
    TempDatabase database("3.28.0.0", testRegistry());
    auto connection = database.connect();
    ASSERT_TRUE(connection);
    const auto start = std::chrono::steady_clock::now();
    std::atomic<int> looks = 0;
    dynamic_cast<reportdb::EmbeddedConnection&>(*connection).setTimeOutClock([&] {
        return start + std::chrono::milliseconds(100) * looks++;
    });

    EXPECT_EQ(runText(*connection, kEndlessQuery, 1).error, "Query timeout expired");
    EXPECT_EQ(runText(*connection, "EXEC TEST_SP_Endless", 1).error, "Query timeout expired");
    EXPECT_TRUE(userInitials(*connection).isEmpty());
    // A statement that ends in time, and one without a time-out, run.
    EXPECT_TRUE(runText(*connection, "TEST_SP_AddUser 'AA'", 1).ok());
    const QString longer = QString(kEndlessQuery).replace("50000000000", "20000");
    EXPECT_EQ(runText(*connection, longer, 0).resultSets.at(0).rows.at(0).at(0).toInt(), 20000);
}
