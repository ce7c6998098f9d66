// The progress window: its rules (tested in RegenerationPeriodTest) reach the
// user through the gauge, the outcome line and the buttons; it stops the
// statement it follows, and keeps the host waiting while it is open.

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

namespace {

struct Window {
    explicit Window(Environment& env) : form(env.context) {}

    QString outcome() { return form.findChild<QLabel*>("Label2")->text(); }
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

void pressEscape(QWidget& window) {
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&window, &escape);
}

bool waitFinished(db::AsyncExecutor& executor) {
    return ui::waitUntil([&] { return !executor.isRunning(); }, 10, 20000);
}

}  // namespace

TEST(TFormProgresser, FollowsTheRegenerationToItsOutcomeWhileTheHostWaits) {
    Environment env("2.29.0.0");
    const int id = env.addProfile("Direct park");
    Window window(env);
    int refreshed = 0;
    db::AsyncExecutor executor;
    start(env, executor, "TEST_SP_Hold");
    EXPECT_FALSE(env.context.isBusy());
    window.form.setRegeneration(id, "the period", &executor, [&] { ++refreshed; });
    window.form.show();
    EXPECT_TRUE(env.context.isBusy());
    EXPECT_EQ(window.form.findChild<QLabel*>("Label1")->text(), "the period");
    EXPECT_TRUE(window.cancel()->isVisible());
    EXPECT_FALSE(window.close()->isVisible());

    // The profile row's status reaches the gauge (its rule: ProgressRules);
    // 0 while the statement runs is no end yet.
    for (const int status : {10, 4, 0}) {
        env.setStatus(id, status);
        window.form.TimerTimer();
    }
    EXPECT_TRUE(window.form.isRunning());
    EXPECT_EQ(window.gauge()->maximum(), 10);
    EXPECT_EQ(window.gauge()->value(), 6);
    EXPECT_EQ(refreshed, 0);
    *env.release = true;
    ASSERT_TRUE(waitFinished(executor));
    window.form.TimerTimer();
    EXPECT_TRUE(window.form.succeeded());
    EXPECT_EQ(window.outcome(), TFormProgresser::kRegenerated);
    EXPECT_EQ(window.gauge()->value(), window.gauge()->maximum());
    EXPECT_EQ(refreshed, 1);
    EXPECT_FALSE(window.cancel()->isVisible());
    EXPECT_TRUE(window.close()->isVisible());

    // Hidden and shown again (a restore), it keeps its outcome.
    window.form.hide();
    EXPECT_FALSE(env.context.isBusy());
    window.form.show();
    EXPECT_TRUE(env.context.isBusy());
    EXPECT_TRUE(window.form.succeeded());
    EXPECT_EQ(refreshed, 1);
    window.close()->click();
    EXPECT_EQ(window.form.result(), QDialog::Accepted);
    EXPECT_FALSE(env.context.isBusy());

    // Prepared again, the next show starts a new run.
    window.form.setRegeneration(id, "period", nullptr, {});
    window.form.show();
    EXPECT_TRUE(window.form.isRunning());
    EXPECT_TRUE(window.outcome().isEmpty());
    EXPECT_EQ(window.gauge()->value(), 0);
    window.form.reject();
}

TEST(TFormProgresser, CancelCloseEscapeOrAVanishedRowStopTheStatement) {
    Environment env("2.29.0.0");
    Window window(env);
    db::AsyncExecutor executor;
    const struct {
        const char* name;
        std::function<void(int profileId)> stop;
    } ways[] = {
        {"cancel button", [&](int) { window.cancel()->click(); }},
        {"close box", [&](int) { window.form.close(); }},
        {"escape", [&](int) { pressEscape(window.form); }},
        {"row gone",
         [&](int id) {
             env.database.exec(
                 QStringLiteral("DELETE FROM TReportProfile WHERE ReportProfileId = %1").arg(id));
             window.form.TimerTimer();
         }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        const int id = env.addProfile(way.name, 5);
        start(env, executor, "TEST_SP_Hold");
        window.form.setRegeneration(id, "period", &executor, [] { ADD_FAILURE() << "refreshed"; });
        window.form.show();
        window.form.TimerTimer();
        ASSERT_TRUE(window.form.isRunning());
        way.stop(id);
        EXPECT_FALSE(window.form.isRunning());
        EXPECT_FALSE(window.form.succeeded());
        EXPECT_EQ(window.outcome(), TFormProgresser::kNotRegenerated);
        EXPECT_EQ(window.gauge()->value(), 0);
        // The outcome stays readable until the window is closed.
        EXPECT_TRUE(window.form.isVisible());
        EXPECT_TRUE(window.close()->isVisible());
        ASSERT_TRUE(waitFinished(executor));
        EXPECT_EQ(executor.outcome(), db::AsyncExecutor::Outcome::Cancelled);
        window.form.TimerTimer();  // a late tick changes nothing
        EXPECT_EQ(window.outcome(), TFormProgresser::kNotRegenerated);
        pressEscape(window.form);
        EXPECT_FALSE(window.form.isVisible());
        EXPECT_EQ(window.form.result(), QDialog::Rejected);
    }
}
