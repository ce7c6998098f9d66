// Regenerating a profile's shadow data from the main window, and the watch
// that refreshes the list until the status is seen to change.

#include "MainWindowFixture.h"

#include "ui/DataSetModel.h"
#include "ui/Waiting.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTimer>

namespace {

using testing_support::MainWindowFixture;
using testing_support::MainWindowSetup;

constexpr int kPhase2 = 3;  // marked for regeneration

// Accepts the period dialog for the whole period, then closes the progress
// window once it has finished.
void acceptWholePeriodAndClose(MainWindowFixture& f) {
    QTimer::singleShot(0, &f.periodDialog, [&f] {
        ui::waitUntil([&f] { return f.periodDialog.isVisible(); }, 10, 5000);
        f.periodDialog.findChild<QCheckBox*>("CheckBoxWholePeriod")->setChecked(true);
        f.periodDialog.findChild<QPushButton*>("ButtonOK")->click();
        QTimer::singleShot(0, &f.progresser, [&f] {
            ui::waitUntil([&f] { return f.progresser.isVisible() && !f.progresser.isRunning(); }, 20, 30000);
            f.progresser.findChild<QPushButton*>("Button2")->click();
        });
    });
}

TEST(MainWindowRegeneration, JobCountsDownAndTheWatchShowsItDone) {
    MainWindowFixture f;
    ASSERT_TRUE(f.start());
    ASSERT_TRUE(f.select(kPhase2));
    acceptWholePeriodAndClose(f);
    f.window.ActionRegenerateShadowDataExecute();
    EXPECT_TRUE(f.progresser.succeeded());
    EXPECT_TRUE(f.window.isWatching());

    // The job runs in the database; the watch's refreshes show its end.
    const auto done = [&f] {
        return f.cell("ReportProfileStatus", "ReportProfileId = 3").toInt() == 0 &&
               f.cell("ReportProfileRegeneratePendingFlag", "ReportProfileId = 3").toInt() == 0;
    };
    ASSERT_TRUE(ui::waitUntil(done, 50, 60000));
    const auto upToDate = f.context.texts().profile(290);
    auto* model = qobject_cast<ui::DataSetModel*>(f.window.grid()->model());
    const auto shown = [&] {
        return model->data(model->index(2, model->columnOf("StatusText"))).toString() == upToDate;
    };
    EXPECT_TRUE(ui::waitUntil(shown, 50, 5000));
    EXPECT_GT(f.database.scalar("SELECT COUNT(*) FROM TShadowData WHERE ReportProfileId = 3").toInt(), 0);
}

TEST(MainWindowRegeneration, DirectRegenerationOnAnOldDatabase) {
    MainWindowSetup setup;
    setup.version = "2.29.0.0";
    MainWindowFixture f(setup);
    ASSERT_TRUE(f.start());
    ASSERT_TRUE(f.select(kPhase2));
    acceptWholePeriodAndClose(f);
    f.window.ActionRegenerateShadowDataExecute();
    EXPECT_TRUE(f.progresser.succeeded());
    EXPECT_EQ(f.cell("ReportProfileStatus", "ReportProfileId = 3").toInt(), 0);
    EXPECT_EQ(f.cell("ReportProfileRegeneratePendingFlag", "ReportProfileId = 3").toInt(), 0);
}

// A direct regeneration that fails in the database: it leaves a negative
// status, which the list shows once the watch has refreshed it.
TEST(MainWindowRegeneration, TheWatchShowsAFailedRegeneration) {
    auto registry = reportdb::standardRegistry();
    using reportdb::ProcedureParameter;
    registry->addStepwise("DCE_SP_UpdateShadowDataForParkUnitsInProfile",
                          {ProcedureParameter::input("@ReportProfileId", db::FieldType::Integer),
                           ProcedureParameter::input("@FromDate", db::FieldType::DateTime),
                           ProcedureParameter::input("@ToDate", db::FieldType::DateTime)},
                          [](reportdb::ProcedureContext& c, const reportdb::Arguments& args) {
                              c.step([&] {
                                  c.exec(
                                      "UPDATE TReportProfile SET ReportProfileStatus = -1 "
                                      "WHERE ReportProfileId = ?",
                                      {args.toInt("@ReportProfileId")});
                              });
                              return reportdb::ProcedureResult::failure("The disk is full");
                          });
    MainWindowSetup setup;
    setup.version = "2.29.0.0";
    setup.registry = registry;
    MainWindowFixture f(setup);
    ASSERT_TRUE(f.start());
    ASSERT_TRUE(f.select(kPhase2));
    f.prompts.allowMessages();

    QTimer::singleShot(0, &f.periodDialog, [&f] {
        ui::waitUntil([&f] { return f.periodDialog.isVisible(); }, 10, 5000);
        f.periodDialog.findChild<QCheckBox*>("CheckBoxWholePeriod")->setChecked(true);
        f.periodDialog.findChild<QPushButton*>("ButtonOK")->click();
        QTimer::singleShot(0, &f.progresser, [&f] {
            ui::waitUntil([&f] { return f.progresser.isVisible(); }, 10, 5000);
            ui::waitUntil([&f] { return f.cell("ReportProfileStatus", "ReportProfileId = 3").toInt() < 0; },
                          10, 5000);
            f.progresser.TimerTimer();
            f.progresser.findChild<QPushButton*>("Button2")->click();
        });
    });
    f.window.ActionRegenerateShadowDataExecute();
    EXPECT_FALSE(f.progresser.succeeded());
    ASSERT_TRUE(f.window.isWatching());

    f.window.TimerRegenationStatusTimer();
    auto* model = qobject_cast<ui::DataSetModel*>(f.window.grid()->model());
    EXPECT_EQ(model->data(model->index(2, model->columnOf("StatusText"))).toString(),
              f.context.texts().profile(297));
}

}  // namespace
