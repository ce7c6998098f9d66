// The data calculation process dialog against a temporary embedded database
// whose process protocol is replaced by fakes that record every call and let
// the test hold a statement, choose the reported status and fail terminate.

#include "app/AppContext.h"
#include "app/TOrinADOProgressDialog.h"
#include "db/DataSet.h"
#include "reportdb/ProcedureRegistry.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDatabase.h"
#include "support/TraceCapture.h"
#include "ui/Waiting.h"

#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <atomic>
#include <mutex>

using db::FieldType;
using reportdb::Arguments;
using reportdb::ProcedureContext;
using reportdb::ProcedureParameter;
using reportdb::ProcedureResult;

namespace {

constexpr int kProcessId = 4711;
constexpr int kWaitMs = 10000;

// A few milliseconds of work that an interrupt can stop.
const QString kShortQuery = QStringLiteral(
    "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 20000) SELECT max(x) FROM c");

// The process protocol as the test wants it to behave. Procedures run on
// worker threads: everything shared is atomic or behind the mutex.
struct FakeProtocol {
    std::mutex mutex;
    QStringList calls;
    QVariant status;
    std::atomic<bool> holdCreate{false};
    std::atomic<bool> holdWork{false};
    std::atomic<bool> holdStatus{false};
    std::atomic<bool> terminateFails{false};
    std::atomic<bool> createEntered{false};
    std::atomic<bool> workEntered{false};
    std::atomic<bool> statusEntered{false};
    std::atomic<int> statusCalls{0};

    void record(const QString& call) {
        std::lock_guard lock(mutex);
        calls << call;
    }
    QStringList log() {
        std::lock_guard lock(mutex);
        return calls;
    }
    // The calls without the status polls.
    QStringList steps() {
        QStringList out;
        for (const QString& call : log())
            if (!call.startsWith("status")) out << call;
        return out;
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

void holdWhile(ProcedureContext& context, const std::atomic<bool>& hold) {
    while (hold) context.query(kShortQuery);
}

std::shared_ptr<reportdb::ProcedureRegistry> fakeRegistry(const std::shared_ptr<FakeProtocol>& fake) {
    auto registry = reportdb::standardRegistry();
    const auto id = [] { return ProcedureParameter::input("@DataCalcProcessId", FieldType::Integer); };
    registry->add(
        "WMS_SP_UTL_CreateDataCalcProcess",
        {ProcedureParameter::input("@DataCalcProcessName", FieldType::String),
         ProcedureParameter::out("@DataCalcProcessId", FieldType::Integer)},
        [fake](ProcedureContext& context, const Arguments& args) {
            fake->record("create:" + args.toString("@DataCalcProcessName"));
            fake->createEntered = true;
            holdWhile(context, fake->holdCreate);
            ProcedureResult result;
            result.outputs["@DataCalcProcessId"] = kProcessId;
            return result;
        },
        true);
    registry->add(
        "WMS_SP_UTL_GetDataCalcProcessStatus",
        {id(), ProcedureParameter::out("@DataCalcProcessStatus", FieldType::Integer)},
        [fake](ProcedureContext& context, const Arguments& args) {
            fake->record(QString("status:%1").arg(args.toInt("@DataCalcProcessId")));
            fake->statusEntered = true;
            holdWhile(context, fake->holdStatus);
            ProcedureResult result;
            result.outputs["@DataCalcProcessStatus"] = fake->currentStatus();
            ++fake->statusCalls;
            return result;
        },
        true);
    registry->add(
        "WMS_SP_UTL_TerminateDataCalcProcess", {id()},
        [fake](ProcedureContext&, const Arguments& args) {
            fake->record(QString("terminate:%1").arg(args.toInt("@DataCalcProcessId")));
            return fake->terminateFails ? ProcedureResult::failure("The process cannot be terminated")
                                        : ProcedureResult();
        },
        true);
    registry->add(
        "WMS_SP_UTL_DropDataCalcProcessTables", {id()},
        [fake](ProcedureContext&, const Arguments& args) {
            fake->record(QString("drop:%1").arg(args.toInt("@DataCalcProcessId")));
            return ProcedureResult();
        },
        true);
    // TEST_SP_Work @Item, @ProcessId: one row (Item); a negative item fails.
    registry->add(
        "TEST_SP_Work",
        {ProcedureParameter::input("@Item", FieldType::Integer),
         ProcedureParameter::optional("@ProcessId", FieldType::Integer, QVariant())},
        [fake](ProcedureContext& context, const Arguments& args) {
            const int item = args.toInt("@Item");
            fake->record(QString("work:%1:%2")
                             .arg(item)
                             .arg(args.isNull("@ProcessId") ? QString("-") : args.toString("@ProcessId")));
            fake->workEntered = true;
            if (item < 0) return ProcedureResult::failure(QString("Item %1 failed").arg(item));
            holdWhile(context, fake->holdWork);
            ProcedureResult result;
            db::ResultSet rows;
            rows.columns = {{"Item", FieldType::Integer, 0}};
            rows.rows.push_back({item});
            result.resultSets.push_back(rows);
            return result;
        },
        true);
    return registry;
}

class ProgressDialogTest : public ::testing::Test {
protected:
    ProgressDialogTest()
        : fake(std::make_shared<FakeProtocol>()),
          database("3.30.0.0", fakeRegistry(fake)),
          context(prompts, trace.log(), database.factory()),
          dialog(context) {
        context.texts().setLocation(PA_LANG_DIR, "UK");
        context.session().OnlineConfiguration = database.connectionString();
    }
    ~ProgressDialogTest() override {
        // Never leave a held procedure behind a failed expectation.
        fake->holdCreate = fake->holdWork = fake->holdStatus = false;
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
    QTimer* timerProcess() { return child<QTimer>("TimerProcess"); }

    bool wait(const std::function<bool()>& done) { return ui::waitUntil(done, 5, kWaitMs); }
    bool waitForStep() {
        return wait([this] { return dialog.Failed() || dialog.Finished() || dialog.Cancelled(); });
    }
    // One status poll, to its completion (the completion restarts the timer).
    void poll(const QVariant& status) {
        fake->setStatus(status);
        const int before = fake->statusCalls;
        dialog.TimerProcessTimer();
        ASSERT_TRUE(wait([&] { return fake->statusCalls > before && timerProcess()->isActive(); }));
    }
    bool startProcessStep(int item) {
        return dialog.Start(TOrinADOProgressDialog::LayoutBatch, 1, database.connectionString(), 1) &&
               dialog.StartProgress(TOrinADOProgressDialog::ModeExecute, nullptr, "Add_Profile_Units",
                                    QString("TEST_SP_Work %1").arg(item));
    }

    std::shared_ptr<FakeProtocol> fake;
    testing_support::ScriptedPrompts prompts;
    testing_support::TraceCapture trace;
    testing_support::TempDatabase database;
    app::AppContext context;
    TOrinADOProgressDialog dialog;
};

TEST_F(ProgressDialogTest, CaptionsComeFromTheLanguageFileAndLayoutsShowTheirGauges) {
    ASSERT_TRUE(dialog.Start(TOrinADOProgressDialog::LayoutBatch, 1, database.connectionString(), 4));
    EXPECT_EQ(dialog.objectName(), "TOrinADOProgressDialog");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.windowTitle(), "Executing query");
    EXPECT_EQ(child<QGroupBox>("GroupBoxProcess")->title(), " Progress ");
    EXPECT_EQ(child<QLabel>("LabelCurrentQuery")->text(), "Current query progress");
    EXPECT_EQ(child<QLabel>("LabelOverAll")->text(), "Overall progress");
    EXPECT_EQ(child<QLabel>("LabelStatus")->text(), "Status");
    EXPECT_EQ(child<QPushButton>("BitBtnCancel")->text(), "&Cancel");
    EXPECT_EQ(context.texts().fileName(text::Slot::Window), "SQLProgressDialog.txt");
    for (const char* name : {"LabelCurrentStatus", "BevelStatus", "AnimateProgress", "LabelExecutionTime"})
        EXPECT_NE(dialog.findChild<QWidget*>(name), nullptr) << name;
    EXPECT_EQ(timerProcess()->interval(), 2000);
    EXPECT_FALSE(timerProcess()->isActive());
    EXPECT_EQ(current()->maximum(), 99999);
    EXPECT_EQ(overall()->maximum(), 4);
    EXPECT_EQ(overall()->value(), 0);
    EXPECT_TRUE(current()->isVisible());
    EXPECT_TRUE(overall()->isVisible());
    EXPECT_EQ(child<QLabel>("LabelExecutionTime")->text(), "00:00:00");

    QStringList shown{dialog.windowTitle()};
    for (auto* label : dialog.findChildren<QLabel*>()) shown << label->text();
    for (auto* box : dialog.findChildren<QGroupBox*>()) shown << box->title();
    for (auto* button : dialog.findChildren<QPushButton*>()) shown << button->text();
    for (const QString& text : shown) EXPECT_FALSE(text.contains("): '")) << text.toStdString();

    // Without the process there is no status report: no current gauge.
    dialog.CleanUp();
    EXPECT_FALSE(dialog.isVisible());
    ASSERT_TRUE(dialog.Start(TOrinADOProgressDialog::LayoutBatch, 0, database.connectionString(), 2));
    EXPECT_FALSE(current()->isVisible());
    EXPECT_TRUE(overall()->isVisible());
    dialog.CleanUp();
    ASSERT_TRUE(dialog.Start(TOrinADOProgressDialog::LayoutStatus, 1, database.connectionString(), 2));
    EXPECT_FALSE(current()->isVisible());
    EXPECT_FALSE(overall()->isVisible());
    EXPECT_TRUE(child<QLabel>("LabelStatus")->isVisible());
}

TEST_F(ProgressDialogTest, StartShowsTheConnectionErrorAndReturnsFalse) {
    EXPECT_FALSE(dialog.Start(3, 1, "Provider=Embedded;Data Source=" + database.folder() + "/missing.db", 1));
    EXPECT_FALSE(dialog.isVisible());
    const auto shown = prompts.take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].icon, ui::Icon::Error);
    EXPECT_TRUE(shown[0].text.contains("missing.db")) << shown[0].text.toStdString();
    EXPECT_EQ(shown[0].caption, "Executing query");
    // Nothing can be started on a dialog that did not start.
    EXPECT_FALSE(dialog.StartProgress(2, nullptr, "x", "TEST_SP_Work 1"));
    EXPECT_TRUE(dialog.Failed());
    EXPECT_TRUE(fake->log().isEmpty());
}

TEST_F(ProgressDialogTest, StatusReportsDriveTheCurrentGauge) {
    fake->holdWork = true;
    ASSERT_TRUE(startProcessStep(1));
    ASSERT_TRUE(wait([&] { return fake->workEntered.load(); }));
    ASSERT_TRUE(wait([&] { return timerProcess()->isActive(); }));
    EXPECT_TRUE(dialog.processRunning());
    EXPECT_EQ(dialog.processId(), kProcessId);

    poll(500);  // the first report fixes the scale
    EXPECT_EQ(current()->maximum(), 500);
    EXPECT_EQ(current()->value(), 0);
    poll(300);
    EXPECT_EQ(current()->maximum(), 500);
    EXPECT_EQ(current()->value(), 200);
    EXPECT_EQ(child<QLabel>("LabelCurrentStatus")->text(), "200 / 500");
    poll(QVariant());  // unknown: unchanged
    EXPECT_EQ(current()->value(), 200);
    poll(QString(""));
    EXPECT_EQ(current()->value(), 200);
    poll(0);  // nothing left is not a scale
    EXPECT_EQ(current()->maximum(), 500);
    EXPECT_EQ(current()->value(), 200);
    EXPECT_EQ(dialog.remaining(), 0);
    poll(800);  // more work than first reported: a new scale
    EXPECT_EQ(current()->maximum(), 800);
    EXPECT_EQ(current()->value(), 0);

    // A tick while a status query runs starts no second one.
    fake->holdStatus = true;
    fake->statusEntered = false;
    const int before = fake->log().count();
    dialog.TimerProcessTimer();
    ASSERT_TRUE(wait([&] { return fake->statusEntered.load(); }));
    dialog.TimerProcessTimer();
    dialog.TimerProcessTimer();
    ui::pause(50);
    EXPECT_EQ(fake->log().count(), before + 1);
    fake->holdStatus = false;
    ASSERT_TRUE(wait([&] { return timerProcess()->isActive(); }));

    fake->holdWork = false;
    ASSERT_TRUE(waitForStep());
    EXPECT_TRUE(dialog.Finished());
    EXPECT_FALSE(dialog.Failed());
    EXPECT_FALSE(dialog.Cancelled());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(timerProcess()->isActive());
    EXPECT_EQ(current()->value(), current()->maximum());
    EXPECT_EQ(fake->steps(), QStringList({"create:Add_Profile_Units", "work:1:4711"}));
    for (const QString& call : fake->log()) {
        if (call.startsWith("status")) {
            EXPECT_EQ(call, "status:4711");
        }
    }

    EXPECT_TRUE(trace.contains("Enter Function: TOrinADOProgressDialog::StartProgress"));
    EXPECT_TRUE(trace.contains("Enter Function: TOrinADOProgressDialog::ADOConnectionExecuteComplete"));
    EXPECT_TRUE(
        trace.contains("Enter Function: TOrinADOProgressDialog::ADOConnectionProcessExecuteComplete"));
}

TEST_F(ProgressDialogTest, CancelBeforeTheProcessIdIsKnownSendsNoTerminate) {
    fake->holdCreate = true;
    ASSERT_TRUE(startProcessStep(1));
    ASSERT_TRUE(wait([&] { return fake->createEntered.load(); }));
    child<QPushButton>("BitBtnCancel")->click();
    EXPECT_TRUE(dialog.Cancelled());
    EXPECT_TRUE(dialog.Finished());
    EXPECT_FALSE(dialog.Failed());
    EXPECT_FALSE(dialog.isVisible());
    ui::pause(100);  // a late completion changes nothing
    EXPECT_EQ(fake->log(), QStringList{"create:Add_Profile_Units"});
    EXPECT_FALSE(dialog.Failed());
}

TEST_F(ProgressDialogTest, CancelAfterTheProcessStartedTerminatesThenDrops) {
    fake->holdWork = true;
    ASSERT_TRUE(startProcessStep(1));
    ASSERT_TRUE(wait([&] { return fake->workEntered.load(); }));
    child<QLabel>("LabelStatus")->setText("Adding unit");
    child<QPushButton>("BitBtnCancel")->click();
    EXPECT_TRUE(dialog.Cancelled());
    EXPECT_FALSE(dialog.Failed());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(child<QLabel>("LabelStatus")->text(), "Status");
    EXPECT_EQ(fake->steps(),
              QStringList({"create:Add_Profile_Units", "work:1:4711", "terminate:4711", "drop:4711"}));

    // Closing the window counts as cancel; a refused terminate keeps the tables.
    fake->calls.clear();
    fake->workEntered = false;
    fake->holdWork = true;
    fake->terminateFails = true;
    ASSERT_TRUE(startProcessStep(2));
    ASSERT_TRUE(wait([&] { return fake->workEntered.load(); }));
    dialog.close();
    EXPECT_TRUE(dialog.Cancelled());
    EXPECT_EQ(fake->steps(), QStringList({"create:Add_Profile_Units", "work:2:4711", "terminate:4711"}));
    EXPECT_TRUE(trace.contains("Caught Exception: The process cannot be terminated"));
    // A second cancel has nothing left to do.
    dialog.BitBtnCancelClick();
    dialog.CleanUp();
    EXPECT_EQ(fake->steps().count(), 3);
}

TEST_F(ProgressDialogTest, BatchOfTenFillsTheOverallGauge) {
    std::vector<ProgressItem> items;
    for (int i = 1; i <= 10; ++i)
        items.push_back({QString("TEST_SP_Work %1").arg(i), QString("Unit %1").arg(i)});
    QString error = "stale";
    ASSERT_TRUE(runBatch(context, dialog, true, "Add_Profile_Units", items, &error));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(context.isBusy());
    EXPECT_EQ(overall()->maximum(), 10);
    EXPECT_EQ(overall()->value(), 10);
    EXPECT_EQ(child<QLabel>("LabelStatus")->text(), "Unit 10");
    QStringList expected;
    for (int i = 1; i <= 10; ++i) expected << "create:Add_Profile_Units" << QString("work:%1:4711").arg(i);
    EXPECT_EQ(fake->steps(), expected);

    // Without the process the statements run as they are.
    fake->calls.clear();
    ASSERT_TRUE(runBatch(context, dialog, false, "Delete_Profile_Units", {items[0], items[1]}, &error));
    EXPECT_EQ(fake->steps(), QStringList({"work:1:-", "work:2:-"}));
    EXPECT_EQ(overall()->value(), 2);

    // Nothing to do: nothing shown.
    EXPECT_TRUE(runBatch(context, dialog, true, "Add_Profile_Units", {}, &error));
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(ProgressDialogTest, ModeOneOpensTheDataSetAndTheLastItemClosesAfterHalfASecond) {
    db::DataSet rows;
    ASSERT_TRUE(dialog.Start(TOrinADOProgressDialog::LayoutBatch, 0, database.connectionString(), 1));
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(dialog.StartProgress(TOrinADOProgressDialog::ModeOpenDataSet, &rows, "Load",
                                     "SELECT 1 AS Nr UNION ALL SELECT 2 UNION ALL SELECT 3"));
    ASSERT_TRUE(waitForStep());
    EXPECT_GE(clock.elapsed(), 450);  // the full gauges stay visible for a moment
    EXPECT_FALSE(dialog.Failed());
    EXPECT_FALSE(dialog.isVisible());
    ASSERT_TRUE(rows.isOpen());
    EXPECT_EQ(rows.recordCount(), 3);
    EXPECT_EQ(rows.command().timeoutSeconds, 36000);

    // Through the process the statement gets the process id.
    ASSERT_TRUE(dialog.Start(TOrinADOProgressDialog::LayoutBatch, 1, database.connectionString(), 1));
    ASSERT_TRUE(
        dialog.StartProgress(TOrinADOProgressDialog::ModeOpenDataSet, &rows, "Load", "TEST_SP_Work 7"));
    ASSERT_TRUE(waitForStep());
    EXPECT_FALSE(dialog.Failed());
    ASSERT_EQ(rows.recordCount(), 1);
    EXPECT_EQ(rows.value("Item").toInt(), 7);
    EXPECT_EQ(fake->steps(), QStringList({"create:Load", "work:7:4711"}));
}

TEST_F(ProgressDialogTest, AFailingStatementSetsFailedWithTheErrorText) {
    ASSERT_TRUE(dialog.Start(TOrinADOProgressDialog::LayoutBatch, 0, database.connectionString(), 2));
    ASSERT_TRUE(dialog.StartProgress(2, nullptr, "x", "SELECT * FROM NoSuchTable"));
    ASSERT_TRUE(waitForStep());
    EXPECT_TRUE(dialog.Failed());
    EXPECT_TRUE(dialog.Finished());
    EXPECT_TRUE(dialog.errorText().contains("NoSuchTable")) << dialog.errorText().toStdString();
    EXPECT_FALSE(dialog.isVisible());

    // In a batch the failure stops it; the failed process is terminated and dropped.
    const std::vector<ProgressItem> items{
        {"TEST_SP_Work 1", "a"}, {"TEST_SP_Work -1", "b"}, {"TEST_SP_Work 3", "c"}};
    QString error;
    EXPECT_FALSE(runBatch(context, dialog, true, "Add_Profile_Units", items, &error));
    EXPECT_EQ(error, "Item -1 failed");
    EXPECT_TRUE(dialog.Failed());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(context.isBusy());
    EXPECT_EQ(fake->steps(),
              QStringList({"create:Add_Profile_Units", "work:1:4711", "create:Add_Profile_Units",
                           "work:-1:4711", "terminate:4711", "drop:4711"}));

    // A cancelled batch reports no error text.
    fake->calls.clear();
    fake->holdWork = true;
    fake->workEntered = false;
    QTimer canceller;
    QObject::connect(&canceller, &QTimer::timeout, [&] {
        if (!fake->workEntered || !dialog.isStepRunning()) return;
        canceller.stop();
        dialog.BitBtnCancelClick();
    });
    canceller.start(5);
    EXPECT_FALSE(runBatch(context, dialog, false, "Delete_Profile_Units", {items[0], items[2]}, &error));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_TRUE(dialog.Cancelled());
    EXPECT_EQ(fake->steps(), QStringList{"work:1:-"});
}

}  // namespace
