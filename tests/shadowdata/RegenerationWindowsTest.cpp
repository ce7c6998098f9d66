// The regeneration's windows, headless: the period dialog and the first-day
// dialog against a database whose raw data limits the test chooses; the
// progress window, whose rules (tested in RegenerationPeriodTest) reach the
// user through the gauge, the outcome line and the buttons; it stops the
// statement it follows, and keeps the host waiting while it is open.

#include "ShadowTestSupport.h"
#include "db/AsyncExecutor.h"
#include "shadowdata/TFormProgresser.h"
#include "shadowdata/TFormRGSDialog.h"
#include "shadowdata/TFormRegenerateShadowData.h"
#include "ui/Waiting.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

using shadow_test::Environment;

namespace {

const shadowdata::DataLimits kLimits{QDateTime(QDate(2023, 3, 1), QTime(0, 10)),
                                     QDateTime(QDate(2023, 6, 30), QTime(23, 50))};

bool isRed(QWidget* widget) { return widget->palette().color(QPalette::Base) == QColor(Qt::red); }

void pressKey(QWidget& window, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&window, &press);
}

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

bool waitFinished(db::AsyncExecutor& executor) {
    return ui::waitUntil([&] { return !executor.isRunning(); }, 10, 20000);
}

}  // namespace

TEST(TFormRGSDialog, PresetsFromTheDataLimitsAndFlagsAReversedPeriod) {
    Environment env("3.28.0.0");
    TFormRGSDialog dialog(env.context);
    auto* whole = dialog.findChild<QCheckBox*>("CheckBoxWholePeriod");
    auto* start = dialog.findChild<QDateEdit*>("DatePickerStart");
    auto* stop = dialog.findChild<QDateEdit*>("DatePickerStop");
    const QDate today = QDate::currentDate();

    // Each opening reads the limits anew: none, unreadable, present.
    const struct {
        std::optional<shadowdata::DataLimits> limits;
        QString connection;  // empty: the test database
        const char* shown;
        QDate startDay;
        size_t prompts;
    } openings[] = {{std::nullopt, {}, "[-] [-]", today, 0},
                    {kLimits, "Provider=Embedded;Data Source=/no/such.db", "[-] [-]", today, 1},
                    {kLimits, {}, "[2023-03-01] [2023-06-30]", QDate(2023, 3, 1), 0}};
    for (const auto& opening : openings) {
        SCOPED_TRACE(opening.prompts);
        env.setLimits(opening.limits);
        env.context.Database().close();
        env.context.Database().setConnectionString(
            opening.connection.isEmpty() ? env.database.connectionString() : opening.connection);
        dialog.Prepare("North park");
        dialog.show();
        EXPECT_TRUE(dialog.windowTitle().contains("North park"));
        const QString shown =
            dialog.findChild<QLabel*>("Label4")->text() + ' ' + dialog.findChild<QLabel*>("Label5")->text();
        EXPECT_EQ(shown.toStdString(), opening.shown);
        EXPECT_EQ(start->date(), opening.startDay);
        EXPECT_EQ(stop->date(), today);
        EXPECT_EQ(dialog.limits().has_value(), opening.startDay != today);
        EXPECT_EQ(env.prompts.take().size(), opening.prompts);
        if (&opening != &openings[2]) dialog.reject();  // the last stays open for what follows
    }

    // Neither picker goes below the day before the first data.
    for (QDateEdit* picker : {start, stop}) {
        picker->setDate(QDate(2023, 1, 15));
        EXPECT_EQ(picker->date(), QDate(2023, 2, 28));
    }

    // A start on or after the stop turns both red with a message, from either
    // picker; it is only flagged.
    const struct {
        QDate start, stop;
        bool flagged;
    } periods[] = {{QDate(2023, 4, 1), QDate(2023, 4, 30), false},
                   {QDate(2023, 4, 1), QDate(2023, 4, 1), true},
                   {QDate(2023, 3, 31), QDate(2023, 4, 1), false},
                   {QDate(2023, 5, 2), QDate(2023, 4, 1), true}};
    for (const auto& period : periods) {
        SCOPED_TRACE(period.start.toString().toStdString());
        start->setDate(period.start);
        stop->setDate(period.stop);
        EXPECT_EQ(isRed(start) && isRed(stop), period.flagged);
        EXPECT_EQ(isRed(start) || isRed(stop), period.flagged);
        EXPECT_EQ(dialog.findChild<QLabel*>("LabelStartError")->text().isEmpty(), !period.flagged);
        EXPECT_EQ(dialog.findChild<QLabel*>("LabelStopError")->text().isEmpty(), !period.flagged);
    }

    // The whole period box switches the pickers off.
    whole->click();
    EXPECT_FALSE(start->isEnabled() || stop->isEnabled());
    EXPECT_TRUE(dialog.choice().wholePeriod);
    whole->click();
    EXPECT_TRUE(start->isEnabled() && stop->isEnabled());

    // A restore or a re-show neither reads the limits again nor presets anew.
    env.setLimits(std::nullopt);
    dialog.showMinimized();
    dialog.showNormal();
    dialog.hide();
    dialog.show();
    EXPECT_TRUE(dialog.limits());

    // Enter is OK, even for a flagged period; the choice is what the pickers hold.
    pressKey(dialog, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    const shadowdata::PeriodChoice choice = dialog.choice();
    EXPECT_FALSE(choice.wholePeriod);
    EXPECT_EQ(choice.start, QDate(2023, 5, 2));
    EXPECT_EQ(choice.stop, QDate(2023, 4, 1));
    ASSERT_TRUE(choice.limits);
    EXPECT_EQ(choice.limits->maximum, kLimits.maximum);
}

TEST(TFormRegenerateShadowData, HoldsTheDayToTheDataLimitsAndLeavesOnlyByOK) {
    Environment env("2.29.0.0");
    env.setLimits(kLimits);
    TFormRegenerateShadowData dialog(env.context);
    dialog.Prepare();
    dialog.show();
    auto* picker = dialog.findChild<QDateEdit*>("DatePicker");
    auto* ok = dialog.findChild<QPushButton*>("ButtonOK");
    EXPECT_EQ(picker->date(), QDate(2023, 3, 1));

    // One day outside on either side is red and has no OK; the last day
    // counts whatever its time of day.
    const std::pair<QDate, bool> days[] = {
        {QDate(2023, 2, 28), false}, {QDate(2023, 7, 1), false}, {QDate(2023, 6, 30), true}};
    for (const auto& [day, inside] : days) {
        SCOPED_TRACE(day.toString().toStdString());
        picker->setDate(day);
        EXPECT_EQ(isRed(picker), !inside);
        EXPECT_EQ(ok->isEnabled(), inside);
    }
    pressKey(dialog, Qt::Key_Escape);
    dialog.close();
    EXPECT_TRUE(dialog.isVisible());

    // OK holds the day to the limits (a picker may change without notice).
    const std::pair<QDate, QDate> clamped[] = {{QDate(2024, 1, 1), QDate(2023, 6, 30)},
                                               {QDate(2022, 12, 31), QDate(2023, 3, 1)}};
    for (const auto& [typed, chosen] : clamped) {
        dialog.show();
        picker->blockSignals(true);
        picker->setDate(typed);
        picker->blockSignals(false);
        dialog.ButtonOKClick();
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.chosenDate(), chosen);
    }
    EXPECT_EQ(dialog.minPcTimeStamp(), kLimits.minimum);

    // Without raw data any day will do.
    env.setLimits(std::nullopt);
    dialog.Prepare();
    dialog.show();
    picker->setDate(QDate(2020, 5, 5));
    ASSERT_TRUE(ok->isEnabled());
    ok->click();
    EXPECT_EQ(dialog.chosenDate(), QDate(2020, 5, 5));
    EXPECT_FALSE(dialog.minPcTimeStamp().isValid());
}

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
        {"escape", [&](int) { pressKey(window.form, Qt::Key_Escape); }},
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
        pressKey(window.form, Qt::Key_Escape);
        EXPECT_FALSE(window.form.isVisible());
        EXPECT_EQ(window.form.result(), QDialog::Rejected);
    }
}
