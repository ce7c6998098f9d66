// The progress window: the job variant, the status countdown read from the
// profile row on older databases, a vanished row, cancel, and a start
// statement that fails.

#include "ShadowTestSupport.h"
#include "db/AsyncExecutor.h"
#include "shadowdata/TFormProgresser.h"
#include "ui/Waiting.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

using shadow_test::Environment;
using shadow_test::WhenShown;

namespace {

struct Window {
    explicit Window(Environment& env) : form(env.context) {}

    QLabel* period() { return form.findChild<QLabel*>("Label1"); }
    QLabel* outcome() { return form.findChild<QLabel*>("Label2"); }
    QProgressBar* gauge() { return form.findChild<QProgressBar*>("Gauge1"); }
    QPushButton* cancel() { return form.findChild<QPushButton*>("Button1"); }
    QPushButton* close() { return form.findChild<QPushButton*>("Button2"); }

    TFormProgresser form;
};

// Starts a statement on the environment's main connection.
void start(Environment& env, db::AsyncExecutor& executor, const QString& sql) {
    ASSERT_TRUE(env.context.Database().connect());
    db::Command command;
    command.text = sql;
    ASSERT_TRUE(executor.execute(*env.context.Database().get(), command))
        << executor.errorText().toStdString();
}

bool waitFinished(db::AsyncExecutor& executor) {
    return ui::waitUntil([&] { return !executor.isRunning(); }, 10, 20000);
}

}  // namespace

TEST(TFormProgresser, JobDatabaseReportsTheStartAtTheFirstTick) {
    Environment env("2.30.0.0");
    const int id = env.addProfile("Job park");
    Window window(env);
    int refreshed = 0;
    window.form.setRegeneration(id, "Regenerate shadow data for the whole period [2023-01-01 - 2023-02-01]",
                                nullptr, [&] { ++refreshed; });
    window.form.show();
    EXPECT_EQ(window.form.windowTitle(), "Generate shadow data");
    EXPECT_EQ(window.period()->text(),
              "Regenerate shadow data for the whole period [2023-01-01 - 2023-02-01]");
    EXPECT_TRUE(window.form.isRunning());
    EXPECT_TRUE(window.cancel()->isVisible());
    EXPECT_FALSE(window.close()->isVisible());
    EXPECT_EQ(window.cancel()->text(), "&Cancel");
    EXPECT_EQ(window.gauge()->value(), 0);

    window.form.TimerTimer();
    EXPECT_FALSE(window.form.isRunning());
    EXPECT_TRUE(window.form.succeeded());
    EXPECT_EQ(window.outcome()->text(), "Shadow data generation was started with success");
    EXPECT_EQ(window.gauge()->value(), window.gauge()->maximum());
    EXPECT_FALSE(window.cancel()->isVisible());
    EXPECT_TRUE(window.close()->isVisible());
    EXPECT_EQ(window.close()->text(), "&Close");
    EXPECT_EQ(refreshed, 0);  // the job runs later; the caller watches the list
    window.close()->click();
    EXPECT_FALSE(window.form.isVisible());
    EXPECT_EQ(window.form.result(), QDialog::Accepted);
}

TEST(TFormProgresser, JobDatabaseWaitsForTheJobStatementAndReportsItsFailure) {
    Environment env("3.28.0.0");
    const int id = env.addProfile("Job park");
    Window window(env);
    db::AsyncExecutor executor;

    // Still queuing the job at the first tick: not a success yet.
    start(env, executor, "TEST_SP_Hold");
    window.form.setRegeneration(id, "period", &executor, {});
    window.form.show();
    window.form.TimerTimer();
    EXPECT_TRUE(window.form.isRunning());
    env.controls->release = true;
    ASSERT_TRUE(waitFinished(executor));
    window.form.TimerTimer();
    EXPECT_TRUE(window.form.succeeded());
    window.close()->click();

    // The job could not be created: that is not reported as started.
    start(env, executor, "SELECT * FROM TNoSuchJobTable");
    ASSERT_TRUE(waitFinished(executor));
    window.form.setRegeneration(id, "period", &executor, {});
    window.form.show();
    EXPECT_TRUE(window.outcome()->text().isEmpty());
    window.form.TimerTimer();
    EXPECT_FALSE(window.form.isRunning());
    EXPECT_FALSE(window.form.succeeded());
    EXPECT_EQ(window.outcome()->text(), "Shadow data was not regenerated");
    window.close()->click();
    EXPECT_EQ(window.form.result(), QDialog::Rejected);
}

TEST(TFormProgresser, OldDatabaseFollowsTheStatusCountdown) {
    Environment env("2.29.0.0");
    const int id = env.addProfile("Direct park");
    env.addProfile("Other park", 50);
    Window window(env);
    int refreshed = 0;
    db::AsyncExecutor executor;
    start(env, executor, "TEST_SP_Hold");
    window.form.setRegeneration(id, "period", &executor, [&] { ++refreshed; });
    window.form.show();

    env.setStatus(id, 10);
    window.form.TimerTimer();
    EXPECT_TRUE(window.form.isRunning());
    EXPECT_EQ(window.gauge()->maximum(), 10);
    EXPECT_EQ(window.gauge()->value(), 0);

    env.setStatus(id, 4);
    window.form.TimerTimer();
    EXPECT_EQ(window.gauge()->maximum(), 10);
    EXPECT_EQ(window.gauge()->value(), 6);

    // More work than before raises the maximum.
    env.setStatus(id, 12);
    window.form.TimerTimer();
    EXPECT_EQ(window.gauge()->maximum(), 12);
    EXPECT_EQ(window.gauge()->value(), 0);
    env.setStatus(id, 3);
    window.form.TimerTimer();
    EXPECT_EQ(window.gauge()->value(), 9);

    // 0 while the statement still runs is the moment before it returns.
    env.setStatus(id, 0);
    window.form.TimerTimer();
    EXPECT_TRUE(window.form.isRunning());
    EXPECT_EQ(refreshed, 0);

    env.controls->release = true;
    ASSERT_TRUE(waitFinished(executor));
    EXPECT_TRUE(executor.succeeded());
    window.form.TimerTimer();
    EXPECT_FALSE(window.form.isRunning());
    EXPECT_TRUE(window.form.succeeded());
    EXPECT_EQ(window.outcome()->text(), "Shadow data generation was successfull");
    EXPECT_EQ(window.gauge()->value(), window.gauge()->maximum());
    EXPECT_EQ(refreshed, 1);
    EXPECT_TRUE(window.close()->isVisible());

    // The window is reused: the next show starts from an empty gauge.
    window.close()->click();
    window.form.setRegeneration(id, "period", nullptr, [&] { ++refreshed; });
    window.form.show();
    EXPECT_TRUE(window.form.isRunning());
    EXPECT_EQ(window.gauge()->value(), 0);
    EXPECT_TRUE(window.outcome()->text().isEmpty());
    EXPECT_TRUE(window.cancel()->isVisible());
    window.form.TimerTimer();  // status 0, nothing running
    EXPECT_TRUE(window.form.succeeded());
    EXPECT_EQ(refreshed, 2);
    window.close()->click();
}

TEST(TFormProgresser, OldDatabaseVanishedRowOrFailedStatusEndsWithoutSuccess) {
    Environment env("2.29.0.0");
    const int id = env.addProfile("Doomed park");
    Window window(env);
    int refreshed = 0;
    db::AsyncExecutor executor;
    start(env, executor, "TEST_SP_Hold");
    window.form.setRegeneration(id, "period", &executor, [&] { ++refreshed; });
    window.form.show();
    env.setStatus(id, 8);
    window.form.TimerTimer();
    EXPECT_EQ(window.gauge()->value(), 0);
    env.setStatus(id, 2);
    window.form.TimerTimer();
    EXPECT_EQ(window.gauge()->value(), 6);

    env.database.exec(QStringLiteral("DELETE FROM TReportProfile WHERE ReportProfileId = %1").arg(id));
    window.form.TimerTimer();
    EXPECT_FALSE(window.form.isRunning());
    EXPECT_FALSE(window.form.succeeded());
    EXPECT_EQ(window.outcome()->text(), "Shadow data was not regenerated");
    EXPECT_EQ(window.gauge()->value(), 0);
    EXPECT_EQ(refreshed, 0);
    // The statement behind it was stopped.
    ASSERT_TRUE(waitFinished(executor));
    EXPECT_EQ(executor.outcome(), db::AsyncExecutor::Outcome::Cancelled);
    window.close()->click();

    // A regeneration that failed in the database leaves a negative status.
    const int other = env.addProfile("Failing park", -1);
    window.form.setRegeneration(other, "period", nullptr, {});
    window.form.show();
    window.form.TimerTimer();
    EXPECT_FALSE(window.form.succeeded());
    EXPECT_EQ(window.outcome()->text(), "Shadow data was not regenerated");
    window.close()->click();
}

TEST(TFormProgresser, CancelStopsTheRunningStatement) {
    Environment env("2.29.0.0");
    const int id = env.addProfile("Long park", 5);
    Window window(env);
    db::AsyncExecutor executor;
    start(env, executor, "TEST_SP_Hold");
    window.form.setRegeneration(id, "period", &executor, {});
    window.form.show();
    window.form.TimerTimer();
    EXPECT_TRUE(window.form.isRunning());

    window.cancel()->click();
    EXPECT_FALSE(window.form.isRunning());
    EXPECT_FALSE(window.form.succeeded());
    EXPECT_EQ(window.outcome()->text(), "Shadow data was not regenerated");
    EXPECT_TRUE(window.form.isVisible());  // the outcome stays readable
    EXPECT_TRUE(window.close()->isVisible());
    ASSERT_TRUE(waitFinished(executor));
    EXPECT_EQ(executor.outcome(), db::AsyncExecutor::Outcome::Cancelled);
    // A late tick changes nothing.
    window.form.TimerTimer();
    EXPECT_EQ(window.outcome()->text(), "Shadow data was not regenerated");
    window.close()->click();
    EXPECT_FALSE(window.form.isVisible());
    EXPECT_EQ(window.form.result(), QDialog::Rejected);

    // Escape during a run cancels it too; a second Escape closes the window.
    start(env, executor, "TEST_SP_Hold");
    window.form.setRegeneration(id, "period", &executor, {});
    window.form.show();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&window.form, &escape);
    EXPECT_TRUE(window.form.isVisible());
    EXPECT_FALSE(window.form.isRunning());
    QApplication::sendEvent(&window.form, &escape);
    EXPECT_FALSE(window.form.isVisible());
    ASSERT_TRUE(waitFinished(executor));
    EXPECT_EQ(executor.outcome(), db::AsyncExecutor::Outcome::Cancelled);
}

// However it is opened, the window keeps the host's reset and close waiting
// while it is open; showing it again does not start its run anew.
TEST(TFormProgresser, HoldsTheBusyFlagWhileOpenAndKeepsItsRunWhenShownAgain) {
    Environment env("2.29.0.0");
    const int id = env.addProfile("Direct park");
    Window window(env);
    int refreshed = 0;
    EXPECT_FALSE(env.context.isBusy());
    window.form.setRegeneration(id, "period", nullptr, [&] { ++refreshed; });
    window.form.show();
    EXPECT_TRUE(env.context.isBusy());
    window.form.TimerTimer();  // status 0, nothing running
    ASSERT_TRUE(window.form.succeeded());
    EXPECT_EQ(refreshed, 1);

    window.form.hide();
    EXPECT_FALSE(env.context.isBusy());
    window.form.show();
    EXPECT_TRUE(env.context.isBusy());
    EXPECT_FALSE(window.form.isRunning());
    EXPECT_TRUE(window.form.succeeded());
    EXPECT_EQ(window.outcome()->text(), "Shadow data generation was successfull");
    EXPECT_TRUE(window.close()->isVisible());

    window.close()->click();
    EXPECT_FALSE(env.context.isBusy());
    // Opened modally as the command does.
    bool busyWhileOpen = false;
    WhenShown closeAtOnce(window.form, [&] {
        busyWhileOpen = env.context.isBusy();
        window.form.TimerTimer();
        window.close()->click();
    });
    window.form.Execute(id, "period", nullptr, {});
    EXPECT_TRUE(closeAtOnce.fired());
    EXPECT_TRUE(busyWhileOpen);
    EXPECT_FALSE(env.context.isBusy());
}
