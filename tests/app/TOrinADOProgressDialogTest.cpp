// The data calculation process dialog against a temporary database whose
// process protocol is replaced by fakes that record every call, hold a
// statement while the test acts, report the status the test chooses and
// may refuse to terminate.

#include "app/AppContext.h"
#include "app/TOrinADOProgressDialog.h"
#include "db/DataSet.h"
#include "reportdb/ProcedureRegistry.h"
#include "support/Hold.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDatabase.h"
#include "support/TraceCapture.h"
#include "ui/Waiting.h"

#include <gtest/gtest.h>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <mutex>

using db::FieldType;
using reportdb::Arguments;
using reportdb::ProcedureContext;
using reportdb::ProcedureParameter;
using reportdb::ProcedureResult;
using Dialog = TOrinADOProgressDialog;

namespace {

constexpr int kProcessId = 4711;

// The process protocol as the test wants it; its procedures run on worker
// threads.
struct FakeProtocol {
    std::mutex mutex;
    QStringList calls;  // without the status queries
    QVariant status;
    testing_support::Hold create, work, statusQuery;
    std::atomic<bool> terminateFails{false};

    FakeProtocol() {
        create.release();
        work.release();
        statusQuery.release();
    }
    void record(const QString& call) {
        std::lock_guard lock(mutex);
        calls << call;
    }
    QStringList steps() {
        std::lock_guard lock(mutex);
        return std::exchange(calls, {});
    }
    void setStatus(const QVariant& value) {
        std::lock_guard lock(mutex);
        status = value;
    }
    QVariant currentStatus() {
        std::lock_guard lock(mutex);
        return status;
    }
};

std::shared_ptr<reportdb::ProcedureRegistry> fakeRegistry(FakeProtocol& fake) {
    auto registry = reportdb::standardRegistry();
    const auto id = [] { return ProcedureParameter::input("@DataCalcProcessId", FieldType::Integer); };
    registry->add(
        "WMS_SP_UTL_CreateDataCalcProcess",
        {ProcedureParameter::input("@DataCalcProcessName", FieldType::String),
         ProcedureParameter::out("@DataCalcProcessId", FieldType::Integer)},
        [&fake](ProcedureContext& context, const Arguments& args) {
            fake.record("create:" + args.toString("@DataCalcProcessName"));
            fake.create.run(context);
            ProcedureResult result;
            result.outputs["@DataCalcProcessId"] = kProcessId;
            return result;
        },
        true);
    registry->add(
        "WMS_SP_UTL_GetDataCalcProcessStatus",
        {id(), ProcedureParameter::out("@DataCalcProcessStatus", FieldType::Integer)},
        [&fake](ProcedureContext& context, const Arguments& args) {
            EXPECT_EQ(args.toInt("@DataCalcProcessId"), kProcessId);
            fake.statusQuery.run(context);
            ProcedureResult result;
            result.outputs["@DataCalcProcessStatus"] = fake.currentStatus();
            return result;
        },
        true);
    registry->add(
        "WMS_SP_UTL_TerminateDataCalcProcess", {id()},
        [&fake](ProcedureContext&, const Arguments& args) {
            fake.record(QString("terminate:%1").arg(args.toInt("@DataCalcProcessId")));
            return fake.terminateFails ? ProcedureResult::failure("The process cannot be terminated")
                                       : ProcedureResult();
        },
        true);
    registry->add(
        "WMS_SP_UTL_DropDataCalcProcessTables", {id()},
        [&fake](ProcedureContext&, const Arguments& args) {
            fake.record(QString("drop:%1").arg(args.toInt("@DataCalcProcessId")));
            return ProcedureResult();
        },
        true);
    // TEST_SP_Work @Item, @ProcessId: one row (Item); a negative item fails.
    registry->add(
        "TEST_SP_Work",
        {ProcedureParameter::input("@Item", FieldType::Integer),
         ProcedureParameter::optional("@ProcessId", FieldType::Integer, QVariant())},
        [&fake](ProcedureContext& context, const Arguments& args) {
            const int item = args.toInt("@Item");
            fake.record(QString("work:%1:%2")
                            .arg(item)
                            .arg(args.isNull("@ProcessId") ? "-" : args.toString("@ProcessId")));
            if (item < 0) return ProcedureResult::failure(QString("Item %1 failed").arg(item));
            fake.work.run(context);
            ProcedureResult result;
            result.resultSets.emplace_back().columns = {{"Item", FieldType::Integer, 0}};
            result.resultSets.back().rows.push_back({item});
            return result;
        },
        true);
    return registry;
}

class ProgressDialogTest : public ::testing::Test {
protected:
    ProgressDialogTest()
        : database(QStringLiteral("3.30.0.0"), fakeRegistry(fake)),
          context(prompts, trace.log(), database.factory()),
          dialog(context) {
        context.texts().setLocation(PA_LANG_DIR, "UK");
        context.session().OnlineConfiguration = database.connectionString();
    }
    ~ProgressDialogTest() override {
        // Never leave a held procedure behind a failed expectation.
        fake.create.release();
        fake.work.release();
        fake.statusQuery.release();
        dialog.CleanUp();
    }

    template <typename T>
    T* child(const char* name) {
        T* widget = dialog.findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QProgressBar* current() { return child<QProgressBar>("CGaugeCurrentProgress"); }
    QProgressBar* overall() { return child<QProgressBar>("CGaugeOverall"); }
    bool polling() { return child<QTimer>("TimerProcess")->isActive(); }
    bool wait(const std::function<bool()>& done) { return ui::waitUntil(done, 2, 10000); }
    // Starts one step of a two-item batch, so the dialog stays up after it.
    bool startStep(int useProcess, int mode, db::DataSet* rows, const QString& statement) {
        return dialog.Start(Dialog::LayoutBatch, useProcess, database.connectionString(), 2) &&
               dialog.StartProgress(mode, rows, "Load", statement);
    }

    FakeProtocol fake;
    testing_support::ScriptedPrompts prompts;
    testing_support::TraceCapture trace;
    testing_support::TempDatabase database;
    app::AppContext context;
    Dialog dialog;
};

TEST_F(ProgressDialogTest, LayoutsShowTheirGaugesAndAMissingDatabaseIsReported) {
    const struct {
        int layout, useProcess;
        bool current, overall;
    } table[] = {{Dialog::LayoutBatch, 1, true, true},
                 {Dialog::LayoutBatch, 0, false, true},  // no process, no status reports
                 {Dialog::LayoutStatus, 1, false, false}};
    for (const auto& row : table) {
        ASSERT_TRUE(dialog.Start(row.layout, row.useProcess, database.connectionString(), 4));
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(current()->isVisible(), row.current);
        EXPECT_EQ(overall()->isVisible(), row.overall);
        dialog.CleanUp();
        EXPECT_FALSE(dialog.isVisible());
    }

    EXPECT_FALSE(dialog.Start(3, 1, "Provider=Embedded;Data Source=" + database.folder() + "/missing.db", 1));
    EXPECT_FALSE(dialog.isVisible());
    const auto shown = prompts.take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].icon, ui::Icon::Error);
    EXPECT_TRUE(shown[0].text.contains("missing.db")) << shown[0].text.toStdString();
    // Nothing can be started on a dialog that did not start.
    EXPECT_FALSE(dialog.StartProgress(Dialog::ModeExecute, nullptr, "x", "TEST_SP_Work 1"));
    EXPECT_TRUE(dialog.Failed());
    EXPECT_TRUE(fake.steps().isEmpty());
}

TEST_F(ProgressDialogTest, StatusReportsDriveTheCurrentGauge) {
    fake.work.rearm();
    ASSERT_TRUE(startStep(1, Dialog::ModeExecute, nullptr, "TEST_SP_Work 1"));
    ASSERT_TRUE(wait([&] { return fake.work.entered() == 1 && polling(); }));
    EXPECT_EQ(dialog.processId(), kProcessId);

    const struct {
        QVariant status;
        int maximum, value;
    } reports[] = {
        {500, 500, 0},                                    // the first report sets the scale
        {300, 500, 200},         {QVariant(), 500, 200},  // unknown: unchanged
        {QString(""), 500, 200}, {0, 500, 200},           // nothing left is no scale
        {800, 800, 0},                                    // more work than first reported: a new scale
    };
    int polls = fake.statusQuery.entered();
    for (const auto& report : reports) {
        SCOPED_TRACE(report.status.toString().toStdString());
        fake.setStatus(report.status);
        dialog.TimerProcessTimer();
        ASSERT_TRUE(wait([&] { return fake.statusQuery.entered() > polls && polling(); }));
        polls = fake.statusQuery.entered();
        EXPECT_EQ(current()->maximum(), report.maximum);
        EXPECT_EQ(current()->value(), report.value);
    }
    EXPECT_EQ(child<QLabel>("LabelCurrentStatus")->text(), "0 / 800");

    // A tick while a status query runs starts no second one.
    fake.statusQuery.rearm();
    dialog.TimerProcessTimer();
    ASSERT_TRUE(wait([&] { return fake.statusQuery.entered() > polls; }));
    dialog.TimerProcessTimer();
    dialog.TimerProcessTimer();
    fake.statusQuery.release();
    ASSERT_TRUE(wait([&] { return polling(); }));
    EXPECT_EQ(fake.statusQuery.entered(), polls + 1);

    fake.work.release();
    ASSERT_TRUE(wait([&] { return dialog.Finished(); }));
    EXPECT_FALSE(dialog.Failed() || dialog.Cancelled());
    EXPECT_FALSE(polling());
    EXPECT_EQ(fake.steps(), QStringList({"create:Load", "work:1:4711"}));
}

TEST_F(ProgressDialogTest, CancelTerminatesAndDropsOnlyAProcessThatStarted) {
    const struct {
        const char* name;
        testing_support::Hold& held;
        bool byClosing, terminateFails;
        QStringList steps;
    } table[] = {
        {"before the process id is known", fake.create, false, false, {"create:Load"}},
        {"while the statement runs",
         fake.work,
         false,
         false,
         {"create:Load", "work:1:4711", "terminate:4711", "drop:4711"}},
        // Closing the window cancels; a refused terminate keeps the tables.
        {"closed, terminate refused",
         fake.work,
         true,
         true,
         {"create:Load", "work:1:4711", "terminate:4711"}},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.name);
        row.held.rearm();
        fake.terminateFails = row.terminateFails;
        const int entered = row.held.entered();
        ASSERT_TRUE(startStep(1, Dialog::ModeExecute, nullptr, "TEST_SP_Work 1"));
        child<QLabel>("LabelStatus")->setText("Adding unit");
        ASSERT_TRUE(wait([&] { return row.held.entered() > entered; }));
        if (row.byClosing)
            dialog.close();
        else
            child<QPushButton>("BitBtnCancel")->click();
        row.held.release();
        EXPECT_TRUE(dialog.Cancelled());
        EXPECT_FALSE(dialog.Failed());
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_NE(child<QLabel>("LabelStatus")->text(), "Adding unit");
        // A late completion or a second cancel changes nothing.
        ui::pause(0);
        dialog.BitBtnCancelClick();
        dialog.CleanUp();
        EXPECT_FALSE(dialog.Failed());
        EXPECT_EQ(fake.steps(), row.steps);
    }
    EXPECT_TRUE(trace.contains("Caught Exception: The process cannot be terminated"));
}

TEST_F(ProgressDialogTest, BatchesFillTheOverallGaugeAndStopAtAFailureOrCancel) {
    const auto items = [](std::initializer_list<int> numbers) {
        std::vector<ProgressItem> out;
        for (int n : numbers) out.push_back({QString("TEST_SP_Work %1").arg(n), QString("Unit %1").arg(n)});
        return out;
    };
    QString error = "stale";
    ASSERT_TRUE(runBatch(context, dialog, true, "Add", items({1, 2, 3}), &error));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(context.isBusy());
    EXPECT_TRUE(overall()->value() == 3 && overall()->maximum() == 3);
    EXPECT_EQ(fake.steps(), QStringList({"create:Add", "work:1:4711", "create:Add", "work:2:4711",
                                         "create:Add", "work:3:4711"}));

    // The failure stops the batch; the failed process is terminated and dropped.
    EXPECT_FALSE(runBatch(context, dialog, true, "Add", items({1, -1, 3}), &error));
    EXPECT_EQ(error, "Item -1 failed");
    EXPECT_TRUE(dialog.Failed());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(context.isBusy());
    EXPECT_EQ(fake.steps(), QStringList({"create:Add", "work:1:4711", "create:Add", "work:-1:4711",
                                         "terminate:4711", "drop:4711"}));

    // Without the process the statements run as they are; a cancelled batch has no error text.
    fake.work.rearm();
    testing_support::WhenHeld user(
        fake.work, [&] { dialog.BitBtnCancelClick(); }, fake.work.entered() + 1);
    EXPECT_FALSE(runBatch(context, dialog, false, "Delete", items({1, 3}), &error));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_TRUE(dialog.Cancelled());
    EXPECT_EQ(fake.steps(), QStringList{"work:1:-"});

    EXPECT_TRUE(runBatch(context, dialog, true, "Add", {}, &error));
    EXPECT_FALSE(dialog.isVisible()) << "shown with nothing to do";
}

TEST_F(ProgressDialogTest, ModeOneOpensTheDataSetOrFails) {
    db::DataSet rows;
    ASSERT_TRUE(
        startStep(0, Dialog::ModeOpenDataSet, &rows, "SELECT 1 AS Nr UNION ALL SELECT 2 UNION ALL SELECT 3"));
    ASSERT_TRUE(wait([&] { return dialog.Finished() || dialog.Failed(); }));
    EXPECT_FALSE(dialog.Failed());
    EXPECT_EQ(rows.isOpen() ? rows.recordCount() : -1, 3);

    // Through the process the statement gets the process id.
    ASSERT_TRUE(startStep(1, Dialog::ModeOpenDataSet, &rows, "TEST_SP_Work 7"));
    ASSERT_TRUE(wait([&] { return dialog.Finished() || dialog.Failed(); }));
    EXPECT_EQ(rows.value("Item").toInt(), 7);
    EXPECT_EQ(fake.steps(), QStringList({"create:Load", "work:7:4711"}));

    ASSERT_TRUE(startStep(0, Dialog::ModeExecute, nullptr, "SELECT * FROM NoSuchTable"));
    ASSERT_TRUE(wait([&] { return dialog.Finished() || dialog.Failed(); }));
    EXPECT_TRUE(dialog.Failed());
    EXPECT_TRUE(dialog.errorText().contains("NoSuchTable")) << dialog.errorText().toStdString();
    EXPECT_FALSE(dialog.isVisible());
}

}  // namespace
