// The regeneration command from the period dialog to the progress window:
// refusals and start failures, then end to end against the embedded
// database's own procedures, as a job and directly on an old database.

#include "ShadowTestSupport.h"
#include "shadowdata/ShadowDataRegeneration.h"
#include "shadowdata/TFormProgresser.h"
#include "shadowdata/TFormRGSDialog.h"
#include "ui/Waiting.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>

using shadow_test::Environment;
using shadow_test::WhenShown;

namespace {

constexpr int kRawDataDays = 70;  // from 2024-01-01

// The windows and the command as the main window holds them.
struct Command {
    explicit Command(Environment& env)
        : periodDialog(env.context),
          progresser(env.context),
          regeneration(env.context, periodDialog, progresser) {}

    // Answers the period dialog: the whole period, or the days start..stop.
    WhenShown choose(bool wholePeriod, QDate start = {}, QDate stop = {}) {
        return WhenShown(periodDialog, [this, wholePeriod, start, stop] {
            periodDialog.findChild<QCheckBox*>("CheckBoxWholePeriod")->setChecked(wholePeriod);
            if (!wholePeriod) {
                periodDialog.findChild<QDateEdit*>("DatePickerStart")->setDate(start);
                periodDialog.findChild<QDateEdit*>("DatePickerStop")->setDate(stop);
            }
            periodDialog.findChild<QPushButton*>("ButtonOK")->click();
        });
    }
    // Closes the progress window once it has finished.
    WhenShown closeWhenFinished() {
        return WhenShown(
            progresser, [this] { progresser.findChild<QPushButton*>("Button2")->click(); },
            [this] { return !progresser.isRunning(); });
    }

    TFormRGSDialog periodDialog;
    TFormProgresser progresser;
    ShadowDataRegeneration regeneration;
};

// Two turbines with hourly raw data for kRawDataDays days, both in a new
// profile that is marked for regeneration.
int addProfileWithRawData(Environment& env) {
    const int profileId = env.addProfile("Raw park", 0, 1);
    env.database.exec(
        "INSERT INTO TUnitType (UnitTypeId, UnitTypeTitle, UnitTypeDevice, UnitTypeCapacity) VALUES (901, "
        "'T-2000', 'WTG', 2000)");
    env.database.exec(
        "INSERT INTO TParkUnit (ParkUnitTitle, UnitTypeId) VALUES ('WTG 01', 901);"
        "INSERT INTO TParkUnit (ParkUnitTitle, UnitTypeId) VALUES ('WTG 02', 901)");
    env.database.exec(QStringLiteral("INSERT INTO TParkUnit_TReportProfile (ParkUnitId, ReportProfileId) "
                                     "SELECT ParkUnitId, %1 FROM TParkUnit WHERE UnitTypeId = 901")
                          .arg(profileId));
    env.database.exec(
        QStringLiteral("INSERT INTO TRawData (ParkUnitId, PcTimeStamp, WindSpeed, ProductionKWh, EventCode) "
                       "WITH RECURSIVE h(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM h WHERE n < %1) "
                       "SELECT U.ParkUnitId, datetime('2024-01-01 00:00:00', '+' || n || ' hours'), "
                       "5 + n % 7, 100 + n % 13, CASE WHEN n % 50 = 0 THEN 17 ELSE 0 END "
                       "FROM h, TParkUnit AS U WHERE U.UnitTypeId = 901")
            .arg(kRawDataDays * 24));
    env.database.exec(
        "INSERT INTO TRawDataTimeLimits (ParkUnitId, MinPcTimeStamp, MaxPcTimeStamp) "
        "SELECT ParkUnitId, min(PcTimeStamp), max(PcTimeStamp) FROM TRawData GROUP BY ParkUnitId");
    return profileId;
}

int shadowDays(Environment& env, int profileId) {
    return env
        .scalar(
            QStringLiteral("SELECT count(DISTINCT ShadowDate) FROM TShadowData WHERE ReportProfileId = %1")
                .arg(profileId))
        .toInt();
}

}  // namespace

TEST(ShadowDataRegeneration, CancelRefusalAndStartFailure) {
    Environment env("2.29.0.0");
    const int id = env.addProfile("Quiet park");
    Command command(env);
    int refreshed = 0;

    // Cancel in the period dialog: nothing is sent.
    {
        WhenShown cancel(command.periodDialog,
                         [&] { command.periodDialog.findChild<QPushButton*>("ButtonCancel")->click(); });
        EXPECT_FALSE(command.regeneration.Run(id, "Quiet park", [&] { ++refreshed; }));
        EXPECT_TRUE(cancel.fired());
    }
    EXPECT_TRUE(command.regeneration.lastStatement().isEmpty());

    // The whole period without raw data is refused instead of sending unset dates.
    {
        auto choose = command.choose(true);
        EXPECT_FALSE(command.regeneration.Run(id, "Quiet park", [&] { ++refreshed; }));
    }
    auto shown = env.prompts.take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "The database holds no raw data, so there is no period to regenerate.");
    EXPECT_EQ(shown[0].caption, "Profile administrator");
    EXPECT_TRUE(command.regeneration.lastStatement().isEmpty());
    EXPECT_FALSE(command.progresser.isVisible());

    // The database is gone: the dialog reports that it cannot read the
    // limits, and the start that it cannot connect; no progress window.
    env.context.Database().close();
    env.context.Database().setConnectionString("Provider=Embedded;Data Source=/no/such/folder/x.db");
    {
        auto choose = command.choose(false, QDate(2024, 1, 1), QDate(2024, 1, 31));
        EXPECT_FALSE(command.regeneration.Run(id, "Quiet park", [&] { ++refreshed; }));
    }
    shown = env.prompts.take();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].caption, "Regenerate shadow data");
    EXPECT_EQ(shown[1].caption, "Profile administrator");
    for (const auto& prompt : shown) {
        EXPECT_EQ(prompt.icon, ui::Icon::Error);
        EXPECT_TRUE(prompt.text.contains("does not exist")) << prompt.text.toStdString();
    }
    EXPECT_FALSE(command.progresser.isVisible());
    EXPECT_EQ(refreshed, 0);
}

TEST(ShadowDataRegeneration, JobRegenerationRunsInTheDatabaseAfterTheWindowCloses) {
    Environment env("3.28.0.0", false);
    env.context.session().OnlineConnection.UserName = "o'neil";
    const int id = addProfileWithRawData(env);
    const int other = env.addProfile("Other park", 0, 1);
    Command command(env);
    int refreshed = 0;
    {
        auto choose = command.choose(true);
        auto close = command.closeWhenFinished();
        EXPECT_TRUE(command.regeneration.Run(id, "Raw park", [&] { ++refreshed; }));
        EXPECT_TRUE(close.fired());
    }
    EXPECT_EQ(command.periodDialog.windowTitle(), "Regenerate shadow data (Raw park)");
    // The data run from 2024-01-01 01:00 to 2024-03-11 00:00.
    EXPECT_EQ(command.regeneration.lastStatement(),
              QStringLiteral("WMS_JOB_CreateGenerateShadowDataJob @DatabaseName = 'Reporting', @LoginName = "
                             "'o''neil', @ReportProfileId = %1, @FromDate = '2024-01-01 00:10:00', @ToDate = "
                             "'2024-03-12 00:00:00'")
                  .arg(id));
    EXPECT_EQ(command.progresser.findChild<QLabel*>("Label2")->text(),
              "Shadow data generation was started with success");
    EXPECT_EQ(command.progresser.findChild<QLabel*>("Label1")->text(),
              "Regenerate shadow data for the whole period [2024-01-01 - 2024-03-12]");
    EXPECT_EQ(refreshed, 0);

    // The job runs on: another connection sees it finish and clear the marker.
    EXPECT_TRUE(ui::waitUntil([&] { return env.pendingFlag(id) == 0 && env.status(id) == 0; }, 50, 60000));
    EXPECT_EQ(shadowDays(env, id), kRawDataDays);
    EXPECT_EQ(env.scalar("SELECT LoginName FROM TJob").toString(), "o'neil");
    EXPECT_EQ(env.pendingFlag(other), 1);

    // A job for a profile that is gone is not reported as started.
    env.database.exec(QStringLiteral("DELETE FROM TReportProfile WHERE ReportProfileId = %1").arg(other));
    {
        auto choose = command.choose(false, QDate(2024, 2, 1), QDate(2024, 2, 29));
        auto close = command.closeWhenFinished();
        EXPECT_FALSE(command.regeneration.Run(other, "Other park", [&] { ++refreshed; }));
    }
    EXPECT_EQ(command.progresser.findChild<QLabel*>("Label2")->text(), "Shadow data was not regenerated");
    const auto shown = env.prompts.take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.contains("does not exist")) << shown[0].text.toStdString();
}

TEST(ShadowDataRegeneration, DirectRegenerationOnAnOldDatabase) {
    Environment env("2.29.0.0", false);
    const int id = addProfileWithRawData(env);
    Command command(env);
    int refreshed = 0;
    {
        // A single day, flagged in the dialog, is still sent.
        auto choose = command.choose(false, QDate(2024, 2, 10), QDate(2024, 2, 10));
        auto close = command.closeWhenFinished();
        EXPECT_TRUE(command.regeneration.Run(id, "Raw park", [&] {
            ++refreshed;
            // The profile data are refreshed once the regeneration is done.
            EXPECT_EQ(env.status(id), 0);
            EXPECT_EQ(env.pendingFlag(id), 0);
        }));
    }
    EXPECT_EQ(
        command.regeneration.lastStatement(),
        QStringLiteral("DCE_SP_UpdateShadowDataForParkUnitsInProfile @ReportProfileId = %1, @FromDate = "
                       "'2024-02-10 00:10:00', @ToDate = '2024-02-11 00:00:00'")
            .arg(id));
    EXPECT_EQ(command.progresser.findChild<QLabel*>("Label2")->text(),
              "Shadow data generation was successfull");
    EXPECT_EQ(refreshed, 1);
    EXPECT_EQ(shadowDays(env, id), 1);
    EXPECT_EQ(env.scalar("SELECT count(*) FROM TJob").toInt(), 0);

    // The whole period, the next time.
    {
        auto choose = command.choose(true);
        auto close = command.closeWhenFinished();
        EXPECT_TRUE(command.regeneration.Run(id, "Raw park", [&] { ++refreshed; }));
    }
    EXPECT_EQ(refreshed, 2);
    EXPECT_EQ(shadowDays(env, id), kRawDataDays);
}
