// The status window as its callers use it: the return-value rule and the
// data-set variant reach the caller, the user cancels a running statement
// while events flow, a time-out ends the wait, one statement runs at a time.
// The executor underneath has its own tests in tests/db.

#include "app/AppContext.h"
#include "app/TFormStatus.h"
#include "db/DataSet.h"
#include "reportdb/ProcedureRegistry.h"
#include "support/Hold.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDatabase.h"
#include "support/TraceCapture.h"

#include <gtest/gtest.h>
#include <QFrame>
#include <QPushButton>
#include <QTimer>

using db::FieldType;
using db::ParameterDirection;
using reportdb::ProcedureParameter;
using reportdb::ProcedureResult;

namespace {

db::Parameter param(const QString& name, const QVariant& value,
                    ParameterDirection direction = ParameterDirection::Input) {
    return {name, FieldType::Integer, 4, direction, value};
}
const db::Parameter kReturnValue = param(QStringLiteral("@ReturnValue"), {}, ParameterDirection::ReturnValue);

db::Command procedure(const QString& name, db::Parameters parameters = {}, int timeoutSeconds = 0) {
    db::Command command;
    command.type = db::CommandType::StoredProcedure;
    command.text = name;
    command.parameters = std::move(parameters);
    command.timeoutSeconds = timeoutSeconds;
    return command;
}
db::Command sql(const QString& text) {
    db::Command command;
    command.text = text;
    return command;
}
// TEST_SP_Result @Code, @Doubled OUTPUT: returns @Code, @Doubled = 2 * @Code
// and the rows 1..@Code.
db::Command result(int code) {
    return procedure(QStringLiteral("TEST_SP_Result"),
                     {kReturnValue, param(QStringLiteral("@Code"), code),
                      param(QStringLiteral("@Doubled"), {}, ParameterDirection::Output)});
}

class TFormStatusTest : public ::testing::Test {
protected:
    TFormStatusTest()
        : database(QStringLiteral("3.28.0.0"), registry()),
          context(prompts, trace.log(), database.factory()),
          status(context) {
        context.Database().setConnectionString(database.connectionString());
        context.windows().status = &status;
    }

    std::shared_ptr<reportdb::ProcedureRegistry> registry() {
        auto registry = reportdb::standardRegistry();
        registry->add("TEST_SP_Result",
                      {ProcedureParameter::input("@Code", FieldType::Integer),
                       ProcedureParameter::out("@Doubled", FieldType::Integer)},
                      [](reportdb::ProcedureContext&, const reportdb::Arguments& args) {
                          ProcedureResult r;
                          const int code = args.toInt("@Code");
                          db::ResultSet rows;
                          rows.columns = {{"Nr", FieldType::Integer, 0}};
                          for (int i = 1; i <= code; ++i) rows.rows.push_back({i});
                          r.resultSets.push_back(rows);
                          r.outputs["@Doubled"] = 2 * code;
                          r.returnValue = code;
                          return r;
                      });
        registry->add("TEST_SP_Fail", {}, [](reportdb::ProcedureContext&, const reportdb::Arguments&) {
            return ProcedureResult::failure("Profile is locked");
        });
        registry->add("TEST_SP_Hold", {}, [this](reportdb::ProcedureContext& c, const reportdb::Arguments&) {
            hold.run(c);
            return ProcedureResult();
        });
        return registry;
    }

    QFrame* panel() { return status.findChild<QFrame*>("PanelCancel"); }
    QPushButton* cancelButton() { return status.findChild<QPushButton*>("ButtonCancel"); }

    testing_support::Hold hold;
    testing_support::ScriptedPrompts prompts;
    testing_support::TraceCapture trace;
    testing_support::TempDatabase database;
    app::AppContext context;
    TFormStatus status;
};

}  // namespace

TEST_F(TFormStatusTest, TheReturnValueRuleAndTheDataSetVariantReachTheCaller) {
    db::ResultSet stale;
    stale.columns = {{"Nr", FieldType::Integer, 0}};
    stale.rows = {{1}};
    const struct {
        const char* name;
        db::Command command;
        bool dataSet;
        bool ok;
        int returnValue;
        const char* error;  // contained in errorText(); "" for none
        int rows;           // of the data set; -1: closed
    } table[] = {
        {"a return value of 5 fails", result(5), false, false, 5, "", 0},
        {"a return value of 0", result(0), false, true, 0, "", 0},
        {"no return-value parameter", sql("INSERT INTO TUser (UserInitials) VALUES ('ST')"), false, true, 0,
         "", 0},
        {"a provider error", procedure("TEST_SP_Fail", {kReturnValue}), false, false, 0, "Profile is locked",
         0},
        {"an SQL error", sql("SELECT * FROM TNoSuchTable"), false, false, 0, "no such table", 0},
        {"rows and a return value", result(4), true, false, 4, "", 4},
        {"rows of a text", sql("SELECT 1 AS Nr UNION ALL SELECT 2 UNION ALL SELECT 3"), true, true, 0, "", 3},
        {"no rows", sql("UPDATE TUser SET UserInitials = UserInitials"), true, false, 0, "no rows", -1},
        {"a failure leaves no stale rows", procedure("TEST_SP_Fail"), true, false, 0, "Profile is locked",
         -1},
    };
    status.StartStatusDialog(0, QStringLiteral("Working"), false);
    for (const auto& row : table) {
        SCOPED_TRACE(row.name);
        db::Command command = row.command;
        db::DataSet rows;
        rows.setRows(stale);
        const bool ok = row.dataSet ? status.ExecuteAsync(context.Database(), command, rows)
                                    : status.ExecuteAsync(context.Database(), command);
        EXPECT_EQ(ok, row.ok);
        EXPECT_EQ(status.returnValue(), row.returnValue);
        EXPECT_EQ(status.errorText().isEmpty(), !*row.error) << status.errorText().toStdString();
        EXPECT_TRUE(status.errorText().contains(QLatin1StringView(row.error)));
        if (row.dataSet) {
            EXPECT_EQ(rows.isOpen() ? rows.recordCount() : -1, row.rows);
        }
        // Output parameters and the return value are written back.
        if (const db::Parameter* doubled = command.parameter(QStringLiteral("@Doubled"))) {
            EXPECT_EQ(doubled->value.toInt(), 2 * row.returnValue);
            EXPECT_EQ(command.returnValueParameter()->value.toInt(), row.returnValue);
        }
    }
    EXPECT_EQ(database.scalar("SELECT count(*) FROM TUser WHERE UserInitials = 'ST'").toInt(), 1);
    EXPECT_TRUE(trace.contains("Description: Profile is locked"));

    // A connection that cannot be opened fails before anything runs.
    db::SharedConnection nowhere(QStringLiteral("Nowhere"), database.factory());
    nowhere.setConnectionString(QStringLiteral("Provider=Embedded;Data Source=/no/such/folder/x.db"));
    db::Command any = sql("SELECT 1");
    EXPECT_FALSE(status.ExecuteAsync(nowhere, any));
    EXPECT_FALSE(status.errorText().isEmpty());
    EXPECT_TRUE(trace.contains("Caught Exception: " + status.errorText()));
    status.StopStatusDialog();
    EXPECT_FALSE(status.isVisible());
}

TEST_F(TFormStatusTest, CancelEndsARunningStatementWhileEventsFlow) {
    int ticks = 0;
    QTimer other;
    QObject::connect(&other, &QTimer::timeout, [&] { ++ticks; });
    other.start(5);
    bool busy = false;
    bool panelShown = false;
    // The statement keeps running across the window's checks (a time-out of
    // 0 is no limit) until the user presses Cancel.
    testing_support::WhenHeld user(hold, [&] {
        busy = context.isBusy();
        QTimer::singleShot(150, cancelButton(), [&] {
            panelShown = panel()->isVisible() && cancelButton()->isEnabled();
            cancelButton()->click();
        });
    });
    status.StartStatusDialog(1, QStringLiteral("Removing profile"), true);
    db::DataSet rows;
    db::Command held = procedure(QStringLiteral("TEST_SP_Hold"));
    EXPECT_FALSE(status.ExecuteAsync(context.Database(), held, rows));
    other.stop();
    EXPECT_TRUE(busy);
    EXPECT_TRUE(panelShown);
    EXPECT_GE(ticks, 3) << "the user interface stood still during the wait";
    EXPECT_FALSE(status.errorText().isEmpty());
    EXPECT_NE(status.errorText(), QStringLiteral("Query timeout expired"));
    EXPECT_FALSE(rows.isOpen());
    EXPECT_FALSE(context.isBusy());
    EXPECT_FALSE(cancelButton()->isEnabled());

    // The worker has let go: the next statement runs normally.
    db::Command after = sql("SELECT 1");
    EXPECT_TRUE(status.ExecuteAsync(context.Database(), after));
    status.StopStatusDialog();
}

TEST_F(TFormStatusTest, ACommandTimeOutEndsTheWait) {
    status.StartStatusDialog(0, QStringLiteral("Working"), true);
    db::Command held = procedure(QStringLiteral("TEST_SP_Hold"), {}, 1);
    EXPECT_FALSE(status.ExecuteAsync(context.Database(), held));
    EXPECT_EQ(status.errorText(), QStringLiteral("Query timeout expired"));
    EXPECT_FALSE(context.isBusy());
    status.StopStatusDialog();
}

TEST_F(TFormStatusTest, RunUnderStatusRunsOneStatementAtATime) {
    bool visible = false;
    bool panelShown = true;
    bool inner = true;
    QString innerError;
    testing_support::WhenHeld during(hold, [&] {
        visible = status.isVisible();
        // A second statement started from an event handler during the wait is refused.
        db::Command select = sql("SELECT 1");
        inner = app::runUnderStatus(context, "Inner", context.Database(), select, false, &innerError);
        QTimer::singleShot(100, &status, [&] {
            panelShown = panel()->isVisible() || cancelButton()->isEnabled();
            hold.release();
        });
    });
    db::Command held = procedure(QStringLiteral("TEST_SP_Hold"));
    QString error = QStringLiteral("unchanged");
    EXPECT_TRUE(app::runUnderStatus(context, "Outer", context.Database(), held, false, &error));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_TRUE(visible);
    EXPECT_FALSE(panelShown) << "cancel was offered though not allowed";
    EXPECT_FALSE(inner);
    EXPECT_EQ(innerError, QStringLiteral("Another statement is still running"));
    EXPECT_FALSE(status.isVisible());

    db::DataSet rows;
    db::Command select = sql("SELECT 7 AS Seven");
    EXPECT_TRUE(app::runUnderStatus(context, "Rows", context.Database(), select, rows));
    EXPECT_EQ(rows.value("Seven").toInt(), 7);

    // Several commands: the refusing one's return value reaches the caller.
    std::vector<db::Command> commands = {result(0), result(7), result(0)};
    EXPECT_FALSE(app::runUnderStatus(context, "Saving", context.Database(), commands, &error));
    EXPECT_EQ(status.returnValue(), 7);
    EXPECT_EQ(commands[1].returnValueParameter()->value.toInt(), 7);

    context.windows().status = nullptr;
    EXPECT_FALSE(app::runUnderStatus(context, "None", context.Database(), select, false, &error));
    EXPECT_EQ(error, QStringLiteral("The status window is not available"));
}
