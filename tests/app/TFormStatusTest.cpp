// The status window against a temporary embedded database: completion,
// provider errors, return values, cancel, time-out, the cancel panel and the
// data-set variant, with the trace lines they leave.

#include "app/AppContext.h"
#include "app/TFormStatus.h"
#include "db/DataSet.h"
#include "reportdb/ProcedureRegistry.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDatabase.h"
#include "support/TraceCapture.h"
#include "ui/Waiting.h"

#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <QFrame>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <thread>

using db::FieldType;
using db::ParameterDirection;
using reportdb::Arguments;
using reportdb::ProcedureContext;
using reportdb::ProcedureParameter;
using reportdb::ProcedureResult;

namespace {

constexpr int kBaseHeight = 96;

// Only an interrupt or a time-out ends it within a test run.
const QString kEndlessQuery = QStringLiteral(
    "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 50000000000) SELECT max(x) "
    "FROM c");

// TEST_SP_Result @Code, @Doubled OUTPUT: returns @Code, @Doubled = 2 * @Code,
// and one row per number 1..@Code (columns Nr, Name).
// TEST_SP_Fail: fails with "Profile is locked".
// TEST_SP_Sleep @Ms: sleeps, then returns 0.
// TEST_SP_Endless: runs the endless query.
std::shared_ptr<reportdb::ProcedureRegistry> testRegistry() {
    auto registry = reportdb::standardRegistry();
    registry->add("TEST_SP_Result",
                  {ProcedureParameter::input("@Code", FieldType::Integer),
                   ProcedureParameter::out("@Doubled", FieldType::Integer)},
                  [](ProcedureContext&, const Arguments& args) {
                      ProcedureResult result;
                      const int code = args.toInt("@Code");
                      db::ResultSet rows;
                      rows.columns = {{"Nr", FieldType::Integer, 0}, {"Name", FieldType::String, 20}};
                      for (int i = 1; i <= code; ++i)
                          rows.rows.push_back({i, QStringLiteral("Row %1").arg(i)});
                      result.resultSets.push_back(rows);
                      result.outputs["@Doubled"] = 2 * code;
                      result.returnValue = code;
                      return result;
                  });
    // TEST_SP_Insert @Initials, @Code: adds a user, then returns @Code.
    registry->add("TEST_SP_Insert",
                  {ProcedureParameter::input("@Initials", FieldType::String),
                   ProcedureParameter::input("@Code", FieldType::Integer)},
                  [](ProcedureContext& context, const Arguments& args) {
                      context.exec("INSERT INTO TUser (UserInitials) VALUES (?)", {args.value("@Initials")});
                      ProcedureResult result;
                      result.returnValue = args.toInt("@Code");
                      return result;
                  });
    registry->add("TEST_SP_Fail", {}, [](ProcedureContext&, const Arguments&) {
        return ProcedureResult::failure("Profile is locked");
    });
    registry->add("TEST_SP_Sleep", {ProcedureParameter::input("@Ms", FieldType::Integer)},
                  [](ProcedureContext&, const Arguments& args) {
                      std::this_thread::sleep_for(std::chrono::milliseconds(args.toInt("@Ms")));
                      return ProcedureResult();
                  });
    registry->add("TEST_SP_Endless", {}, [](ProcedureContext& context, const Arguments&) {
        ProcedureResult result;
        result.resultSets.push_back(context.query(kEndlessQuery));
        return result;
    });
    return registry;
}

db::Parameter param(const QString& name, const QVariant& value,
                    ParameterDirection direction = ParameterDirection::Input) {
    db::Parameter p;
    p.name = name;
    p.type = FieldType::Integer;
    p.value = value;
    p.direction = direction;
    return p;
}

db::Command procedure(const QString& name, db::Parameters parameters, int timeoutSeconds = 0) {
    db::Command command;
    command.type = db::CommandType::StoredProcedure;
    command.text = name;
    command.parameters = std::move(parameters);
    command.timeoutSeconds = timeoutSeconds;
    return command;
}

db::Command sqlText(const QString& sql, int timeoutSeconds = 0) {
    db::Command command;
    command.text = sql;
    command.timeoutSeconds = timeoutSeconds;
    return command;
}

class TFormStatusTest : public ::testing::Test {
protected:
    TFormStatusTest()
        : database("3.28.0.0", testRegistry()),
          context(prompts, trace.log(), database.factory()),
          status(context) {
        context.Database().setConnectionString(database.connectionString());
        context.windows().status = &status;
    }

    QFrame* panel() { return status.findChild<QFrame*>("PanelCancel"); }
    QPushButton* cancelButton() { return status.findChild<QPushButton*>("ButtonCancel"); }

    testing_support::ScriptedPrompts prompts;
    testing_support::TraceCapture trace;
    testing_support::TempDatabase database;
    app::AppContext context;
    TFormStatus status;
};

}  // namespace

TEST_F(TFormStatusTest, CompletionReturnValuesAndOutputParameters) {
    status.StartStatusDialog(0, "Working", false);
    EXPECT_TRUE(status.isVisible());
    EXPECT_EQ(status.windowTitle(), "Status");

    // A return value of 5 is a failure even though the call ran without error;
    // the output parameter and the return value reach the caller's command.
    db::Command five =
        procedure("TEST_SP_Result", {param("@ReturnValue", {}, ParameterDirection::ReturnValue),
                                     param("@Code", 5), param("@Doubled", {}, ParameterDirection::Output)});
    EXPECT_FALSE(status.ExecuteAsync(context.Database(), five));
    EXPECT_EQ(status.returnValue(), 5);
    EXPECT_TRUE(status.errorText().isEmpty());
    EXPECT_EQ(five.parameters[0].value.toInt(), 5);
    EXPECT_EQ(five.parameters[2].value.toInt(), 10);

    db::Command zero =
        procedure("TEST_SP_Result", {param("@ReturnValue", 7, ParameterDirection::ReturnValue),
                                     param("@Code", 0), param("@Doubled", {}, ParameterDirection::Output)});
    EXPECT_TRUE(status.ExecuteAsync(context.Database(), zero));
    EXPECT_EQ(status.returnValue(), 0);

    // Without a return-value parameter a run without error is a success,
    // even right after a failed one.
    db::Command plain = sqlText("INSERT INTO TUser (UserInitials) VALUES ('ST')");
    EXPECT_TRUE(status.ExecuteAsync(context.Database(), plain));
    EXPECT_EQ(status.returnValue(), 0);
    EXPECT_EQ(database.exec("SELECT count(*) FROM TUser WHERE UserInitials = 'ST'")
                  .resultSets[0]
                  .rows[0][0]
                  .toInt(),
              1);

    // A time-out of 0 is no limit, not an immediate one.
    db::Command slow = procedure("TEST_SP_Sleep", {param("@Ms", 1200)});
    EXPECT_TRUE(status.ExecuteAsync(context.Database(), slow));

    status.StopStatusDialog();
    EXPECT_FALSE(status.isVisible());
    EXPECT_FALSE(context.isBusy());

    for (const char* line : {"Enter Function: TFormStatus::StartStatusDialog",
                             "Enter Function: TFormStatus::ExecuteAsync-TADOCommand",
                             "Enter Function: TFormStatus::ExecuteCommandAsync",
                             "Enter Function: TFormStatus::ADOConnectionExecuteComplete",
                             "Enter Function: TFormStatus::StopStatusDialog"})
        EXPECT_TRUE(trace.contains(line)) << line;
    EXPECT_EQ(trace.count("Enter Function: TFormStatus::ExecuteCommandAsync"), 4);
}

TEST_F(TFormStatusTest, ProviderErrorsReachTheTraceAndTheCaller) {
    status.StartStatusDialog(0, "Working", false);
    db::Command fail =
        procedure("TEST_SP_Fail", {param("@ReturnValue", {}, ParameterDirection::ReturnValue)});
    EXPECT_FALSE(status.ExecuteAsync(context.Database(), fail));
    EXPECT_EQ(status.errorText(), "Profile is locked");
    EXPECT_TRUE(trace.contains("Description: Profile is locked"));

    db::Command bad = sqlText("SELECT * FROM TNoSuchTable");
    EXPECT_FALSE(status.ExecuteAsync(context.Database(), bad));
    EXPECT_TRUE(status.errorText().contains("no such table")) << status.errorText().toStdString();

    // The next statement is not affected by the failed ones.
    db::Command good = sqlText("SELECT 1");
    EXPECT_TRUE(status.ExecuteAsync(context.Database(), good));
    EXPECT_TRUE(status.errorText().isEmpty());

    // A connection that cannot be opened fails before anything runs.
    db::SharedConnection nowhere("Nowhere", database.factory());
    nowhere.setConnectionString("Provider=Embedded;Data Source=/no/such/folder/x.db");
    db::Command any = sqlText("SELECT 1");
    EXPECT_FALSE(status.ExecuteAsync(nowhere, any));
    EXPECT_FALSE(status.errorText().isEmpty());
    EXPECT_TRUE(trace.contains("Caught Exception: " + status.errorText()));
    status.StopStatusDialog();
}

TEST_F(TFormStatusTest, CancelStopsALongStatementWhileEventsKeepFlowing) {
    status.StartStatusDialog(1, "Removing profile", true);
    ui::pause(120);  // the start timer lays out the cancel panel
    ASSERT_TRUE(panel()->isVisible());
    EXPECT_EQ(status.height(), kBaseHeight + panel()->height());
    EXPECT_FALSE(cancelButton()->isEnabled());

    int ticks = 0;
    bool busySeen = false;
    bool enabledSeen = false;
    QTimer other;
    other.setInterval(20);
    QObject::connect(&other, &QTimer::timeout, [&] {
        ++ticks;
        busySeen = busySeen || context.isBusy();
        enabledSeen = enabledSeen || cancelButton()->isEnabled();
    });
    other.start();
    QTimer::singleShot(600, cancelButton(), [this] { cancelButton()->click(); });

    QElapsedTimer clock;
    clock.start();
    db::Command endless = procedure("TEST_SP_Endless", {});
    EXPECT_FALSE(status.ExecuteAsync(context.Database(), endless));
    const qint64 elapsed = clock.elapsed();
    other.stop();
    EXPECT_GE(elapsed, 500);
    EXPECT_LT(elapsed, 10000);
    EXPECT_GE(ticks, 10);  // the user interface kept running during the wait
    EXPECT_TRUE(busySeen);
    EXPECT_TRUE(enabledSeen);
    EXPECT_FALSE(context.isBusy());
    EXPECT_FALSE(cancelButton()->isEnabled());
    EXPECT_FALSE(status.errorText().isEmpty());
    EXPECT_TRUE(trace.contains("Enter Function: TFormStatus::ButtonCancelClick"));

    // The worker has let go: the next statement runs normally.
    db::Command after = sqlText("SELECT 1");
    EXPECT_TRUE(status.ExecuteAsync(context.Database(), after));
    status.StopStatusDialog();
}

TEST_F(TFormStatusTest, ACommandTimeOutEndsTheWait) {
    status.StartStatusDialog(0, "Working", true);
    QElapsedTimer clock;
    clock.start();
    db::Command endless = sqlText(kEndlessQuery, 1);
    EXPECT_FALSE(status.ExecuteAsync(context.Database(), endless));
    EXPECT_GE(clock.elapsed(), 900);
    EXPECT_LT(clock.elapsed(), 8000);
    EXPECT_EQ(status.errorText(), "Query timeout expired");
    EXPECT_FALSE(context.isBusy());
    status.StopStatusDialog();
}

TEST_F(TFormStatusTest, TheCancelPanelOnlyAppearsWhenCancelIsAllowed) {
    for (int round = 0; round < 2; ++round) {
        status.StartStatusDialog(0, "No cancel", false);
        ui::pause(120);
        EXPECT_FALSE(panel()->isVisible());
        EXPECT_EQ(status.height(), kBaseHeight);

        bool shown = false;
        QTimer watch;
        watch.setInterval(20);
        QObject::connect(&watch, &QTimer::timeout,
                         [&] { shown = shown || panel()->isVisible() || cancelButton()->isEnabled(); });
        watch.start();
        db::Command slow = procedure("TEST_SP_Sleep", {param("@Ms", 300)});
        EXPECT_TRUE(status.ExecuteAsync(context.Database(), slow));
        watch.stop();
        EXPECT_FALSE(shown);
        status.StopStatusDialog();

        // Showing it with cancel allowed grows it by the panel, every time by the same amount.
        status.StartStatusDialog(0, "With cancel", true);
        ui::pause(120);
        EXPECT_TRUE(panel()->isVisible());
        EXPECT_EQ(status.height(), kBaseHeight + panel()->height());
        status.StopStatusDialog();
    }
}

TEST_F(TFormStatusTest, DataSetVariantOpensOnTheRows) {
    status.StartStatusDialog(0, "Loading", false);
    db::DataSet rows;
    db::Command command =
        procedure("TEST_SP_Result", {param("@ReturnValue", {}, ParameterDirection::ReturnValue),
                                     param("@Code", 0), param("@Doubled", 1, ParameterDirection::Output)});
    EXPECT_TRUE(status.ExecuteAsync(context.Database(), command, rows));
    EXPECT_TRUE(rows.isOpen());
    EXPECT_EQ(rows.recordCount(), 0);
    EXPECT_EQ(command.parameters[2].value.toInt(), 0);

    db::Command text3 =
        sqlText("SELECT 1 AS Nr, 'a' AS Name UNION ALL SELECT 2, 'b' UNION ALL SELECT 3, 'c'");
    EXPECT_TRUE(status.ExecuteAsync(context.Database(), text3, rows));
    ASSERT_TRUE(rows.isOpen());
    ASSERT_EQ(rows.recordCount(), 3);
    rows.last();
    EXPECT_EQ(rows.value("Name").toString(), "c");
    EXPECT_EQ(rows.command().text, text3.text);

    // A non-zero return value: false, but the rows it returned are there and
    // the output parameter is readable.
    db::Command four =
        procedure("TEST_SP_Result", {param("@ReturnValue", {}, ParameterDirection::ReturnValue),
                                     param("@Code", 4), param("@Doubled", {}, ParameterDirection::Output)});
    EXPECT_FALSE(status.ExecuteAsync(context.Database(), four, rows));
    EXPECT_EQ(status.returnValue(), 4);
    EXPECT_EQ(four.parameters[2].value.toInt(), 8);
    EXPECT_EQ(rows.recordCount(), 4);

    // A statement without rows and a failing one leave the data set closed.
    db::Command noRows = sqlText("UPDATE TUser SET UserInitials = UserInitials");
    EXPECT_FALSE(status.ExecuteAsync(context.Database(), noRows, rows));
    EXPECT_FALSE(rows.isOpen());
    ASSERT_TRUE(status.ExecuteAsync(context.Database(), text3, rows));
    db::Command fail = procedure("TEST_SP_Fail", {});
    EXPECT_FALSE(status.ExecuteAsync(context.Database(), fail, rows));
    EXPECT_FALSE(rows.isOpen());
    EXPECT_TRUE(trace.contains("Description: Profile is locked"));

    // Cancelled: closed, no stale rows.
    status.StartStatusDialog(0, "Loading", true);
    QTimer::singleShot(300, cancelButton(), [this] { cancelButton()->click(); });
    db::Command endless = procedure("TEST_SP_Endless", {});
    EXPECT_FALSE(status.ExecuteAsync(context.Database(), endless, rows));
    EXPECT_FALSE(rows.isOpen());

    db::SharedConnection nowhere("Nowhere");
    EXPECT_FALSE(status.ExecuteAsync(nowhere, text3, rows));
    EXPECT_TRUE(trace.contains("ExecuteAsync ptrADODataSet failed 1"));
    EXPECT_TRUE(trace.contains("Enter Function: TFormStatus::ExecuteAsync-TADODataSet"));
    status.StopStatusDialog();
}

TEST_F(TFormStatusTest, RunUnderStatusRunsOneStatementAtATime) {
    db::Command command = procedure("TEST_SP_Sleep", {param("@Ms", 400)});
    db::Command inner = sqlText("SELECT 1");
    bool innerResult = true;
    QString innerError;
    bool visibleDuringRun = false;
    QTimer::singleShot(100, &status, [&] {
        visibleDuringRun = status.isVisible();
        // A second statement started from an event handler during the wait is refused.
        innerResult = app::runUnderStatus(context, "Inner", context.Database(), inner, false, &innerError);
    });
    QString error = "unchanged";
    EXPECT_TRUE(app::runUnderStatus(context, "Outer", context.Database(), command, false, &error));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_TRUE(visibleDuringRun);
    EXPECT_FALSE(innerResult);
    EXPECT_EQ(innerError, "Another statement is still running");
    EXPECT_FALSE(status.isVisible());

    db::DataSet rows;
    db::Command select = sqlText("SELECT 7 AS Seven");
    EXPECT_TRUE(app::runUnderStatus(context, "Rows", context.Database(), select, rows));
    ASSERT_EQ(rows.recordCount(), 1);
    EXPECT_EQ(rows.value("Seven").toInt(), 7);

    context.windows().status = nullptr;
    EXPECT_FALSE(app::runUnderStatus(context, "None", context.Database(), select, false, &error));
    EXPECT_EQ(error, "The status window is not available");
}

TEST_F(TFormStatusTest, SeveralCommandsAreWrittenAllOrNone) {
    const auto insert = [](const QString& initials, int code) {
        db::Parameter text = param("@Initials", initials);
        text.type = FieldType::String;
        return procedure("TEST_SP_Insert", {param("@ReturnValue", {}, ParameterDirection::ReturnValue), text,
                                            param("@Code", code)});
    };
    const auto count = [this](const char* pattern) {
        return database
            .exec(QStringLiteral("SELECT count(*) FROM TUser WHERE UserInitials LIKE '%1'")
                      .arg(QLatin1String(pattern)))
            .resultSets[0]
            .rows[0][0]
            .toInt();
    };

    std::vector<db::Command> good = {insert("T1", 0), insert("T2", 0), insert("T3", 0)};
    EXPECT_TRUE(app::runUnderStatus(context, "Saving", context.Database(), good));
    EXPECT_EQ(count("T_"), 3);
    EXPECT_EQ(good[2].parameters[0].value.toInt(), 0);

    // The second call refuses: the first call's row goes too, the third never runs.
    std::vector<db::Command> refused = {insert("R1", 0), insert("R2", 7), insert("R3", 0)};
    EXPECT_FALSE(app::runUnderStatus(context, "Saving", context.Database(), refused));
    EXPECT_EQ(status.returnValue(), 7);
    EXPECT_EQ(refused[1].parameters[0].value.toInt(), 7);
    EXPECT_EQ(count("R_"), 0);

    // A provider error in the last call undoes the earlier ones as well.
    std::vector<db::Command> failing = {insert("F1", 0), procedure("TEST_SP_Fail", {})};
    QString error;
    EXPECT_FALSE(app::runUnderStatus(context, "Saving", context.Database(), failing, &error));
    EXPECT_EQ(error, "Profile is locked");
    EXPECT_EQ(count("F_"), 0);
    EXPECT_FALSE(status.isVisible());
}
